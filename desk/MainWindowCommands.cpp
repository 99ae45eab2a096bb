// The main window's buttons: what each reads (fields, the selected row, a
// confirmation, a dialog) and which client call it makes; the command buttons
// are listed once, in CommandButtons. Nothing waits for the exchange: answers
// come back through the tick.
#include <utility>

#include "desk/AutoAccept.h"
#include "desk/DeskGlobals.h"
#include "desk/DeskIds.h"
#include "desk/MainWindow.h"
#include "desk/MessageTexts.h"
#include "desk/TextFormat.h"
#include "protocol/KBRCodes.h"

namespace {
constexpr std::size_t kFieldChars = 259;
constexpr std::size_t kOrderIdChars = 99;
const char kSettingsCaption[] = "Настройки соединения";
const char kStaleAcceptQuestion[] = "Заказ мог быть уже принят другой службой. Всё равно принять?";
}  // namespace

bool DeskMainWindow::Confirm(const std::string& question) { return ShowBox(question, "", kMbYesNo) == IDYES; }

bool DeskMainWindow::SelectedOrder(KestoListView* list, int& orderId) {
  if (list == nullptr) return false;
  const int row = list->GetSelectionMark();
  if (row < 0) return false;
  orderId = AtoiText(list->GetItemText(row, 0, kOrderIdChars));
  return true;
}

void DeskMainWindow::Connect(DeskDialog& window) {
  IniFile fields;
  fields.IPAddress = window.GetText(IDC_SERVER, kFieldChars);
  fields.Port = window.GetText(IDC_PORT, kFieldChars);
  fields.Login = window.GetText(IDC_LOGIN, kFieldChars);
  fields.Password = window.GetText(IDC_PASSWORD, kFieldChars);
  // Fields that cannot work are neither saved nor tried.
  const std::string problem = ConnectionFieldsProblem(fields);
  if (!problem.empty()) {
    ShowBox(problem, kSettingsCaption, kMbOk);
    return;
  }
  MainIniFile = fields;
  WriteIni(MainIniFile);
  // The sound setting goes back with the fields, as the operator last had it.
  WriteDeskSettingsTo(preferences_, SettingsFilePath());
  refusal_.clear();
  Client.SetConnectionParam(MainIniFile.IPAddress, AtoiText(MainIniFile.Port), MainIniFile.Login, MainIniFile.Password);
  Client.Connect();
}

void DeskMainWindow::Disconnect() {
  NewOrders.clear();
  MyOrders.clear();
  staleNew_.Clear();
  staleMine_.Clear();
  wasAuthorized_ = false;
  rowsInDoubt_ = false;
  if (NewList != nullptr) NewList->DeleteAllItems();
  if (MyList != nullptr) MyList->DeleteAllItems();
  Client.Disconnect();
}

bool DeskMainWindow::Command(DeskDialog& window, int controlId) {
  switch (controlId) {
    case IDOK: {
      // Enter on an order list acts on its row instead of closing the desk.
      const int focus = window.FocusedControl();
      if (focus == IDC_NEW_ORDERS || focus == IDC_MY_ORDERS) {
        RowActivated(focus);
        return true;
      }
      window.EndDialog(controlId);
      return true;
    }
    case IDCANCEL:
      window.EndDialog(controlId);
      return true;
    case IDC_CONNECT:
      Connect(window);
      return true;
    case IDC_DISCONNECT:
      Disconnect();
      return true;
    case IDC_AUTO_ACCEPT:
      DeskAutoAccept.Switch(window, ui_);
      return true;
    case IDC_AUTO_ACCEPT_RULES:
      RunDialog(IDD_AUTO_ACCEPT);
      return true;
    default:
      break;
  }
  for (const CommandButton& button : CommandButtons()) {
    if (button.controlId == controlId) {
      button.press(*this);
      return true;
    }
  }
  return false;
}

const std::vector<DeskMainWindow::CommandButton>& DeskMainWindow::CommandButtons() {
  static const std::vector<CommandButton> buttons = {
      {IDC_GET_DIRECTORY, KBRCommand_GetDirectory, false, [](DeskMainWindow& w) { w.GetDirectories(); }},
      {IDC_ADD_ORDER, KBRCommand_InsertOrder, true, [](DeskMainWindow& w) { w.AddOrder(); }},
      {IDC_ACCEPT_ORDER, KBRCommand_AcceptOrder, true, [](DeskMainWindow& w) { w.AcceptOrder(); }},
      {IDC_RETURN_MY_ORDER, KBRCommand_ReturnOrder, true,
       [](DeskMainWindow& w) {
         w.SendForSelectedOrder(MyList, "Вы хотите вернуть свой заказ обратно?", &KestoBrimoClientAsync::ReturnMyOrder,
                                KBRCommand_ReturnOrder);
       }},
      {IDC_CHANGE_STATUS, KBRCommand_SetOrderStatus, true, [](DeskMainWindow& w) { w.ChangeStatus(); }},
      {IDC_CAR_DESCRIPTION, KBRCommand_AddCarDescription, true, [](DeskMainWindow& w) { w.AddCarDescription(); }},
      {IDC_RETURN_FOREIGN_ORDER, KBRCommand_ForceReturnOrder, true,
       [](DeskMainWindow& w) {
         w.SendForSelectedOrder(MyList, "Вы хотите вернуть чужой заказ обратно публикатору?",
                                &KestoBrimoClientAsync::ReturnForeignOrder, KBRCommand_ForceReturnOrder);
       }},
      {IDC_STATEMENT, KBRCommand_GetStatement, false, [](DeskMainWindow& w) { w.GetStatement(); }},
      {IDC_TARIFF, KBRCommand_GetTariffByPubisherAndAcceptor, false, [](DeskMainWindow& w) { w.GetTariff(); }},
      {IDC_NOTIFY_MODE, KBRCommand_SetOrderNotifyMode, false, [](DeskMainWindow& w) { w.SetNotifyMode(); }},
      {IDC_FULL_INFO, KBRCommand_GetOrderFullInfo, false, [](DeskMainWindow& w) { w.GetFullInfo(); }},
      {IDC_PARTIAL_INFO, KBRCommand_GetOrderPartialInfo, false, [](DeskMainWindow& w) { w.GetPartialInfo(); }},
  };
  return buttons;
}

void DeskMainWindow::SendForSelectedOrder(KestoListView* list, const char* question,
                                          int (KestoBrimoClientAsync::*command)(int), std::int32_t commandCode) {
  int orderId = 0;
  if (SelectedOrder(list, orderId) && Confirm(question)) Sent((Client.*command)(orderId), commandCode, orderId);
}

void DeskMainWindow::GetDirectories() { Client.GetDirectory(false); }

void DeskMainWindow::AddOrder() {
  CurOrder.Clear();
  if (RunDialog(IDD_ADD_ORDER) == IDC_PUBLISH) Sent(Client.InsertOrder(CurOrder), KBRCommand_InsertOrder, 0);
}

void DeskMainWindow::AcceptOrder() {
  int orderId = 0;
  if (!SelectedOrder(NewList, orderId)) return;
  const auto offered = NewOrders.find(orderId);
  // The question names the order: its route and price on a second line. A
  // grey row may have gone to another service while the link was down.
  const std::string question = staleNew_.Contains(orderId)  ? kStaleAcceptQuestion
                               : offered == NewOrders.end() ? "Вы хотите принять заказ?"
                                                            : AcceptQuestion(offered->second, Client);
  if (Confirm(question)) Sent(Client.AcceptOrder(orderId), KBRCommand_AcceptOrder, orderId);
}

void DeskMainWindow::ChangeStatus() {
  int orderId = 0;
  if (!SelectedOrder(MyList, orderId)) return;
  // The dialog starts from what the desk last received for the order, not from the row.
  const auto found = MyOrders.find(orderId);
  if (found == MyOrders.end()) return;
  ChOrderStatus = found->second.StatusId;
  ChOrderPrice = found->second.Price;
  if (RunDialog(IDD_ORDER_STATUS) == IDOK) {
    Sent(Client.ChangeOrderStatus(orderId, ChOrderStatus, ChOrderPrice), KBRCommand_SetOrderStatus, orderId);
  }
}

void DeskMainWindow::AddCarDescription() {
  int orderId = 0;
  if (!SelectedOrder(MyList, orderId)) return;
  CarDescription.clear();
  CarGovNumber.clear();
  CarCallNumber = 0;
  ToCarMin = 0;
  if (RunDialog(IDD_CAR_DESCRIPTION) == IDOK) {
    Sent(Client.AddCarDescription(orderId, CarDescription, CarGovNumber, CarCallNumber, ToCarMin),
         KBRCommand_AddCarDescription, orderId);
  }
}

void DeskMainWindow::GetStatement() { Client.GetStatement(); }

void DeskMainWindow::GetTariff() {
  if (RunDialog(IDD_TARIFF) == IDOK) Client.GetTariff(ClientTariffPublisher, ClientTariffAceptor, ClientTariffCityId);
}

void DeskMainWindow::SetNotifyMode() {
  if (RunDialog(IDD_NOTIFY_MODE) == IDOK) Client.SetOrderNotifyMode(Mode, BeginTime, EndTime);
}

std::int32_t DeskMainWindow::OrderForInfo() {
  KestoListView* lists[] = {NewList, MyList};
  if (lastSelectedList_ == IDC_MY_ORDERS) std::swap(lists[0], lists[1]);
  int orderId = 0;
  for (KestoListView* list : lists) {
    if (SelectedOrder(list, orderId)) return orderId;
  }
  return 0;
}

void DeskMainWindow::RowActivated(int listId) {
  if (listId == IDC_NEW_ORDERS) AcceptOrder();
  if (listId == IDC_MY_ORDERS) {
    lastSelectedList_ = IDC_MY_ORDERS;
    GetFullInfo();
  }
}

void DeskMainWindow::GetFullInfo() {
  DlgOrderId = OrderForInfo();
  if (RunDialog(IDD_ORDER_ID) == IDOK) Client.GetOrderFullInfo(DlgOrderId);
}

void DeskMainWindow::GetPartialInfo() {
  DlgOrderId = OrderForInfo();
  if (RunDialog(IDD_ORDER_ID) == IDOK) Client.GetOrderpartialInfo(DlgOrderId);
}
