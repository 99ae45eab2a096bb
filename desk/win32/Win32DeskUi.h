// The desk's window-system services on Win32: message boxes and modal
// dialogs owned by the main window, the debug log, the new-order alert and
// the sound of an automatic accept.
#pragma once

#include <windows.h>

#include "desk/DeskUi.h"

// The module handle every dialog is loaded from; set by WinMain.
extern HINSTANCE hInstance;

class Win32DeskUi : public DeskUi {
 public:
  // The main window, owner of every box and dialog; null once it is gone.
  void SetOwner(HWND owner) { owner_ = owner; }

  int ShowMessageBox(const std::string& text, const std::string& caption, unsigned style) override;
  int RunDialog(int resourceId) override;
  void PlayAutoAcceptSound() override;
  void WriteDebugLog(const std::string& message) override;
  void PlayNewOrderSound() override;
  void FlashUntilForeground() override;

 private:
  HWND owner_ = nullptr;
};

// The one instance the main window and every dialog procedure share.
Win32DeskUi& DeskShellUi();
