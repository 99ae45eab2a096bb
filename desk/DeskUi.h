// What the desk logic needs from the window system besides its dialogs:
// message boxes, modal dialogs by resource id, the debug log, the alert for a
// new order and the sound of an automatic accept.
#pragma once

#include <string>

#include "desk/DeskIds.h"

// Message box styles, with their Windows values; the answers (IDOK, IDYES,
// IDNO) are in desk/DeskIds.h.
constexpr unsigned kMbOk = 0x0;     // MB_OK
constexpr unsigned kMbYesNo = 0x4;  // MB_YESNO

class DeskUi {
 public:
  virtual ~DeskUi() = default;
  // A modal message box owned by the main window; returns the button pressed.
  virtual int ShowMessageBox(const std::string& text, const std::string& caption, unsigned style) = 0;
  // Runs dialog `resourceId` modally, owned by the main window; returns its end code.
  virtual int RunDialog(int resourceId) = 0;
  // One line in the process's debug log.
  virtual void WriteDebugLog(const std::string& message) = 0;
  // A new order is offered: a short system sound, and a flashing taskbar
  // button until the operator returns when the desk is not in front.
  virtual void PlayNewOrderSound() = 0;
  virtual void FlashUntilForeground() = 0;
  // An order was accepted automatically: a short system sound of its own.
  virtual void PlayAutoAcceptSound() = 0;
};
