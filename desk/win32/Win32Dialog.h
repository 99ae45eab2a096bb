// The desk's dialog interface over a Win32 dialog window, texts in UTF-16.
#pragma once

#include <windows.h>

#include <map>
#include <memory>

#include "desk/DeskDialog.h"
#include "desk/win32/Win32ListView.h"

class Win32Dialog : public DeskDialog {
 public:
  explicit Win32Dialog(HWND dialog) : dialog_(dialog) {}

  HWND Handle() const { return dialog_; }

  std::string GetText(int id, std::size_t maxChars) override;
  void SetText(int id, const std::string& text) override;
  std::uint32_t GetUnsigned(int id) override;
  std::int32_t GetSigned(int id) override;
  void SetUnsigned(int id, std::uint32_t value) override;

  void ComboReset(int id) override;
  int ComboAdd(int id, const std::string& text, std::intptr_t data) override;
  int ComboCount(int id) override;
  int ComboSelection(int id) override;
  void ComboSelect(int id, int index) override;
  std::intptr_t ComboItemData(int id, int index) override;
  std::string ComboItemText(int id, int index) override;

  bool IsChecked(int id) override;
  void SetChecked(int id, bool checked) override;

  void Show(int id, bool visible) override;
  void Enable(int id, bool enabled) override;

  int FocusedControl() override;
  int NextTabItem(int id) override;
  void SetFocus(int id) override;
  void Repaint() override;

  platform::LocalTime GetDateTime(int id) override;
  void SetDateTime(int id, const platform::LocalTime& value) override;

  KestoListView* ListView(int id) override;

  void EndDialog(int code) override;

 private:
  LRESULT SendItem(int id, UINT message, WPARAM wParam, LPARAM lParam);

  HWND dialog_;
  // One adapter per list control, alive as long as the dialog.
  std::map<int, std::unique_ptr<Win32ListView>> lists_;
};
