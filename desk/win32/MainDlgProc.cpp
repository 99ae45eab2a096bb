// The main window's procedure: start, timer ticks, commands, close and
// destroy go to the desk's main window logic, which lives as long as the window.
// A response queued by the client's worker posts a tick at once; grey rows
// are drawn through the lists' custom draw.
#include <windows.h>
// After <windows.h>, which it needs.
#include <commctrl.h>

#include <atomic>
#include <memory>

#include "desk/DeskGlobals.h"
#include "desk/MainWindow.h"
#include "desk/win32/DialogProcedures.h"
#include "desk/win32/MainWindowFrame.h"
#include "desk/win32/Win32DeskUi.h"
#include "desk/win32/Win32Dialog.h"

namespace {

constexpr UINT_PTR kPollTimerId = 0;
constexpr UINT kPollPeriodMs = 500;
// Posted by the client's worker when it has queued a response.
constexpr UINT kResponsesQueued = WM_APP + 1;
// Posted when the dialog manager first shows the window, to maximise it after.
constexpr UINT kShown = WM_APP + 2;
constexpr COLORREF kStaleRowText = RGB(150, 150, 150);
constexpr COLORREF kStaleSelectedBack = RGB(215, 222, 240);

// Where the worker's notification posts to. It outlives every window, so
// a notification that comes as the window closes finds no stale pointer.
struct ResponseWakeUp {
  std::atomic<HWND> window{nullptr};
  // One tick message waits at a time: a burst of responses must not fill
  // the window's message queue.
  std::atomic<bool> posted{false};
};
ResponseWakeUp responseWakeUp;

void PostTickOnResponse(void*) {
  HWND window = responseWakeUp.window.load();
  if (window != nullptr && !responseWakeUp.posted.exchange(true)) {
    if (!::PostMessageW(window, kResponsesQueued, 0, 0)) responseWakeUp.posted.store(false);
  }
}

// Grey text for the rows whose orders may have changed while the connection was lost.
LRESULT DrawListRow(const DeskMainWindow& logic, NMLVCUSTOMDRAW& draw) {
  switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
      return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
      if (logic.IsStaleRow(static_cast<int>(draw.nmcd.hdr.idFrom), static_cast<std::intptr_t>(draw.nmcd.lItemlParam))) {
        draw.clrText = kStaleRowText;
        // The selection colours would hide the grey: a selected stale row
        // keeps grey text on a tint of its own.
        if ((draw.nmcd.uItemState & CDIS_SELECTED) != 0) {
          draw.nmcd.uItemState &= ~static_cast<UINT>(CDIS_SELECTED);
          draw.clrTextBk = kStaleSelectedBack;
        }
        return CDRF_NEWFONT;
      }
      return CDRF_DODEFAULT;
    default:
      return CDRF_DODEFAULT;
  }
}

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
    responseWakeUp.window.store(hwndDlg);
    Client.SetResponseNotify(&PostTickOnResponse, nullptr);
    return TRUE;
  }
  MainWindowSession* session = SessionOf(hwndDlg);
  if (session == nullptr) return FALSE;
  switch (message) {
    case WM_TIMER:
      return AsDialogResult(session->logic.Tick(session->window));
    case kResponsesQueued:
      // Cleared first: a response queued during this tick posts the next one.
      responseWakeUp.posted.store(false);
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
    case WM_SHOWWINDOW:
      if (wParam) ::PostMessageW(hwndDlg, kShown, 0, 0);
      return FALSE;
    case kShown:
      session->frame.MaximiseIfSaved(hwndDlg);
      return TRUE;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->code == NM_CUSTOMDRAW && (header->idFrom == IDC_NEW_ORDERS || header->idFrom == IDC_MY_ORDERS)) {
        ::SetWindowLongPtrW(hwndDlg, DWLP_MSGRESULT,
                            DrawListRow(session->logic, *reinterpret_cast<NMLVCUSTOMDRAW*>(lParam)));
        return TRUE;
      }
      ForwardListNotification(session->logic, *header);
      return FALSE;
    }
    case WM_DESTROY:
      responseWakeUp.window.store(nullptr);
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
