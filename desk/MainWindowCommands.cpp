// The main window's buttons: what each reads (fields, the selected row, a
// confirmation, a dialog) and which client call it makes. Nothing waits for
// the exchange: answers come back through the tick.
#include "desk/DeskGlobals.h"
#include "desk/DeskIds.h"
#include "desk/MainWindow.h"
#include "desk/TextFormat.h"

namespace {
constexpr std::size_t kFieldChars = 259;
constexpr std::size_t kOrderIdChars = 99;
}  // namespace

bool DeskMainWindow::Confirm(const char* question) { return ShowBox(question, "", kMbYesNo) == kIdYes; }

bool DeskMainWindow::SelectedOrder(KestoListView* list, int& orderId) {
  if (list == nullptr) return false;
  const int row = list->GetSelectionMark();
  if (row < 0) return false;
  orderId = AtoiText(list->GetItemText(row, 0, kOrderIdChars));
  return true;
}

void DeskMainWindow::Connect(DeskDialog& window) {
  MainIniFile.IPAddress = window.GetText(kServerEdit, kFieldChars);
  MainIniFile.Port = window.GetText(kPortEdit, kFieldChars);
  MainIniFile.Login = window.GetText(kLoginEdit, kFieldChars);
  MainIniFile.Password = window.GetText(kPasswordEdit, kFieldChars);
  WriteIni(MainIniFile);
  Client.SetConnectionParam(MainIniFile.IPAddress, AtoiText(MainIniFile.Port), MainIniFile.Login,
                            MainIniFile.Password);
  Client.Connect();
}

void DeskMainWindow::Disconnect() {
  NewOrders.clear();
  MyOrders.clear();
  if (NewList != nullptr) NewList->DeleteAllItems();
  if (MyList != nullptr) MyList->DeleteAllItems();
  Client.Disconnect();
}

bool DeskMainWindow::Command(DeskDialog& window, int controlId) {
  int orderId = 0;
  switch (controlId) {
    case kMainOk:
    case kMainCancel:
      window.EndDialog(controlId);
      return true;
    case kConnectButton:
      Connect(window);
      return true;
    case kDisconnectButton:
      Disconnect();
      return true;
    case kGetDirectoryButton:
      Client.GetDirectory(false);
      return true;
    case kAddOrderButton:
      CurOrder.Clear();
      if (RunDialog(kAddOrderDialog) == kPublishEndCode) Client.InsertOrder(CurOrder);
      return true;
    case kAcceptOrderButton:
      if (SelectedOrder(NewList, orderId) && Confirm("Вы хотите принять заказ?")) Client.AcceptOrder(orderId);
      return true;
    case kReturnMyOrderButton:
      if (SelectedOrder(MyList, orderId) && Confirm("Вы хотите вернуть свой заказ обратно?")) {
        Client.ReturnMyOrder(orderId);
      }
      return true;
    case kChangeStatusButton: {
      if (!SelectedOrder(MyList, orderId)) return true;
      // The dialog starts from what the desk last received for the order, not from the row.
      const auto found = MyOrders.find(orderId);
      if (found == MyOrders.end()) return true;
      ChOrderStatus = found->second.StatusId;
      ChOrderPrice = found->second.Price;
      if (RunDialog(kOrderStatusDialog) == 1) Client.ChangeOrderStatus(orderId, ChOrderStatus, ChOrderPrice);
      return true;
    }
    case kCarDescriptionButton:
      if (!SelectedOrder(MyList, orderId)) return true;
      CarDescription.clear();
      CarGovNumber.clear();
      CarCallNumber = 0;
      ToCarMin = 0;
      if (RunDialog(kCarDescriptionDialog) == 1) {
        Client.AddCarDescription(orderId, CarDescription, CarGovNumber, CarCallNumber, ToCarMin);
      }
      return true;
    case kReturnForeignOrderButton:
      if (SelectedOrder(MyList, orderId) && Confirm("Вы хотите вернуть чужой заказ обратно публикатору?")) {
        Client.ReturnForeignOrder(orderId);
      }
      return true;
    case kStatementButton:
      Client.GetStatement();
      return true;
    case kTariffButton:
      if (RunDialog(kGetTariffDialog) == 1) {
        Client.GetTariff(ClientTariffPublisher, ClientTariffAceptor, ClientTariffCityId);
      }
      return true;
    case kNotifyModeButton:
      if (RunDialog(kSetTimeDialog) == 1) Client.SetOrderNotifyMode(Mode, BeginTime, EndTime);
      return true;
    case kFullInfoButton:
      if (RunDialog(kOrderInputDialog) == 1) Client.GetOrderFullInfo(DlgOrderId);
      return true;
    case kPartialInfoButton:
      if (RunDialog(kOrderInputDialog) == 1) Client.GetOrderpartialInfo(DlgOrderId);
      return true;
    default:
      return false;
  }
}
