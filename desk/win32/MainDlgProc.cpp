// The main window's procedure: start, timer ticks, commands, close and
// destroy go to the desk's main window logic, which lives as long as the window.
#include <memory>

#include "desk/MainWindow.h"
#include "desk/win32/DialogProcedures.h"
#include "desk/win32/MainWindowFrame.h"
#include "desk/win32/Win32DeskUi.h"
#include "desk/win32/Win32Dialog.h"

namespace {

constexpr UINT_PTR kPollTimerId = 0;
constexpr UINT kPollPeriodMs = 500;

struct MainWindowSession {
  explicit MainWindowSession(HWND hwndDlg) : window(hwndDlg), logic(DeskShellUi()) {}
  Win32Dialog window;
  DeskMainWindow logic;
  MainWindowFrame frame;
};

MainWindowSession* SessionOf(HWND hwndDlg) {
  return reinterpret_cast<MainWindowSession*>(::GetWindowLongPtrW(hwndDlg, DWLP_USER));
}

INT_PTR AsDialogResult(bool handled) { return handled ? TRUE : FALSE; }

}  // namespace

INT_PTR CALLBACK MainDlgProc(HWND hwndDlg, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    DeskShellUi().SetOwner(hwndDlg);
    auto* session = new MainWindowSession(hwndDlg);
    ::SetWindowLongPtrW(hwndDlg, DWLP_USER, reinterpret_cast<LONG_PTR>(session));
    session->logic.Start(session->window);
    session->frame.Start(hwndDlg, session->logic.Preferences().window);
    InstallQuickKeys(hwndDlg);
    ::SetTimer(hwndDlg, kPollTimerId, kPollPeriodMs, nullptr);
    return TRUE;
  }
  MainWindowSession* session = SessionOf(hwndDlg);
  if (session == nullptr) return FALSE;
  switch (message) {
    case WM_TIMER:
      session->frame.MaximiseIfSaved(hwndDlg);
      return AsDialogResult(session->logic.Tick(session->window));
    case WM_COMMAND:
      return AsDialogResult(session->logic.Command(session->window, LOWORD(wParam)));
    case WM_CLOSE:
      return AsDialogResult(session->logic.Close(session->window));
    case WM_GETMINMAXINFO:
      session->frame.LimitSize(*reinterpret_cast<MINMAXINFO*>(lParam));
      return TRUE;
    case WM_SIZE:
      session->frame.LayOut(hwndDlg);
      return TRUE;
    case WM_NOTIFY:
      ForwardListNotification(session->logic, *reinterpret_cast<const NMHDR*>(lParam));
      return FALSE;
    case WM_DESTROY:
      RemoveQuickKeys();
      session->logic.Preferences().window = MainWindowFrame::Placement(hwndDlg);
      return AsDialogResult(session->logic.Destroy());
    case WM_NCDESTROY: {
      // The lists are already forgotten (WM_DESTROY); the adapters go with the window.
      std::unique_ptr<MainWindowSession> gone(session);
      ::SetWindowLongPtrW(hwndDlg, DWLP_USER, 0);
      DeskShellUi().SetOwner(nullptr);
      return FALSE;
    }
    default:
      return FALSE;
  }
}
