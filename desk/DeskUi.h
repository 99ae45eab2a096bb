// What the desk logic needs from the window system besides its dialogs:
// message boxes, modal dialogs by resource id, short sounds, and the debug log.
#pragma once

#include <string>

#include "desk/DeskIds.h"

// Message box styles, with their Windows values; the answers (IDOK, IDYES,
// IDNO) are in desk/DeskIds.h.
constexpr unsigned kMbOk = 0x0;     // MB_OK
constexpr unsigned kMbYesNo = 0x4;  // MB_YESNO

// Short system sounds, by the MessageBeep type that plays them.
constexpr unsigned kAutoAcceptSound = 0x40;  // MB_ICONASTERISK

class DeskUi {
 public:
  virtual ~DeskUi() = default;
  // A modal message box owned by the main window; returns the button pressed.
  virtual int ShowMessageBox(const std::string& text, const std::string& caption, unsigned style) = 0;
  // Runs dialog `resourceId` modally, owned by the main window; returns its end code.
  virtual int RunDialog(int resourceId) = 0;
  // A short system sound (MessageBeep); it does not wait for the sound to end.
  virtual void PlaySound(unsigned beepType) = 0;
  // One line in the process's debug log.
  virtual void WriteDebugLog(const std::string& message) = 0;
};
