// Dialog item calls behind the desk's dialog interface: edits, combo boxes,
// buttons, pickers and list views of one dialog window.
#include "desk/win32/Win32Dialog.h"

#include <commctrl.h>

#include <vector>

#include "desk/win32/WideText.h"
#include "platform/win32/systemtime_win32.h"

namespace {

bool IsListViewControl(HWND control) {
  wchar_t className[64] = {};
  if (::GetClassNameW(control, className, 64) == 0) return false;
  return ::lstrcmpiW(className, WC_LISTVIEWW) == 0;
}

}  // namespace

LRESULT Win32Dialog::SendItem(int id, UINT message, WPARAM wParam, LPARAM lParam) {
  return ::SendDlgItemMessageW(dialog_, id, message, wParam, lParam);
}

std::string Win32Dialog::GetText(int id, std::size_t maxChars) {
  // The control cuts its text to the buffer, so the caller's limit bounds it.
  std::vector<wchar_t> buffer(maxChars + 1, L'\0');
  ::GetDlgItemTextW(dialog_, id, buffer.data(), static_cast<int>(buffer.size()));
  buffer.back() = L'\0';
  return Text1251FromWide(buffer.data());
}

void Win32Dialog::SetText(int id, const std::string& text) {
  ::SetDlgItemTextW(dialog_, id, WideFrom1251(text).c_str());
}

std::uint32_t Win32Dialog::GetUnsigned(int id) {
  return static_cast<std::uint32_t>(::GetDlgItemInt(dialog_, id, nullptr, FALSE));
}

std::int32_t Win32Dialog::GetSigned(int id) {
  return static_cast<std::int32_t>(::GetDlgItemInt(dialog_, id, nullptr, TRUE));
}

void Win32Dialog::SetUnsigned(int id, std::uint32_t value) { ::SetDlgItemInt(dialog_, id, value, FALSE); }

void Win32Dialog::ComboReset(int id) { SendItem(id, CB_RESETCONTENT, 0, 0); }

int Win32Dialog::ComboAdd(int id, const std::string& text, std::intptr_t data) {
  const std::wstring wide = WideFrom1251(text);
  const LRESULT index = SendItem(id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
  if (index < 0) return -1;  // CB_ERR or CB_ERRSPACE
  SendItem(id, CB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(data));
  return static_cast<int>(index);
}

int Win32Dialog::ComboCount(int id) {
  const LRESULT count = SendItem(id, CB_GETCOUNT, 0, 0);
  return count < 0 ? 0 : static_cast<int>(count);
}

int Win32Dialog::ComboSelection(int id) {
  const LRESULT index = SendItem(id, CB_GETCURSEL, 0, 0);
  return index < 0 ? -1 : static_cast<int>(index);
}

void Win32Dialog::ComboSelect(int id, int index) { SendItem(id, CB_SETCURSEL, static_cast<WPARAM>(index), 0); }

std::intptr_t Win32Dialog::ComboItemData(int id, int index) {
  return static_cast<std::intptr_t>(SendItem(id, CB_GETITEMDATA, static_cast<WPARAM>(index), 0));
}

std::string Win32Dialog::ComboItemText(int id, int index) {
  const LRESULT length = SendItem(id, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length <= 0) return std::string();
  std::vector<wchar_t> buffer(static_cast<std::size_t>(length) + 1, L'\0');
  SendItem(id, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer.data()));
  buffer.back() = L'\0';
  return Text1251FromWide(buffer.data());
}

bool Win32Dialog::IsChecked(int id) { return ::IsDlgButtonChecked(dialog_, id) == BST_CHECKED; }

void Win32Dialog::SetChecked(int id, bool checked) {
  ::CheckDlgButton(dialog_, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

void Win32Dialog::Show(int id, bool visible) {
  if (HWND control = ::GetDlgItem(dialog_, id)) ::ShowWindow(control, visible ? SW_SHOW : SW_HIDE);
}

void Win32Dialog::Enable(int id, bool enabled) {
  if (HWND control = ::GetDlgItem(dialog_, id)) ::EnableWindow(control, enabled ? TRUE : FALSE);
}

int Win32Dialog::FocusedControl() {
  // The focus may sit in a part of a control (the edit inside a combo box):
  // the dialog's own child that holds it is the control.
  HWND focus = ::GetFocus();
  if (focus == nullptr || !::IsChild(dialog_, focus)) return 0;
  while (::GetAncestor(focus, GA_PARENT) != dialog_) focus = ::GetAncestor(focus, GA_PARENT);
  return ::GetDlgCtrlID(focus);
}

int Win32Dialog::NextTabItem(int id) {
  HWND next = ::GetNextDlgTabItem(dialog_, ::GetDlgItem(dialog_, id), FALSE);
  return next != nullptr ? ::GetDlgCtrlID(next) : 0;
}

void Win32Dialog::SetFocus(int id) {
  if (HWND control = ::GetDlgItem(dialog_, id)) ::SetFocus(control);
}

void Win32Dialog::Repaint() { ::InvalidateRect(dialog_, nullptr, TRUE); }

platform::LocalTime Win32Dialog::GetDateTime(int id) {
  SYSTEMTIME st = {};
  if (SendItem(id, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st)) != GDT_VALID) return platform::LocalTime();
  return platform::FromSystemTime(st);
}

void Win32Dialog::SetDateTime(int id, const platform::LocalTime& value) {
  SYSTEMTIME st = platform::ToSystemTime(value);
  SendItem(id, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&st));
}

KestoListView* Win32Dialog::ListView(int id) {
  const auto found = lists_.find(id);
  if (found != lists_.end()) return found->second.get();
  HWND control = ::GetDlgItem(dialog_, id);
  if (control == nullptr || !IsListViewControl(control)) return nullptr;
  auto& list = lists_[id];
  list = std::make_unique<Win32ListView>(control);
  return list.get();
}

void Win32Dialog::EndDialog(int code) { ::EndDialog(dialog_, code); }
