// The desk's dialog procedures: each only hands its window's messages to the
// desk logic of its dialog.
#pragma once

#include <windows.h>

INT_PTR CALLBACK MainDlgProc(HWND hwndDlg, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK DirDlgProc(HWND hwndDlg, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK AddOrderDlgProc(HWND hwndDlg, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK SetTimeDlgProc(HWND hwndDlg, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK OrderStatusDlgProc(HWND hwndDlg, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK CarDescriptionDlgProc(HWND hwndDlg, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK GetTariffDlgProc(HWND hwndDlg, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK OrderInputDlgProc(HWND hwndDlg, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK AutoAcceptDlgProc(HWND hwndDlg, UINT message, WPARAM wParam, LPARAM lParam);

// The procedure of dialog `resourceId` (IDD_DIRECTORIES to IDD_AUTO_ACCEPT); null
// for any other id.
DLGPROC DialogProcedureFor(int resourceId);
