// Cross-process list view access: LVITEMW and its text buffer are written to
// and read from a block allocated in the list's process.
#include "RemoteListView.h"

#include <commctrl.h>

#include <vector>

namespace {
constexpr int kTextChars = 1024;
// HDITEMW, when asked for, takes the item's place at the start.
constexpr SIZE_T kRemoteBytes = sizeof(LVITEMW) + kTextChars * sizeof(wchar_t) + sizeof(RECT);
static_assert(sizeof(HDITEMW) <= sizeof(LVITEMW) + kTextChars * sizeof(wchar_t), "a header item fits the block");
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

bool RemoteListView::RemoteRect(HWND window, UINT message, WPARAM index, LONG left, RECT& rect) const {
  if (remote_ == nullptr) return false;
  char* remoteRect = static_cast<char*>(remote_) + sizeof(LVITEMW) + kTextChars * sizeof(wchar_t);
  rect = {};
  rect.left = left;
  return ::WriteProcessMemory(process_, remoteRect, &rect, sizeof(rect), nullptr) &&
         ::SendMessageW(window, message, index, reinterpret_cast<LPARAM>(remoteRect)) &&
         ::ReadProcessMemory(process_, remoteRect, &rect, sizeof(rect), nullptr);
}

HWND RemoteListView::Header() const { return reinterpret_cast<HWND>(::SendMessageW(list_, LVM_GETHEADER, 0, 0)); }

bool RemoteListView::ClickRow(int row, bool twice) const {
  RECT rect = {};
  if (!RemoteRect(list_, LVM_GETITEMRECT, static_cast<WPARAM>(row), LVIR_BOUNDS, rect)) return false;
  // A little into the row: its first column is hidden (zero width).
  const LPARAM at = MAKELPARAM(rect.left + 24, (rect.top + rect.bottom) / 2);
  ::PostMessageW(list_, WM_LBUTTONDOWN, MK_LBUTTON, at);
  ::PostMessageW(list_, WM_LBUTTONUP, 0, at);
  if (twice) {
    ::PostMessageW(list_, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    ::PostMessageW(list_, WM_LBUTTONUP, 0, at);
  }
  return true;
}

bool RemoteListView::ClickHeader(int column) const {
  RECT rect = {};
  if (!RemoteRect(Header(), HDM_GETITEMRECT, static_cast<WPARAM>(column), 0, rect)) return false;
  POINT middle = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
  const LPARAM at = MAKELPARAM(middle.x, middle.y);
  // The pointer goes there too: a move reported from elsewhere while the
  // button is down would start dragging the column instead of clicking it.
  ::ClientToScreen(Header(), &middle);
  ::SetCursorPos(middle.x, middle.y);
  ::Sleep(100);
  ::PostMessageW(Header(), WM_LBUTTONDOWN, MK_LBUTTON, at);
  ::PostMessageW(Header(), WM_LBUTTONUP, 0, at);
  return true;
}

int RemoteListView::SortArrow(int column) const {
  if (remote_ == nullptr) return 0;
  HDITEMW item = {};
  item.mask = HDI_FORMAT;
  if (!::WriteProcessMemory(process_, remote_, &item, sizeof(item), nullptr) ||
      !::SendMessageW(Header(), HDM_GETITEMW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(remote_)) ||
      !::ReadProcessMemory(process_, remote_, &item, sizeof(item), nullptr)) {
    return 0;
  }
  return (item.fmt & HDF_SORTUP) != 0 ? 1 : ((item.fmt & HDF_SORTDOWN) != 0 ? -1 : 0);
}

int RemoteListView::ColumnWidth(int column) const {
  return static_cast<int>(::SendMessageW(list_, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
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
