// Cross-process list view access: LVITEMW and its text buffer are written to
// and read from a block allocated in the list's process.
#include "RemoteListView.h"

#include <commctrl.h>

#include <vector>

namespace {
constexpr int kTextChars = 1024;
constexpr SIZE_T kRemoteBytes = sizeof(LVITEMW) + kTextChars * sizeof(wchar_t) + sizeof(RECT);
}  // namespace

RemoteListView::RemoteListView(HWND list, HANDLE process) : list_(list), process_(process) {
  remote_ = ::VirtualAllocEx(process_, nullptr, kRemoteBytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
}

RemoteListView::~RemoteListView() {
  if (remote_ != nullptr) ::VirtualFreeEx(process_, remote_, 0, MEM_RELEASE);
}

int RemoteListView::RowCount() const { return static_cast<int>(::SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0)); }

std::wstring RemoteListView::CellText(int row, int column) const {
  if (remote_ == nullptr) return std::wstring();
  char* base = static_cast<char*>(remote_);
  wchar_t* remoteText = reinterpret_cast<wchar_t*>(base + sizeof(LVITEMW));
  LVITEMW item = {};
  item.iSubItem = column;
  item.pszText = remoteText;
  item.cchTextMax = kTextChars;
  const wchar_t empty = L'\0';
  if (!::WriteProcessMemory(process_, base, &item, sizeof(item), nullptr) ||
      !::WriteProcessMemory(process_, remoteText, &empty, sizeof(empty), nullptr)) {
    return std::wstring();
  }
  ::SendMessageW(list_, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(base));
  std::vector<wchar_t> text(kTextChars + 1, L'\0');
  if (!::ReadProcessMemory(process_, remoteText, text.data(), kTextChars * sizeof(wchar_t), nullptr)) {
    return std::wstring();
  }
  return std::wstring(text.data());
}

int RemoteListView::FindRow(int column, const std::wstring& text) const {
  const int rows = RowCount();
  for (int row = 0; row < rows; ++row) {
    if (CellText(row, column) == text) return row;
  }
  return -1;
}

bool RemoteListView::ClickRow(int row) const {
  if (remote_ == nullptr) return false;
  char* remoteRect = static_cast<char*>(remote_) + sizeof(LVITEMW) + kTextChars * sizeof(wchar_t);
  RECT rect = {};
  rect.left = LVIR_BOUNDS;
  if (!::WriteProcessMemory(process_, remoteRect, &rect, sizeof(rect), nullptr)) return false;
  if (!::SendMessageW(list_, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remoteRect))) {
    return false;
  }
  if (!::ReadProcessMemory(process_, remoteRect, &rect, sizeof(rect), nullptr)) return false;
  // A little into the row: its first column is hidden (zero width).
  const LPARAM at = MAKELPARAM(rect.left + 24, (rect.top + rect.bottom) / 2);
  ::PostMessageW(list_, WM_LBUTTONDOWN, MK_LBUTTON, at);
  ::PostMessageW(list_, WM_LBUTTONUP, 0, at);
  return true;
}

int RemoteListView::SelectionMark() const {
  return static_cast<int>(::SendMessageW(list_, LVM_GETSELECTIONMARK, 0, 0));
}

bool RemoteListView::SetChecked(int row, bool checked) const {
  if (remote_ == nullptr) return false;
  LVITEMW item = {};
  item.stateMask = LVIS_STATEIMAGEMASK;
  item.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
  if (!::WriteProcessMemory(process_, remote_, &item, sizeof(item), nullptr)) return false;
  return ::SendMessageW(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote_)) != 0;
}
