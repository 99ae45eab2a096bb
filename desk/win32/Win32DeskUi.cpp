// Message boxes, modal dialogs by resource id, the debug log and the sound of
// an automatic accept for the desk logic.
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

// Not the asterisk of a new offer: the dispatcher hears which of the two happened.
void Win32DeskUi::PlayAutoAcceptSound() { ::MessageBeep(MB_ICONEXCLAMATION); }

void Win32DeskUi::WriteDebugLog(const std::string& message) { PrintToDebugLog("%s", message.c_str()); }

Win32DeskUi& DeskShellUi() {
  static Win32DeskUi ui;
  return ui;
}
