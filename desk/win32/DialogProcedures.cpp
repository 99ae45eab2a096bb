// The command, directory, tariff and auto-accept dialogs' procedures. Each open dialog
// keeps its adapter and its logic in the window's user data from
// WM_INITDIALOG to WM_NCDESTROY; two viewers may be open at once.
#include "desk/win32/DialogProcedures.h"

#include <memory>

#include "desk/DeskDialogs.h"
#include "desk/DeskIds.h"
#include "desk/win32/Win32DeskUi.h"
#include "desk/win32/Win32Dialog.h"

namespace {

struct DialogSession {
  DialogSession(HWND hwndDlg, int resourceId) : dialog(hwndDlg), logic(CreateDeskDialog(resourceId, DeskShellUi())) {}
  Win32Dialog dialog;
  std::unique_ptr<DeskDialogLogic> logic;
};

DialogSession* SessionOf(HWND hwndDlg) {
  return reinterpret_cast<DialogSession*>(::GetWindowLongPtrW(hwndDlg, DWLP_USER));
}

INT_PTR HandleDialogMessage(int resourceId, HWND hwndDlg, UINT message, WPARAM wParam) {
  switch (message) {
    case WM_INITDIALOG: {
      auto* session = new DialogSession(hwndDlg, resourceId);
      ::SetWindowLongPtrW(hwndDlg, DWLP_USER, reinterpret_cast<LONG_PTR>(session));
      return session->logic != nullptr && !session->logic->Start(session->dialog) ? FALSE : TRUE;
    }
    case WM_COMMAND: {
      DialogSession* session = SessionOf(hwndDlg);
      if (session == nullptr || session->logic == nullptr) return FALSE;
      return session->logic->Command(session->dialog, LOWORD(wParam)) ? TRUE : FALSE;
    }
    case WM_NCDESTROY: {
      std::unique_ptr<DialogSession> session(SessionOf(hwndDlg));
      ::SetWindowLongPtrW(hwndDlg, DWLP_USER, 0);
      return FALSE;
    }
    default:
      return FALSE;
  }
}

}  // namespace

INT_PTR CALLBACK DirDlgProc(HWND hwndDlg, UINT message, WPARAM wParam, LPARAM) {
  return HandleDialogMessage(IDD_DIRECTORIES, hwndDlg, message, wParam);
}

INT_PTR CALLBACK AddOrderDlgProc(HWND hwndDlg, UINT message, WPARAM wParam, LPARAM) {
  return HandleDialogMessage(IDD_ADD_ORDER, hwndDlg, message, wParam);
}

INT_PTR CALLBACK SetTimeDlgProc(HWND hwndDlg, UINT message, WPARAM wParam, LPARAM) {
  return HandleDialogMessage(IDD_NOTIFY_MODE, hwndDlg, message, wParam);
}

INT_PTR CALLBACK OrderStatusDlgProc(HWND hwndDlg, UINT message, WPARAM wParam, LPARAM) {
  return HandleDialogMessage(IDD_ORDER_STATUS, hwndDlg, message, wParam);
}

INT_PTR CALLBACK CarDescriptionDlgProc(HWND hwndDlg, UINT message, WPARAM wParam, LPARAM) {
  return HandleDialogMessage(IDD_CAR_DESCRIPTION, hwndDlg, message, wParam);
}

INT_PTR CALLBACK GetTariffDlgProc(HWND hwndDlg, UINT message, WPARAM wParam, LPARAM) {
  return HandleDialogMessage(IDD_TARIFF, hwndDlg, message, wParam);
}

INT_PTR CALLBACK OrderInputDlgProc(HWND hwndDlg, UINT message, WPARAM wParam, LPARAM) {
  return HandleDialogMessage(IDD_ORDER_ID, hwndDlg, message, wParam);
}

INT_PTR CALLBACK AutoAcceptDlgProc(HWND hwndDlg, UINT message, WPARAM wParam, LPARAM) {
  return HandleDialogMessage(IDD_AUTO_ACCEPT, hwndDlg, message, wParam);
}

DLGPROC DialogProcedureFor(int resourceId) {
  switch (resourceId) {
    case IDD_DIRECTORIES:
      return DirDlgProc;
    case IDD_ADD_ORDER:
      return AddOrderDlgProc;
    case IDD_NOTIFY_MODE:
      return SetTimeDlgProc;
    case IDD_ORDER_STATUS:
      return OrderStatusDlgProc;
    case IDD_CAR_DESCRIPTION:
      return CarDescriptionDlgProc;
    case IDD_TARIFF:
      return GetTariffDlgProc;
    case IDD_ORDER_ID:
      return OrderInputDlgProc;
    case IDD_AUTO_ACCEPT:
      return AutoAcceptDlgProc;
    default:
      return nullptr;
  }
}
