// Message boxes, modal dialogs by resource id, the debug log and the
// new-order alert for the desk logic.
#include "desk/win32/Win32DeskUi.h"

#include "client/DebugLog.h"
#include "desk/win32/DialogProcedures.h"
#include "desk/win32/WideText.h"

HINSTANCE hInstance = nullptr;

int Win32DeskUi::ShowMessageBox(const std::string& text, const std::string& caption, unsigned style) {
  return ::MessageBoxW(owner_, WideFrom1251(text).c_str(), WideFrom1251(caption).c_str(), style);
}

int Win32DeskUi::RunDialog(int resourceId) {
  DLGPROC procedure = DialogProcedureFor(resourceId);
  if (procedure == nullptr) return -1;
  return static_cast<int>(::DialogBoxParamW(hInstance, MAKEINTRESOURCEW(resourceId), owner_, procedure, 0));
}

void Win32DeskUi::WriteDebugLog(const std::string& message) { PrintToDebugLog("%s", message.c_str()); }

namespace {

// MessageBeep may take milliseconds (several under Wine): it plays on a
// thread of its own, so the new row is painted without waiting for it.
// Requests that come while a sound plays give one more sound, not a queue.
class SoundPlayer {
 public:
  void Play() {
    if (!started_) Start();
    if (wake_ == nullptr) {
      ::MessageBeep(MB_ICONASTERISK);
      return;
    }
    ::SetEvent(wake_);
  }

 private:
  void Start() {
    started_ = true;
    wake_ = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (wake_ == nullptr) return;
    // Ends with the process: it only ever waits or beeps.
    HANDLE thread = ::CreateThread(nullptr, 0, &PlayOnRequest, wake_, 0, nullptr);
    if (thread == nullptr) {
      ::CloseHandle(wake_);
      wake_ = nullptr;
      return;
    }
    ::CloseHandle(thread);
  }
  static DWORD WINAPI PlayOnRequest(void* wake) {
    while (::WaitForSingleObject(static_cast<HANDLE>(wake), INFINITE) == WAIT_OBJECT_0) ::MessageBeep(MB_ICONASTERISK);
    return 0;
  }

  bool started_ = false;
  HANDLE wake_ = nullptr;
};

}  // namespace

void Win32DeskUi::PlayNewOrderSound() {
  static SoundPlayer player;
  player.Play();
}

void Win32DeskUi::FlashUntilForeground() {
  if (owner_ == nullptr || ::GetForegroundWindow() == owner_) return;
  FLASHWINFO flash = {};
  flash.cbSize = sizeof flash;
  flash.hwnd = owner_;
  // The taskbar button keeps flashing until the window comes to the front.
  flash.dwFlags = FLASHW_ALL | FLASHW_TIMERNOFG;
  ::FlashWindowEx(&flash);
}

Win32DeskUi& DeskShellUi() {
  static Win32DeskUi ui;
  return ui;
}
