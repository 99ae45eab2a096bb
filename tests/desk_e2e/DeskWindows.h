// The desk's windows as an operator meets them, from another process: found
// by caption or text, read and clicked; its list views are read through a
// block allocated in the desk's process. Every wait is bounded.
#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

// The static that holds a message box's text.
constexpr int kMessageTextId = 0xFFFF;

// Polls `ready` every `pollMs` until it holds or `timeoutMs` passes.
inline bool WaitUntil(const std::function<bool()>& ready, DWORD timeoutMs, DWORD pollMs = 50) {
  for (const DWORD start = ::GetTickCount(); !ready(); ::Sleep(pollMs)) {
    if (::GetTickCount() - start >= timeoutMs) return false;
  }
  return true;
}

// WM_GETTEXT is marshalled between processes for any window.
inline std::wstring WindowText(HWND window) {
  const LRESULT length = window == nullptr ? 0 : ::SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
  if (length <= 0) return std::wstring();
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  ::SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]));
  return text.c_str();
}
inline std::wstring ItemText(HWND dialog, int id) { return WindowText(::GetDlgItem(dialog, id)); }

inline bool IsItemEnabled(HWND dialog, int id) { return ::IsWindowEnabled(::GetDlgItem(dialog, id)) != FALSE; }

// Clicks button `id` of `dialog` as the mouse would, posted, so a click that
// opens a modal box does not hold the driver. False when missing or disabled.
inline bool ClickButton(HWND dialog, int id) {
  return IsItemEnabled(dialog, id) && ::PostMessageW(::GetDlgItem(dialog, id), BM_CLICK, 0, 0) != 0;
}

// The visible dialog windows (message boxes included) of process `pid`.
inline std::vector<HWND> DialogsOf(DWORD pid) {
  std::vector<HWND> found;
  for (HWND window = nullptr; (window = ::FindWindowExW(nullptr, window, L"#32770", nullptr)) != nullptr;) {
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner == pid && ::IsWindowVisible(window)) found.push_back(window);
  }
  return found;
}

class RemoteListView {
 public:
  // `list` belongs to `process`, opened with VM operation, read and write rights.
  RemoteListView(HWND list, HANDLE process)
      : list_(list),
        process_(process),
        remote_(::VirtualAllocEx(process, nullptr, sizeof(Cell), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)) {}
  ~RemoteListView() {
    if (remote_ != nullptr) ::VirtualFreeEx(process_, remote_, 0, MEM_RELEASE);
  }
  RemoteListView(const RemoteListView&) = delete;
  RemoteListView& operator=(const RemoteListView&) = delete;

  bool IsUsable() const { return remote_ != nullptr; }
  int RowCount() const { return static_cast<int>(::SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0)); }
  int ColumnWidth(int column) const { return static_cast<int>(::SendMessageW(list_, LVM_GETCOLUMNWIDTH, column, 0)); }
  int SelectionMark() const { return static_cast<int>(::SendMessageW(list_, LVM_GETSELECTIONMARK, 0, 0)); }

  std::wstring CellText(int row, int column) const {
    Cell cell = {};
    cell.item.iSubItem = column;
    cell.item.pszText = reinterpret_cast<wchar_t*>(static_cast<char*>(remote_) + offsetof(Cell, text));
    cell.item.cchTextMax = kTextChars - 1;
    return Remote(list_, LVM_GETITEMTEXTW, row, cell) ? cell.text : L"";
  }
  // The first row whose cell `column` reads `text`, or -1.
  int FindRow(int column, const std::wstring& text) const {
    for (int row = 0, rows = RowCount(); row < rows; ++row) {
      if (CellText(row, column) == text) return row;
    }
    return -1;
  }
  // Clicks the row as a mouse would (button down and up over it); twice for a double-click.
  bool ClickRow(int row, bool twice = false) const {
    RECT rect = {LVIR_BOUNDS, 0, 0, 0};
    if (!Remote(list_, LVM_GETITEMRECT, row, rect)) return false;
    // A little into the row: its first column is hidden (zero width).
    const LPARAM at = MAKELPARAM(rect.left + 24, (rect.top + rect.bottom) / 2);
    for (int click = 0; click < (twice ? 2 : 1); ++click) {
      ::PostMessageW(list_, click == 0 ? WM_LBUTTONDOWN : WM_LBUTTONDBLCLK, MK_LBUTTON, at);
      ::PostMessageW(list_, WM_LBUTTONUP, 0, at);
    }
    return true;
  }
  bool ClickHeader(int column) const {
    RECT rect = {};
    if (!Remote(Header(), HDM_GETITEMRECT, column, rect)) return false;
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
  // The header's sort arrow on `column`: 1 up, -1 down, 0 none.
  int SortArrow(int column) const {
    HDITEMW item = {};
    item.mask = HDI_FORMAT;
    if (!Remote(Header(), HDM_GETITEMW, column, item)) return 0;
    return (item.fmt & HDF_SORTUP) != 0 ? 1 : ((item.fmt & HDF_SORTDOWN) != 0 ? -1 : 0);
  }
  // Ticks or clears the row's check box (a list with LVS_EX_CHECKBOXES).
  bool SetChecked(int row, bool checked) const {
    LVITEMW item = {};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
    return Remote(list_, LVM_SETITEMSTATE, row, item);
  }

 private:
  static constexpr int kTextChars = 1024;
  struct Cell {
    LVITEMW item;
    wchar_t text[kTextChars];
  };
  // Writes `value` into the block in the list's process, sends `message`
  // with its address, and reads back what the control filled in.
  template <typename T>
  bool Remote(HWND window, UINT message, int index, T& value) const {
    static_assert(sizeof(T) <= sizeof(Cell), "the block holds it");
    return remote_ != nullptr && ::WriteProcessMemory(process_, remote_, &value, sizeof value, nullptr) &&
           ::SendMessageW(window, message, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(remote_)) != 0 &&
           ::ReadProcessMemory(process_, remote_, &value, sizeof value, nullptr);
  }
  HWND Header() const { return reinterpret_cast<HWND>(::SendMessageW(list_, LVM_GETHEADER, 0, 0)); }

  HWND list_;
  HANDLE process_;
  void* remote_;
};
