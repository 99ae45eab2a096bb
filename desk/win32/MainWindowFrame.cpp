// Sizing, placing and laying out the main window, and its list and key input.
#include "desk/win32/MainWindowFrame.h"

#include <commctrl.h>

#include "desk/DeskIds.h"
#include "desk/Layout.h"

namespace {

DialogUnits UnitsOf(HWND window) {
  RECT units = {0, 0, 4, 8};
  ::MapDialogRect(window, &units);
  DialogUnits result;
  result.baseX = units.right > 0 ? units.right : 4;
  result.baseY = units.bottom > 0 ? units.bottom : 8;
  return result;
}

// The work area of the window's monitor, in the workspace coordinates of
// SetWindowPlacement (which start at the work area's corner).
ScreenArea WorkspaceOf(HWND window) {
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof(monitor);
  ::GetMonitorInfoW(::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor);
  const RECT& work = monitor.rcWork;
  return {0, 0, work.right - work.left, work.bottom - work.top};
}

void Place(HDWP& positions, HWND window, int id, const LayoutRect& rect) {
  HWND control = ::GetDlgItem(window, id);
  if (control == nullptr || positions == nullptr) return;
  const bool shown = rect.Width() > 0 && rect.Height() > 0;
  positions = ::DeferWindowPos(positions, control, nullptr, rect.left, rect.top, rect.Width(), rect.Height(),
                               SWP_NOZORDER | SWP_NOACTIVATE | (shown ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
}

HHOOK quickKeyHook = nullptr;
HWND quickKeyWindow = nullptr;

LRESULT CALLBACK QuickKeyFilter(int code, WPARAM wParam, LPARAM lParam) {
  const MSG* message = reinterpret_cast<const MSG*>(lParam);
  if (code == MSGF_DIALOGBOX && message != nullptr && message->message == WM_KEYDOWN && message->wParam == VK_F5 &&
      quickKeyWindow != nullptr && (message->hwnd == quickKeyWindow || ::IsChild(quickKeyWindow, message->hwnd))) {
    HWND button = ::GetDlgItem(quickKeyWindow, IDC_GET_DIRECTORY);
    // The button is enabled exactly while the desk is logged in.
    if (button != nullptr && ::IsWindowEnabled(button)) {
      ::PostMessageW(quickKeyWindow, WM_COMMAND, MAKEWPARAM(IDC_GET_DIRECTORY, BN_CLICKED),
                     reinterpret_cast<LPARAM>(button));
    }
    return TRUE;
  }
  return ::CallNextHookEx(quickKeyHook, code, wParam, lParam);
}

}  // namespace

void MainWindowFrame::Start(HWND window, const WindowPlacement& saved) {
  RECT frame = {};
  ::GetWindowRect(window, &frame);
  minimum_ = {frame.right - frame.left, frame.bottom - frame.top};

  WindowPlacement wanted = saved;
  const ScreenArea area = WorkspaceOf(window);
  if (wanted.width <= 0 || wanted.height <= 0) {
    // First start: room for the journal under the lists, in the middle of the screen.
    wanted.width = minimum_.cx;
    wanted.height = minimum_.cy + UnitsOf(window).Y(kJournalMinUnits + 8);
    wanted.left = (area.right - wanted.width) / 2;
    wanted.top = (area.bottom - wanted.height) / 2;
  }
  wanted = FitOnScreen(wanted, area, minimum_.cx, minimum_.cy);

  WINDOWPLACEMENT placement = {};
  placement.length = sizeof(placement);
  ::GetWindowPlacement(window, &placement);
  placement.rcNormalPosition = {wanted.left, wanted.top, wanted.left + wanted.width, wanted.top + wanted.height};
  placement.showCmd = SW_HIDE;  // the dialog manager shows it
  ::SetWindowPlacement(window, &placement);
  maximisePending_ = wanted.maximized;
  LayOut(window);
}

void MainWindowFrame::MaximiseIfSaved(HWND window) {
  if (!maximisePending_ || !::IsWindowVisible(window)) return;
  maximisePending_ = false;
  ::ShowWindow(window, SW_MAXIMIZE);
}

void MainWindowFrame::LimitSize(MINMAXINFO& info) const {
  if (minimum_.cx <= 0) return;  // before WM_INITDIALOG the window is the resource's size
  info.ptMinTrackSize.x = minimum_.cx;
  info.ptMinTrackSize.y = minimum_.cy;
}

void MainWindowFrame::LayOut(HWND window) const {
  RECT client = {};
  ::GetClientRect(window, &client);
  if (client.right <= 0 || client.bottom <= 0) return;  // minimised
  const MainLayout layout = LayOutMainWindow(client.right, client.bottom, UnitsOf(window));
  HDWP positions = ::BeginDeferWindowPos(9);
  Place(positions, window, IDC_NEW_ORDERS_GROUP, layout.newOrdersGroup);
  Place(positions, window, IDC_NEW_ORDERS, layout.newOrders);
  Place(positions, window, IDC_MY_ORDERS_GROUP, layout.myOrdersGroup);
  Place(positions, window, IDC_MY_ORDERS, layout.myOrders);
  Place(positions, window, IDC_JOURNAL_GROUP, layout.journalGroup);
  Place(positions, window, IDC_JOURNAL, layout.journal);
  Place(positions, window, IDC_STATE_LINE, layout.stateLine);
  Place(positions, window, IDC_AUTO_ACCEPT, layout.autoAcceptSwitch);
  Place(positions, window, IDC_AUTO_ACCEPT_RULES, layout.autoAcceptRules);
  if (positions != nullptr) ::EndDeferWindowPos(positions);
  // Group boxes paint only their frames: the old ones must go.
  ::InvalidateRect(window, nullptr, TRUE);
}

WindowPlacement MainWindowFrame::Placement(HWND window) {
  WINDOWPLACEMENT placement = {};
  placement.length = sizeof(placement);
  WindowPlacement saved;
  if (!::GetWindowPlacement(window, &placement)) return saved;
  const RECT& normal = placement.rcNormalPosition;
  saved = {normal.left, normal.top, normal.right - normal.left, normal.bottom - normal.top,
           placement.showCmd == SW_SHOWMAXIMIZED || ::IsZoomed(window) != FALSE};
  return saved;
}

void ForwardListNotification(DeskMainWindow& logic, const NMHDR& notice) {
  const int list = static_cast<int>(notice.idFrom);
  if (list != IDC_NEW_ORDERS && list != IDC_MY_ORDERS) return;
  switch (notice.code) {
    case LVN_COLUMNCLICK:
      logic.ColumnClicked(list, reinterpret_cast<const NMLISTVIEW&>(notice).iSubItem);
      break;
    case NM_DBLCLK:
      if (reinterpret_cast<const NMITEMACTIVATE&>(notice).iItem >= 0) logic.RowActivated(list);
      break;
    case LVN_ITEMCHANGED: {
      const NMLISTVIEW& change = reinterpret_cast<const NMLISTVIEW&>(notice);
      if ((change.uChanged & LVIF_STATE) != 0 && (change.uNewState & LVIS_SELECTED) != 0) logic.RowSelected(list);
      break;
    }
    default:
      break;
  }
}

void InstallQuickKeys(HWND window) {
  quickKeyWindow = window;
  if (quickKeyHook == nullptr) {
    quickKeyHook = ::SetWindowsHookExW(WH_MSGFILTER, QuickKeyFilter, nullptr, ::GetCurrentThreadId());
  }
}

void RemoveQuickKeys() {
  if (quickKeyHook != nullptr) ::UnhookWindowsHookEx(quickKeyHook);
  quickKeyHook = nullptr;
  quickKeyWindow = nullptr;
}
