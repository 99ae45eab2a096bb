// The desk's program entry: sockets and the debug log up, the main window run
// until the operator closes it, then the client's worker stopped and all torn
// down. The desk's globals are constructed before this runs (DeskGlobals.cpp).
#include <windows.h>
#include <commctrl.h>

#include "client/DebugLog.h"
#include "desk/DeskGlobals.h"
#include "desk/DeskIds.h"
#include "desk/win32/DialogProcedures.h"
#include "desk/win32/Win32DeskUi.h"
#include "platform/socket.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  hInstance = instance;
  platform::StartSockets();  // Windows Sockets 1.1; a failure shows later as connection errors
  OpenDebugLog();

  INITCOMMONCONTROLSEX controls = {};
  controls.dwSize = sizeof(controls);
  controls.dwICC = ICC_LISTVIEW_CLASSES | ICC_DATE_CLASSES | ICC_STANDARD_CLASSES;
  ::InitCommonControlsEx(&controls);

  ::DialogBoxParamW(hInstance, MAKEINTRESOURCEW(IDD_MAIN), nullptr, MainDlgProc, 0);

  NewList = nullptr;
  MyList = nullptr;
  Client.Disconnect();
  platform::StopSockets();
  PrintToDebugLog("Exit program");
  return 0;
}
