// Window lookups and clicks on the desk from the test driver's process.
#include "DeskWindows.h"

#include <vector>

bool WaitUntil(const std::function<bool()>& ready, DWORD timeoutMs) {
  const DWORD start = ::GetTickCount();
  for (;;) {
    if (ready()) return true;
    if (::GetTickCount() - start >= timeoutMs) return false;
    ::Sleep(50);
  }
}

std::wstring WindowText(HWND window) {
  // WM_GETTEXT is marshalled between processes for any window.
  const int length = ::GetWindowTextLengthW(window);
  if (length <= 0) return std::wstring();
  std::vector<wchar_t> text(static_cast<std::size_t>(length) + 1, L'\0');
  ::GetWindowTextW(window, text.data(), length + 1);
  return std::wstring(text.data());
}

std::wstring ItemText(HWND dialog, int id) {
  HWND item = ::GetDlgItem(dialog, id);
  if (item == nullptr) return std::wstring();
  const LRESULT length = ::SendMessageW(item, WM_GETTEXTLENGTH, 0, 0);
  if (length <= 0) return std::wstring();
  std::vector<wchar_t> text(static_cast<std::size_t>(length) + 1, L'\0');
  ::SendMessageW(item, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  return std::wstring(text.data());
}

namespace {
struct DialogSearch {
  DWORD pid;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectDialog(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<DialogSearch*>(param);
  DWORD pid = 0;
  ::GetWindowThreadProcessId(window, &pid);
  wchar_t className[16] = {};
  ::GetClassNameW(window, className, 16);
  if (pid == search->pid && ::IsWindowVisible(window) && std::wstring(className) == L"#32770") {
    search->found.push_back(window);
  }
  return TRUE;
}

// The static that holds a message box's text.
constexpr int kMessageBoxTextId = 0xFFFF;
}  // namespace

std::vector<HWND> DialogsOf(DWORD pid) {
  DialogSearch search{pid, {}};
  ::EnumWindows(CollectDialog, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND FindDialog(DWORD pid, const std::wstring& caption) {
  for (HWND dialog : DialogsOf(pid)) {
    if (WindowText(dialog) == caption) return dialog;
  }
  return nullptr;
}

HWND FindMessageBox(DWORD pid, const std::wstring& text) {
  for (HWND dialog : DialogsOf(pid)) {
    if (ItemText(dialog, kMessageBoxTextId).compare(0, text.size(), text) == 0) return dialog;
  }
  return nullptr;
}

HWND WaitForDialog(DWORD pid, const std::wstring& caption, DWORD timeoutMs) {
  HWND found = nullptr;
  WaitUntil([&] { return (found = FindDialog(pid, caption)) != nullptr; }, timeoutMs);
  return found;
}

bool IsItemEnabled(HWND dialog, int id) {
  HWND item = ::GetDlgItem(dialog, id);
  return item != nullptr && ::IsWindowEnabled(item);
}

bool ClickButton(HWND dialog, int id) {
  if (!IsItemEnabled(dialog, id)) return false;
  // Posted, so a click that opens a modal box does not hold the driver.
  return ::PostMessageW(::GetDlgItem(dialog, id), BM_CLICK, 0, 0) != 0;
}
