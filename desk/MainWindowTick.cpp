// The main window's start and its tick: button states from the client, and
// the dispatch of every queued answer to the order lists or a box. Boxes nest
// at most kMaxOpenBoxes deep; answers that would open one more wait in order.
#include "desk/AutoAccept.h"
#include "desk/DeskGlobals.h"
#include "desk/DeskIds.h"
#include "desk/MainWindow.h"
#include "desk/MessageTexts.h"
#include "desk/OrderList.h"
#include "protocol/KBRCodes.h"

// Counts a box or dialog for as long as it stands open.
class DeskMainWindow::OpenBoxScope {
 public:
  explicit OpenBoxScope(int& count) : count_(count) { ++count_; }
  ~OpenBoxScope() { --count_; }
  OpenBoxScope(const OpenBoxScope&) = delete;
  OpenBoxScope& operator=(const OpenBoxScope&) = delete;

 private:
  int& count_;
};

DeskMainWindow::DeskMainWindow(DeskUi& ui) : ui_(ui) {}

int DeskMainWindow::ShowBox(const std::string& text, const std::string& caption, unsigned style) {
  OpenBoxScope open(openBoxes_);
  return ui_.ShowMessageBox(text, caption, style);
}

int DeskMainWindow::RunDialog(int resourceId) {
  OpenBoxScope open(openBoxes_);
  return ui_.RunDialog(resourceId);
}

bool DeskMainWindow::Start(DeskDialog& window) {
  NewList = window.ListView(IDC_NEW_ORDERS);
  MyList = window.ListView(IDC_MY_ORDERS);
  if (NewList != nullptr) SetColumn(*NewList);
  if (MyList != nullptr) SetColumn(*MyList);
  ReadIni(MainIniFile);
  window.SetText(IDC_SERVER, MainIniFile.IPAddress);
  window.SetText(IDC_PORT, MainIniFile.Port);
  window.SetText(IDC_LOGIN, MainIniFile.Login);
  window.SetText(IDC_PASSWORD, MainIniFile.Password);
  DeskAutoAccept.Load(SettingsFilePath(), ui_);
  return true;
}

bool DeskMainWindow::Close(DeskDialog& window) {
  window.EndDialog(IDCANCEL);
  return true;
}

bool DeskMainWindow::Destroy() {
  NewList = nullptr;
  MyList = nullptr;
  return true;
}

void DeskMainWindow::UpdateButtons(DeskDialog& window) {
  const bool workerRuns = Client.ThreadId.load() != 0;
  window.Enable(IDC_CONNECT, !workerRuns);
  window.Enable(IDC_DISCONNECT, workerRuns);
  const bool authorized = Client.Authorized.load();
  for (const CommandButton& button : kCommandButtons) window.Enable(button.controlId, authorized);
  DeskAutoAccept.ShowSwitch(window);
}

bool DeskMainWindow::Tick(DeskDialog& window) {
  UpdateButtons(window);
  ShowWaitingAnswers();
  KestoBrimo_AsyncResponce response;
  while (Client.GetClientResponce(response)) {
    if (DeskAutoAccept.OnResponse(response, ui_)) continue;
    if (ApplyListNotification(response)) continue;
    // Behind any answer still waiting, so the boxes keep the answers' order.
    waiting_.push_back(response);
    ShowWaitingAnswers();
  }
  return true;
}

void DeskMainWindow::ShowWaitingAnswers() {
  while (openBoxes_ < kMaxOpenBoxes && !waiting_.empty()) {
    // Taken out before it is shown: ticks inside its box must not show it again.
    const KestoBrimo_AsyncResponce response = waiting_.front();
    waiting_.pop_front();
    ShowAnswer(response);
  }
}

bool DeskMainWindow::ApplyListNotification(const KestoBrimo_AsyncResponce& response) {
  const KestoOrder& order = response.Order;
  switch (response.reason) {
    case KBRReason_NewOrder:
      if (NewList != nullptr) {
        NewOrders[order.OrderId] = order;
        PutOrderToListView(*NewList, order);
      }
      return true;
    case KBRReason_NewOrderRemoved:
      if (NewList != nullptr) {
        NewOrders.erase(order.OrderId);
        DelOrderFromListView(*NewList, order.OrderId);
      }
      return true;
    case KBRReason_MyOrder:
      if (MyList != nullptr) {
        MyOrders[order.OrderId] = order;
        PutOrderToListView(*MyList, order);
      }
      return true;
    case KBRReason_MyOrderRemoved:
      if (MyList != nullptr) {
        MyOrders.erase(order.OrderId);
        DelOrderFromListView(*MyList, order.OrderId);
      }
      return true;
    default:
      return false;
  }
}

void DeskMainWindow::ShowAnswer(const KestoBrimo_AsyncResponce& response) {
  const bool ok = response.OperationStatus == KBRStatus_Ok;
  switch (response.reason) {
    case KBRReason_Directories:
      RunDialog(IDD_DIRECTORIES);
      return;
    case KBRReason_Tariff:
      // A failed tariff answer is shown like every other failed answer.
      if (ok) {
        ShowBox(TariffText(response.Tariff), kTariffCaption, kMbOk);
        return;
      }
      break;
    case KBRReason_OrderFullInfo:
    case KBRReason_OrderPartialInfo:
      if (ok) {
        ShowBox(OrderInfoText(response.Order, Client), kOrderInfoCaption, kMbOk);
        return;
      }
      break;
    default:
      break;
  }
  ShowBox(StatusText(response), StatusCaption(response.OperationStatus), kMbOk);
}
