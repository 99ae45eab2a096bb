// Message boxes, modal dialogs by resource id, the debug log, the new-order
// alert and the sound of an automatic accept for the desk logic.
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
  explicit SoundPlayer(UINT beepType) : beepType_(beepType) {}
  void Play() {
    if (!started_) Start();
    if (wake_ == nullptr) {
      ::MessageBeep(beepType_);
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
    HANDLE thread = ::CreateThread(nullptr, 0, &PlayOnRequest, this, 0, nullptr);
    if (thread == nullptr) {
      ::CloseHandle(wake_);
      wake_ = nullptr;
      return;
    }
    ::CloseHandle(thread);
  }
  // The player is a static of its caller: it outlives the thread's every wait.
  static DWORD WINAPI PlayOnRequest(void* self) {
    const SoundPlayer* player = static_cast<const SoundPlayer*>(self);
    while (::WaitForSingleObject(player->wake_, INFINITE) == WAIT_OBJECT_0) ::MessageBeep(player->beepType_);
    return 0;
  }

  const UINT beepType_;
  bool started_ = false;
  HANDLE wake_ = nullptr;
};

}  // namespace

void Win32DeskUi::PlayNewOrderSound() {
  static SoundPlayer player(MB_ICONASTERISK);
  player.Play();
}

// Not the asterisk of a new offer: the dispatcher hears which of the two happened.
void Win32DeskUi::PlayAutoAcceptSound() {
  static SoundPlayer player(MB_ICONEXCLAMATION);
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
