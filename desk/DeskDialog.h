// A dialog as the desk logic sees it: its controls by id. The Windows shell
// implements it over a dialog window; tests use a fake. Each dialog's logic
// is a DeskDialogLogic that the shell feeds with the dialog's messages.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "desk/ListView.h"
#include "platform/clock.h"

class DeskDialog {
 public:
  virtual ~DeskDialog() = default;

  // Window texts. A drop-down list's text is its selected entry's text.
  virtual std::string GetText(int id, std::size_t maxChars) = 0;
  virtual void SetText(int id, const std::string& text) = 0;
  // GetDlgItemInt and SetDlgItemInt: 0 when the text is not a number in range.
  virtual std::uint32_t GetUnsigned(int id) = 0;
  virtual std::int32_t GetSigned(int id) = 0;
  virtual void SetUnsigned(int id, std::uint32_t value) = 0;

  // Combo boxes whose entries carry a number. ComboAdd returns the entry's
  // index (a sorted combo box places it by its text), or -1.
  virtual void ComboReset(int id) = 0;
  virtual int ComboAdd(int id, const std::string& text, std::intptr_t data) = 0;
  virtual int ComboCount(int id) = 0;
  virtual int ComboSelection(int id) = 0;  // -1 without one
  virtual void ComboSelect(int id, int index) = 0;
  virtual std::intptr_t ComboItemData(int id, int index) = 0;
  virtual std::string ComboItemText(int id, int index) = 0;

  // Check boxes and radio buttons.
  virtual bool IsChecked(int id) = 0;
  virtual void SetChecked(int id, bool checked) = 0;

  virtual void Show(int id, bool visible) = 0;
  virtual void Enable(int id, bool enabled) = 0;

  // The control that has the focus, 0 when none of this dialog's has it.
  virtual int FocusedControl() = 0;
  // The next control in tab order after `id` (GetNextDlgTabItem), 0 when there is none.
  virtual int NextTabItem(int id) = 0;
  virtual void SetFocus(int id) = 0;
  // Repaints the whole dialog, erasing the background.
  virtual void Repaint() = 0;

  // Date and time pickers.
  virtual platform::LocalTime GetDateTime(int id) = 0;
  virtual void SetDateTime(int id, const platform::LocalTime& value) = 0;

  // A list view control of the dialog; null when there is none with this id.
  virtual KestoListView* ListView(int id) = 0;

  virtual void EndDialog(int code) = 0;
};

// One open dialog's behaviour: Start on WM_INITDIALOG, Command on each
// WM_COMMAND with the control id (the low word of wParam). Both return what
// the dialog procedure returns.
class DeskDialogLogic {
 public:
  virtual ~DeskDialogLogic() = default;
  virtual bool Start(DeskDialog& dialog) = 0;
  virtual bool Command(DeskDialog& dialog, int controlId) = 0;
};
