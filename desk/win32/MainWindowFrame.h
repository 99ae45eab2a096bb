// The main window as a frame the operator can size: its smallest size, the
// layout of its lists when it changes, its place saved and restored within
// the visible screen, the list notifications the desk logic acts on, and F5.
#pragma once

#include <windows.h>

#include "desk/DeskSettings.h"
#include "desk/MainWindow.h"

class MainWindowFrame {
 public:
  // WM_INITDIALOG: the resource's size becomes the smallest, then the window,
  // still hidden, goes where `saved` says (or opens tall enough for the journal).
  void Start(HWND window, const WindowPlacement& saved);
  void LimitSize(MINMAXINFO& info) const;
  // After the first WM_SHOWWINDOW: a window saved maximised is maximised once
  // the dialog manager has shown it, which it does in the normal size when
  // the dialog's queue first runs empty; maximised any earlier, it would be
  // put back to the normal size then.
  void MaximiseIfSaved(HWND window);
  // WM_SIZE: the lists, the journal and the state line follow the client area.
  void LayOut(HWND window) const;
  // The window's normal place and whether it is maximised, to be saved.
  static WindowPlacement Placement(HWND window);

 private:
  SIZE minimum_ = {0, 0};
  bool maximisePending_ = false;
};

// WM_NOTIFY from the order lists: header clicks sort, a double-click acts on
// the row, a selection tells which list the information commands ask about.
void ForwardListNotification(DeskMainWindow& logic, const NMHDR& notice);

// F5 in the main window runs "Получить справочники" while its button is enabled.
void InstallQuickKeys(HWND window);
void RemoveQuickKeys();
