// List view messages behind the desk's list interface.
#include "desk/win32/Win32ListView.h"

#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "desk/win32/WideText.h"

namespace {
// The setting messages take a non-const text pointer but only read through it.
wchar_t* MessageText(const std::wstring& text) { return const_cast<wchar_t*>(text.c_str()); }

constexpr int kDesignDpi = 96;

// The screen's pixels per inch; widths are given for 96 and grow with it.
int ScreenDpi() {
  HDC screen = ::GetDC(nullptr);
  const int dpi = screen != nullptr ? ::GetDeviceCaps(screen, LOGPIXELSX) : kDesignDpi;
  if (screen != nullptr) ::ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : kDesignDpi;
}

int CALLBACK CompareRows(LPARAM a, LPARAM b, LPARAM less) {
  const auto& isLess = *reinterpret_cast<const std::function<bool(std::intptr_t, std::intptr_t)>*>(less);
  if (isLess(a, b)) return -1;
  return isLess(b, a) ? 1 : 0;
}
}  // namespace

void Win32ListView::SetExtendedStyle(std::uint32_t styles) {
  ::SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, static_cast<LPARAM>(styles));
}

void Win32ListView::InsertColumn(int column, const std::string& caption, int width) {
  const std::wstring text = WideFrom1251(caption);
  LVCOLUMNW lvc = {};
  lvc.mask = LVCF_TEXT | LVCF_WIDTH;
  lvc.cx = ::MulDiv(width, ScreenDpi(), kDesignDpi);
  lvc.pszText = MessageText(text);
  ::SendMessageW(list_, LVM_INSERTCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&lvc));
}

int Win32ListView::ItemCount() { return static_cast<int>(::SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0)); }

bool Win32ListView::GetItemData(int index, std::intptr_t& data) {
  LVITEMW item = {};
  item.mask = LVIF_PARAM;
  item.iItem = index;
  if (!::SendMessageW(list_, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return false;
  data = static_cast<std::intptr_t>(item.lParam);
  return true;
}

int Win32ListView::Insert(UINT mask, int index, const std::string& text, std::intptr_t data) {
  const std::wstring wide = WideFrom1251(text);
  LVITEMW item = {};
  item.mask = mask;
  item.iItem = index;
  item.pszText = MessageText(wide);
  item.lParam = static_cast<LPARAM>(data);
  return static_cast<int>(::SendMessageW(list_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

int Win32ListView::InsertItem(int index, const std::string& text) { return Insert(LVIF_TEXT, index, text, 0); }

int Win32ListView::InsertItemWithData(int index, const std::string& text, std::intptr_t data) {
  return Insert(LVIF_TEXT | LVIF_PARAM, index, text, data);
}

void Win32ListView::SetItemText(int index, int column, const std::string& text) {
  const std::wstring wide = WideFrom1251(text);
  LVITEMW item = {};
  item.iSubItem = column;
  item.pszText = MessageText(wide);
  ::SendMessageW(list_, LVM_SETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

std::string Win32ListView::GetItemText(int index, int column, std::size_t maxChars) {
  // The list cuts the text to the buffer, so the caller's limit bounds it.
  std::vector<wchar_t> buffer(maxChars + 1, L'\0');
  LVITEMW item = {};
  item.iSubItem = column;
  item.pszText = buffer.data();
  item.cchTextMax = static_cast<int>(buffer.size());
  ::SendMessageW(list_, LVM_GETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
  buffer.back() = L'\0';
  return Text1251FromWide(buffer.data());
}

bool Win32ListView::DeleteItem(int index) {
  return ::SendMessageW(list_, LVM_DELETEITEM, static_cast<WPARAM>(index), 0) != 0;
}

void Win32ListView::DeleteAllItems() { ::SendMessageW(list_, LVM_DELETEALLITEMS, 0, 0); }

int Win32ListView::GetSelectionMark() { return static_cast<int>(::SendMessageW(list_, LVM_GETSELECTIONMARK, 0, 0)); }

int Win32ListView::ColumnWidth(int column) {
  const int pixels = static_cast<int>(::SendMessageW(list_, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
  return ::MulDiv(pixels, kDesignDpi, ScreenDpi());
}

void Win32ListView::SetColumnWidth(int column, int width) {
  ::SendMessageW(list_, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column),
                 MAKELPARAM(::MulDiv(width, ScreenDpi(), kDesignDpi), 0));
}

std::vector<int> Win32ListView::ColumnOrder() {
  HWND header = reinterpret_cast<HWND>(::SendMessageW(list_, LVM_GETHEADER, 0, 0));
  const int count = header != nullptr ? static_cast<int>(::SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
  std::vector<int> order(static_cast<std::size_t>(std::max(count, 0)));
  if (order.empty() ||
      !::SendMessageW(list_, LVM_GETCOLUMNORDERARRAY, order.size(), reinterpret_cast<LPARAM>(order.data()))) {
    return {};
  }
  return order;
}

void Win32ListView::SetColumnOrder(const std::vector<int>& order) {
  std::vector<int> copy = order;
  ::SendMessageW(list_, LVM_SETCOLUMNORDERARRAY, copy.size(), reinterpret_cast<LPARAM>(copy.data()));
}

void Win32ListView::SetSortArrow(int column, int direction) {
  HWND header = reinterpret_cast<HWND>(::SendMessageW(list_, LVM_GETHEADER, 0, 0));
  if (header == nullptr) return;
  const int count = static_cast<int>(::SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
  for (int index = 0; index < count; ++index) {
    HDITEMW item = {};
    item.mask = HDI_FORMAT;
    if (!::SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item))) continue;
    item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
    if (index == column && direction != 0) item.fmt |= direction > 0 ? HDF_SORTUP : HDF_SORTDOWN;
    ::SendMessageW(header, HDM_SETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
  }
}

void Win32ListView::SortItems(const std::function<bool(std::intptr_t, std::intptr_t)>& less) {
  ::SendMessageW(list_, LVM_SORTITEMS, reinterpret_cast<WPARAM>(&less), reinterpret_cast<LPARAM>(&CompareRows));
}

void Win32ListView::Redraw() { ::InvalidateRect(list_, nullptr, FALSE); }
void Win32ListView::SetItemChecked(int index, bool checked) {
  // The check box is the row's state image: 1 unchecked, 2 checked.
  LVITEMW item = {};
  item.stateMask = LVIS_STATEIMAGEMASK;
  item.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
  ::SendMessageW(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

bool Win32ListView::IsItemChecked(int index) {
  const LRESULT state = ::SendMessageW(list_, LVM_GETITEMSTATE, static_cast<WPARAM>(index), LVIS_STATEIMAGEMASK);
  return ((static_cast<UINT>(state) & LVIS_STATEIMAGEMASK) >> 12) == 2;
}
