// The main window's logic: the tick's button states and dispatch, nested
// boxes held to a bounded depth, stale rows, auto-accept, the journal and the
// command of every button.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <numeric>
#include <regex>

#include "DeskFakes.h"
#include "desk/Layout.h"
#include "desk/LinkState.h"
#include "desk/MainWindow.h"
#include "desk/MessageTexts.h"
#include "desk/OrderList.h"
#include "desk/OrderSort.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "protocol/KBRCodes.h"
#include "support/TempDir.h"

namespace {
using Access = KestoBrimoClientTestAccess;
using Ids = std::vector<std::intptr_t>;
using Texts = std::vector<std::string>;

// An answer to a command: CommandId 0 would make a failure the refusal of a login.
KestoBrimo_AsyncResponce Answer(std::int32_t reason, std::int32_t status, std::int32_t num = 0,
                                std::uint32_t commandId = 1, const std::string& error = "") {
  KestoBrimo_AsyncResponce r;
  r.CommandId = commandId, r.ErrorString = error, r.reason = reason, r.OperationStatus = status, r.Num = num;
  return r;
}
KestoBrimo_AsyncResponce OrderNote(std::int32_t reason, std::int32_t orderId, const std::string& street = "",
                                   float price = 0) {
  KestoBrimo_AsyncResponce r = Answer(reason, KBRStatus_Ok);
  r.Order.OrderId = orderId, r.Order.StreetFrom = street, r.Order.Price = price;
  return r;
}
// A request as Sent() lists it: its code, then the order and status it names.
std::string Req(std::int32_t code, const std::string& fields = "") { return std::to_string(code) + fields + " "; }
// Drives a dialog as the operator would: checks what control `id` shows, types `typed` there and clicks `button`.
FakeUi::Script Type(int id, const std::string& shown, const std::string& typed, int button = IDOK) {
  return [=](DeskDialogLogic& logic, FakeDialog& d) {
    EXPECT_EQ(d[id].text, shown) << id;
    d[id].text = typed, logic.Command(d, button);
  };
}
std::string Accepts(std::initializer_list<int> ids) {
  return std::accumulate(ids.begin(), ids.end(), std::string(), [](std::string t, int id) {
    return t + Req(KBRCommand_AcceptOrder, ":" + std::to_string(id));
  });
}

class MainWindow : public ::testing::Test {
 protected:
  // Each case starts without the settings file (beside the executable under Windows); buttons bear their captions.
  void SetUp() override { Clean(), window[IDC_ACCEPT_ORDER].text = "Принять заказ", desk.Start(window); }
  void TearDown() override { desk.Destroy(), Clean(); }
  static void Clean() { ResetDesk(), std::remove(SettingsFilePath().c_str()); }
  std::string Sent() {
    static const std::regex named("\"(?:OrderId|StatusId)\":(-?[0-9]+)");
    std::string text;
    for (const auto& r : Requests()) {
      std::string fields;
      for (std::sregex_iterator m(r.Text.begin(), r.Text.end(), named), end; m != end; ++m)
        fields += ":" + (*m)[1].str();
      text += Req(r.CommandCode, fields);
    }
    return text;
  }
  // Both lists (each row's id and street) and both maps (id and street), as one line.
  std::string Orders() {
    std::string text;
    for (const FakeListView* list : {&newList, &myList}) {
      for (const auto& row : list->rows) text += std::to_string(row.data) + row.cells.at(2) + " ";
      text += "| ";
    }
    for (const KestoOrderMap* orders : {&NewOrders, &MyOrders}) {
      for (const auto& [id, order] : *orders) text += std::to_string(id) + order.StreetFrom + " ";
      text += "| ";
    }
    return text;
  }
  void OfferTick(std::int32_t orderId, std::int32_t city = 1) {
    KestoBrimo_AsyncResponce offer = OrderNote(KBRReason_NewOrder, orderId, "Тверская 1", 500);
    offer.CommandId = 0, offer.Order.CityIdFrom = city;  // an offer answers no request of this desk
    PushTick({offer});
  }
  void PushTick(const std::vector<KestoBrimo_AsyncResponce>& notes) {
    for (const auto& note : notes) Push(note);
    desk.Tick(window);
  }
  std::string AutoAcceptIni() { return std::filesystem::absolute(dir.file("desk.ini")).string(); }
  std::deque<KestoBrimo_AsyncRequest> Requests() { return Access::Requests(Client); }
  void Push(const KestoBrimo_AsyncResponce& r) { Access::PushResponse(Client, r); }
  std::string& stateLine() { return window[IDC_STATE_LINE].text; }

  TempDir dir;
  FakeUi ui;
  FakeDialog window;
  FakeListView& newList = window.lists[IDC_NEW_ORDERS];
  FakeListView& myList = window.lists[IDC_MY_ORDERS];
  FakeListView& journal = window.lists[IDC_JOURNAL];
  DeskMainWindow desk{ui};
};

TEST_F(MainWindow, StartPreparesTheListsTheTickSetsTheButtonsAndDrainsTheQueue) {
  EXPECT_EQ(Fields(NewList == &newList, MyList == &myList, myList.columns.size()), Fields(1, 1, 24));
  for (const bool online : {false, true}) {
    Client.Authorized = online, Client.ThreadId = online ? 1234 : 0;
    EXPECT_TRUE(desk.Tick(window));
    Client.ThreadId = 0;
    std::string enabled = Fields(window[IDC_CONNECT].enabled)[0] + Fields(window[IDC_DISCONNECT].enabled)[0];
    for (const auto& button : DeskMainWindow::CommandButtons()) enabled += Fields(window[button.controlId].enabled)[0];
    EXPECT_EQ(enabled, (online ? "01" : "10") + std::string(enabled.size() - 2, online ? '1' : '0'));
  }
  EXPECT_FALSE(desk.Command(window, 4242));
  for (int code : {IDOK, IDCANCEL, 0}) {
    const bool handled = (window.endCode.reset(), code ? desk.Command(window, code) : desk.Close(window));
    EXPECT_EQ(Fields(handled, window.endCode.value_or(0)), Fields(1, code ? code : IDCANCEL));
  }
  // One tick drains the queue and keeps maps and lists in step.
  PushTick({OrderNote(KBRReason_NewOrder, 4), OrderNote(KBRReason_NewOrderRemoved, 4), Answer(7, KBRStatus_Ok, 3),
            OrderNote(KBRReason_NewOrder, 5, "first"), OrderNote(KBRReason_NewOrder, 5, "second"),
            OrderNote(KBRReason_NewOrderRemoved, 6), OrderNote(KBRReason_MyOrder, 5, "mine")});
  EXPECT_EQ(Fields(Orders(), newList.inserts, ui.boxes.size()), Fields("5second | 5mine | 5second | 5mine | ", 2, 1));
  EXPECT_EQ(Fields(ui.boxes[0].caption, ui.boxes[0].text, ui.boxes[0].style),
            Fields("KBRStatus_Ok", "ErrorString=''\nDigitalValue='3'\n", kMbOk));
  PushTick({OrderNote(KBRReason_MyOrderRemoved, 5)});
  EXPECT_EQ(Orders(), "5second | | 5second | | ");
  PushTick({OrderNote(KBRReason_MyOrder, 2)});
  desk.Command(window, IDC_DISCONNECT);  // empties lists and maps at once
  EXPECT_EQ(Orders() + Sent(), "| | | | " + Req(KBRCommand_Disconnect));
  desk.Destroy();  // without a window the notifications are dropped
  PushTick({OrderNote(KBRReason_NewOrder, 8)});
  EXPECT_EQ(Fields(NewOrders.count(8), !NewList && !MyList), Fields(0, 1));
}

TEST_F(MainWindow, AnswersOpenTheirBoxesOrTheDirectoryViewer) {
  KestoBrimo_AsyncResponce info = OrderNote(KBRReason_OrderFullInfo, 12), tariff = Answer(KBRReason_Tariff, 0);
  info.OperationStatus = KBRStatus_UnknownResponse, info.ErrorString = "нет", tariff.Tariff.TariffId = "T7", Push(info);
  info.OperationStatus = KBRStatus_Ok, info.reason = KBRReason_OrderPartialInfo, Push(info), Push(tariff);
  tariff.OperationStatus = KBRStatus_CommonError;
  PushTick({tariff, Answer(KBRReason_Directories, KBRStatus_CommonError), Answer(-4, 9)});
  EXPECT_EQ(ui.Texts(&FakeUi::Box::caption), (Texts{"KBRStatus_UnknownResponse", "GetorderInfo Ok", "GetTariff Ok",
                                                    "KBRStatus_CommonError", "OperationStatus=9"}));
  EXPECT_EQ(Fields(ui.boxes[0].text, ui.boxes[1].text.rfind("OrderId=12\n", 0),
                   ui.boxes[2].text.find(" ID Тарифа:T7\n") != std::string::npos),
            Fields("ErrorString='нет'\nDigitalValue='0'\n", 0, 1));
  EXPECT_EQ(ui.dialogs, std::vector<int>{IDD_DIRECTORIES});
  // The exchange refuses a login and closes; the client would try again and again: one box ends the attempts.
  const auto refusal =
      Answer(KBRReason_Directories, KBRStatus_AuthentError, 0, 0, "Неверное имя пользователя или пароль");
  PushTick({refusal, refusal});
  EXPECT_EQ(Sent(), Req(KBRCommand_Disconnect));
  PushTick({refusal});
  EXPECT_EQ(Fields(ui.boxes.size(), ui.boxes.back().caption, stateLine()),
            Fields(6, "KBRStatus_AuthentError", "Вход отклонён: Неверное имя пользователя или пароль"));
}

// Every box and dialog of this fake runs further ticks inside itself, as the timer does under a modal loop.
TEST_F(MainWindow, NestedBoxesStopAtTheBoundAndTheRestFollowInOrder) {
  for (int n = 1; n <= 6; ++n) Push(Answer(7, KBRStatus_Ok, n));
  int ticksAtTheBound = 0;
  ui.whileOpen = [&] {
    EXPECT_LE(desk.OpenBoxes(), kMaxOpenBoxes);
    if (desk.OpenBoxes() < kMaxOpenBoxes || ticksAtTheBound++ > 0) return void(desk.Tick(window));
    // Arrives while four boxes stand open: the list changes at once, the boxes wait.
    Push(OrderNote(KBRReason_NewOrder, 77)), Client.Authorized = true;
    for (int n = 7; n <= 21; ++n) Push(Answer(7, KBRStatus_Ok, std::min(n, 20)));  // the same answer waits once
    for (int tick = 0; tick < 5; ++tick) desk.Tick(window);
    EXPECT_EQ(Fields(newList.rows.size(), window[IDC_GET_DIRECTORY].enabled, desk.WaitingAnswers(), ui.boxes.size()),
              Fields(1, 1, 16, 4));
  };
  desk.Tick(window);
  Texts expected;
  for (int n = 1; n <= 20; ++n) expected.push_back("ErrorString=''\nDigitalValue='" + std::to_string(n) + "'\n");
  EXPECT_EQ(ui.Texts(), expected);
  EXPECT_EQ(Fields(desk.OpenBoxes(), desk.WaitingAnswers()), Fields(0, 0));
  // A dialog opened by a command counts as an open box too; what waits shows on the next tick.
  ui.boxes.clear(), ui.whileOpen = [&] { Push(Answer(7, KBRStatus_Ok, 1)); };
  desk.Command(window, IDC_FULL_INFO);
  EXPECT_TRUE(ui.boxes.empty());
  ui.whileOpen = nullptr, desk.Tick(window);
  EXPECT_EQ(ui.boxes.size(), 1u);
}

TEST_F(MainWindow, SelectionCommandsReadTheRowAndAskFirst) {
  desk.Command(window, IDC_ACCEPT_ORDER), desk.Command(window, IDC_CHANGE_STATUS);  // nothing selected
  EXPECT_TRUE(ui.boxes.empty() && ui.dialogs.empty());
  newList.SelectNewRow(4711);
  window.focus = IDC_NEW_ORDERS, ui.answer = IDNO;
  desk.Command(window, IDOK);  // Enter on the row
  EXPECT_EQ(Fields(ui.boxes.at(0).caption, ui.boxes[0].style, Sent(), window.endCode.has_value()),
            Fields("", kMbYesNo, "", 0));
  ui.answer = IDYES, desk.Command(window, IDC_ACCEPT_ORDER), myList.SelectNewRow(815);
  for (int command : {IDC_RETURN_MY_ORDER, IDC_RETURN_FOREIGN_ORDER, IDC_CHANGE_STATUS}) desk.Command(window, command);
  EXPECT_EQ(ui.Texts(),
            (Texts{"Вы хотите принять заказ?", "Вы хотите принять заказ?", "Вы хотите вернуть свой заказ обратно?",
                   "Вы хотите вернуть чужой заказ обратно публикатору?"}));
  KestoOrder& order = MyOrders[815];
  order.OrderId = 815, order.StatusId = 4, order.Price = 12.5f;
  ui.scripts[IDD_ORDER_STATUS] = Type(IDC_PRICE, "     12.50", "99");
  ui.scripts[IDD_ORDER_ID] = Type(IDC_ORDER_ID, "815", "815");                // the row's order, still editable
  desk.Command(window, IDC_CHANGE_STATUS), desk.RowActivated(IDC_MY_ORDERS);  // a double click
  EXPECT_EQ(Sent(), Req(KBRCommand_AcceptOrder, ":4711") + Req(KBRCommand_ReturnOrder, ":815") +
                        Req(KBRCommand_ForceReturnOrder, ":815") + Req(KBRCommand_SetOrderStatus, ":815:4") +
                        Req(KBRCommand_GetOrderFullInfo, ":815"));
  // The first change of status opened nothing: the row's order was not in MyOrders.
  EXPECT_EQ(Fields(ui.dialogs.size(), ui.dialogs.at(0), ChOrderPrice), Fields(2, IDD_ORDER_STATUS, 99));
}

TEST_F(MainWindow, DialogCommandsSendOnlyWhenTheDialogEndsWithItsOkCode) {
  // All closed without OK; the car button has no selected row and opens nothing.
  const int dialogButtons[] = {IDC_ADD_ORDER,   IDC_CAR_DESCRIPTION, IDC_TARIFF,
                               IDC_NOTIFY_MODE, IDC_FULL_INFO,       IDC_PARTIAL_INFO};
  for (int button : dialogButtons) desk.Command(window, button);
  EXPECT_EQ(ui.dialogs, (std::vector<int>{IDD_ADD_ORDER, IDD_TARIFF, IDD_NOTIFY_MODE, IDD_ORDER_ID, IDD_ORDER_ID}));
  EXPECT_EQ(Sent(), "");
  ui.dialogs.clear();
  myList.SelectNewRow(815);
  CarDescription = "old";
  ui.scripts = {{IDD_ADD_ORDER, Type(IDC_COMMENT, "", "", IDC_PUBLISH)},
                {IDD_CAR_DESCRIPTION, Type(IDC_CAR_CALL_NUMBER, "0", "31")},
                {IDD_NOTIFY_MODE, Type(0, "", "")},
                {IDD_TARIFF, Type(0, "", "")},
                {IDD_ORDER_ID, Type(IDC_ORDER_ID, "815", "4711")}};
  for (int button : dialogButtons) desk.Command(window, button);
  desk.Command(window, IDC_GET_DIRECTORY), desk.Command(window, IDC_STATEMENT);
  EXPECT_EQ(ui.dialogs, (std::vector<int>{IDD_ADD_ORDER, IDD_CAR_DESCRIPTION, IDD_TARIFF, IDD_NOTIFY_MODE, IDD_ORDER_ID,
                                          IDD_ORDER_ID}));
  EXPECT_EQ(Sent(), Req(KBRCommand_InsertOrder, ":17") + Req(KBRCommand_AddCarDescription, ":815") +
                        Req(KBRCommand_GetTariffByPubisherAndAcceptor) + Req(KBRCommand_SetOrderNotifyMode) +
                        Req(KBRCommand_GetOrderFullInfo, ":4711") + Req(KBRCommand_GetOrderPartialInfo, ":4711") +
                        Req(KBRCommand_GetDirectory) + Req(KBRCommand_GetStatement));
  EXPECT_EQ(Fields(CarCallNumber, CarDescription), Fields(31, ""));  // the old description is not offered
}

TEST_F(MainWindow, ConnectStoresTheFieldsAndHandsThemToTheClient) {
  const std::string path = SettingsFilePath();  // empty unless the executable's name has a dot
  window[IDC_LOGIN].text = std::string(300, 'l'), window[IDC_PASSWORD].text = "pw";
  // Fields that cannot work get a word naming the field; nothing is saved or tried.
  const std::string badPort = "Порт должен быть числом от 1 до 65535", local = "127.0.0.1";
  for (const auto& [server, port, word] : {std::tuple(local, "abc", badPort),
                                           {local, "0", badPort},
                                           {local, "70000", badPort},
                                           {local, "80x", badPort},
                                           {" ", "17171", "Укажите сервер: имя или адрес биржи"}}) {
    window[IDC_SERVER].text = server, window[IDC_PORT].text = port;
    ui.boxes.clear(), desk.Command(window, IDC_CONNECT);
    EXPECT_EQ(Fields(ui.Texts().at(0), ui.boxes.size(), MainIniFile.IPAddress, Client.ThreadId.load(),
                     path.empty() || platform::ReadProfileValue("Common", "Port", path).empty()),
              Fields(word, 1, "", 0, 1))
        << port;
  }
  window[IDC_SERVER].text = "127.0.0.1", window[IDC_PORT].text = "9", desk.Command(window, IDC_CONNECT);
  EXPECT_EQ(MainIniFile.Port, "9"), desk.Command(window, IDC_DISCONNECT);  // every digit counts
  window[IDC_PORT].text = "65535", desk.Command(window, IDC_CONNECT);
  EXPECT_EQ(Fields(MainIniFile.IPAddress, MainIniFile.Port, MainIniFile.Login.size(), Access::ServerName(Client),
                   Access::Port(Client)),
            Fields("127.0.0.1", "65535", 259, "127.0.0.1", 65535));
  desk.Command(window, IDC_DISCONNECT);
  EXPECT_EQ(Client.ThreadId.load(), 0u);
  if (path.empty()) return;
  EXPECT_EQ(
      Fields(platform::ReadProfileValue("Common", "Port", path), platform::ReadProfileValue("Desk", "Sound", path)),
      Fields("65535", "1"));
  ASSERT_TRUE(platform::WriteProfileValue("Desk", "Sound", "0", path));
  FakeDialog next;  // the next start shows what was saved
  DeskMainWindow again(ui);
  again.Start(next);
  EXPECT_EQ(Fields(next[IDC_PORT].text, again.Preferences().sound), Fields("65535", 0));
}

TEST_F(MainWindow, AutoAcceptOffOrDamagedTakesNothingOnTakesEachNewMatchingOfferOnceWithinItsLimit) {
  const std::string path = AutoAcceptIni(), damaged = "[AutoAccept]\r\nEnabled=1\r\nCities=1;2\r\n";
  ASSERT_TRUE(platform::WriteWholeFile(path, damaged));
  DeskAutoAccept.Load(path, ui), OfferTick(20);
  const auto names = [](const std::string& text) { return text.find("Cities=1;2") != std::string::npos; };
  // No directories yet: both controls are off.
  EXPECT_EQ(Fields(names(ui.log.at(0)), names(stateLine()), window[IDC_AUTO_ACCEPT].enabled,
                   window[IDC_AUTO_ACCEPT_RULES].enabled),
            Fields(1, 1, 0, 0));
  Access::SetCities(Client, {{1, "Москва"}}), desk.Tick(window);
  window[IDC_AUTO_ACCEPT].checked = true, desk.Command(window, IDC_AUTO_ACCEPT);
  std::string content;
  ASSERT_TRUE(platform::ReadWholeFile(path, content));
  EXPECT_EQ(Fields(window[IDC_AUTO_ACCEPT].enabled, window[IDC_AUTO_ACCEPT].checked, content), Fields(1, 0, damaged));
  DeskAutoAccept.SetRules(AutoAcceptRules()), OfferTick(21);  // mended, and off
  window[IDC_AUTO_ACCEPT].checked = true, desk.Command(window, IDC_AUTO_ACCEPT), OfferTick(22);
  EXPECT_EQ(Fields(platform::ReadProfileValue("AutoAccept", "Enabled", path), window[IDC_AUTO_ACCEPT].checked),
            Fields("1", 1));
  AutoAcceptRules rules;  // 22 stays open
  rules.Enabled = true, rules.Cities = {1}, rules.MaxOpen = 3;
  DeskAutoAccept.SetRules(rules);
  OfferTick(10), OfferTick(11, 2);                                // 11 in another city
  Push(OrderNote(KBRReason_NewOrderRemoved, 12)), OfferTick(12);  // withdrawn before it was offered
  OfferTick(10), OfferTick(13), OfferTick(14);                    // an update of 10; 14 beyond the limit
  const auto journaled = [this](const std::string& command) {
    return std::count_if(journal.rows.begin(), journal.rows.end(),
                         [&](const FakeListView::Row& row) { return row.cells.at(1) == command; });
  };
  EXPECT_EQ(Fields(NewOrders.size(), ui.log.at(ui.log.size() - 2), journaled("Автопринятие"), ui.autoAcceptSounds),
            Fields(8, "Автопринят заказ 10: Москва, Тверская 1 — , 500.00", 3, 3));
  // The exchange's answer to an accept is the order in "Мои заказы": still without a car, it counts.
  KestoBrimo_AsyncResponce mine = OrderNote(KBRReason_MyOrder, 10);
  mine.CommandId = Requests().at(1).CommandId;
  Push(mine), OfferTick(15);
  mine.CommandId = 0, mine.Order.CarDescription = "Шкода, белая";
  Push(mine), OfferTick(16);
  // A refusal opens no box and frees its place; so does an order leaving "Мои заказы".
  Push(Answer(7, KBRStatus_CommonError, 0, Requests().at(2).CommandId, "Заказ уже принят другой службой"));
  OfferTick(17), Push(OrderNote(KBRReason_MyOrder, 16)), Push(OrderNote(KBRReason_MyOrderRemoved, 16)), OfferTick(18);
  EXPECT_EQ(Sent(), Accepts({22, 10, 13, 16, 17, 18}));
  // The new-order alert sounds for 20, 21, 11, 12, 14 and 15 only; the refusal of 13 is named after its request.
  EXPECT_EQ(Fields(ui.boxes.size(), ui.sounds, journaled("Принять заказ"), DeskAutoAccept.OpenOrders()),
            Fields(0, 6, 1, 3));
}

TEST(StateLine, EachPhaseAndCauseInTheOperatorsWords) {
  using P = KestoConnectionPhase;
  using C = KestoFailureCause;
  const std::string lost = "Связь потеряна: ", again = ", повтор…", refused = "Неверное имя пользователя или пароль";
  const std::tuple<P, C, std::string, std::size_t, std::string> table[] = {
      {P::NotRunning, C::None, "", 0, "Нет соединения"},
      {P::Connecting, C::None, "", 0, "Соединение с exchange.example:17171…"},
      {P::AwaitingChallenge, C::None, "", 0, "Соединение с exchange.example:17171…"},
      {P::LoggingIn, C::None, "", 0, "Вход…"},
      {P::LoggedIn, C::None, "", 2, "На связи; серых строк: 2 (могли устареть)"},
      {P::WaitingToReconnect, C::Refused, "", 0, lost + "сервер отклонил соединение" + again},
      {P::Connecting, C::NameNotFound, "", 0, lost + "имя сервера не найдено" + again},
      {P::WaitingToReconnect, C::BadData, "", 0, lost + "неверные данные от биржи" + again},
      {P::WaitingToReconnect, C::Other, "", 0, lost + "recv error" + again},
      {P::NotRunning, C::Refused, refused, 0, "Вход отклонён: " + refused},
  };
  for (const auto& [phase, cause, refusal, stale, text] : table) {
    KestoConnectionState link;
    link.Phase = phase, link.LastFailure = cause, link.LastError = "recv error", link.LastBlockTime = 1236000000;
    link.ServerName = "exchange.example", link.Port = 17171;
    EXPECT_EQ(StateLineText(link, refusal, stale), text + "; последний блок: " + FormatTime(1236000000).substr(0, 19));
  }
}

// A lost connection greys every row until the exchange tells of its order again.
TEST_F(MainWindow, RowsTurnStaleWhenTheConnectionIsLostUntilTheExchangeTellsOfThem) {
  const auto stale = [&] {
    std::string grey;
    for (int id : {1, 2, 3}) grey += Fields(desk.IsStaleRow(id == 3 ? IDC_MY_ORDERS : IDC_NEW_ORDERS, id))[0];
    return grey + Fields(desk.IsStaleRow(IDC_MY_ORDERS, 1))[0];
  };
  Client.Authorized = true;
  PushTick({OrderNote(KBRReason_NewOrder, 1), OrderNote(KBRReason_NewOrder, 2), OrderNote(KBRReason_MyOrder, 3)});
  EXPECT_EQ(Fields(window[IDC_NEW_ORDERS_GROUP].text, window[IDC_MY_ORDERS_GROUP].text, stale()),
            Fields("Новые заказы (2)", "Мои заказы (1)", "0000"));
  Access::SetPhase(Client, KestoConnectionPhase::WaitingToReconnect), Client.Authorized = false, desk.Tick(window);
  EXPECT_EQ(Fields(stateLine().rfind("Связь потеряна: ", 0), stateLine().find("серых строк: 3") != std::string::npos,
                   stale(), newList.redraws > 0),
            Fields(0, 1, "1110", 1))
      << stateLine();
  // Logged in again: the exchange re-announces 1 and 3 (no new offers); 2 went meanwhile.
  Access::SetPhase(Client, KestoConnectionPhase::LoggedIn), Client.Authorized = true;
  const int myRedraws = myList.redraws;
  PushTick({OrderNote(KBRReason_NewOrder, 1), OrderNote(KBRReason_MyOrder, 3)});
  EXPECT_GT(myList.redraws, myRedraws) << "the row's texts are the same; its grey must go";
  EXPECT_EQ(Fields(stale(), stateLine(), ui.sounds), Fields("0100", "На связи; серых строк: 1 (могли устареть)", 1));
  // Accepting the grey row asks a question of its own.
  newList.selectionMark = 1, ui.answer = IDNO, desk.Command(window, IDC_ACCEPT_ORDER);
  EXPECT_EQ(ui.Texts(), Texts{"Заказ мог быть уже принят другой службой. Всё равно принять?"});
  EXPECT_EQ(Sent(), "");
  PushTick({OrderNote(KBRReason_NewOrderRemoved, 2)});
  EXPECT_EQ(Fields(desk.IsStaleRow(IDC_NEW_ORDERS, 2), window[IDC_NEW_ORDERS_GROUP].text),
            Fields(0, "Новые заказы (1)"));
  // The first tick's two offers sounded and flashed once; without sound a new offer only flashes.
  desk.Preferences().sound = false, PushTick({OrderNote(KBRReason_NewOrder, 7)});
  EXPECT_EQ(Fields(ui.sounds, ui.flashes), Fields(1, 2));
}

// Each chain runs from the smallest cell to the largest.
TEST(OrderSort, CellsCompareByTheirColumnsKind) {
  const std::pair<ColumnKind, std::vector<const char*>> chains[] = {
      {ColumnKind::Number, {"    -10.00/      0.00", "      5.00/      1.00", "    850.50", "   1110.00"}},
      {ColumnKind::Time, {"", "00:00:00 01.01.1970 ", "23:59:59 06.12.2026 ", "00:00:01 07.12.2026 "}},
      {ColumnKind::TimeThenText,
       {"(01:52:27 07.12.2026 )Альфа", "(01:52:27 07.12.2026 )Старт", "(01:52:28 07.12.2026 )Альфа"}},
      {ColumnKind::Text, {"", "Moscow", "Абв", "абвг", "Евпатория", "Ёж", "ёлки", "Жуковский", "Яр", "яхта"}}};
  for (const auto& [kind, cells] : chains) {
    for (std::size_t i = 1; i < cells.size(); ++i)
      EXPECT_EQ(Fields(CompareCells(kind, cells[i - 1], cells[i]) < 0, CompareCells(kind, cells[i], cells[i - 1]) > 0),
                Fields(1, 1))
          << cells[i - 1] << " | " << cells[i];
  }
}

TEST_F(MainWindow, HeaderClicksSortAndNotificationsKeepTheOrder) {
  const float prices[] = {300, 100, 200, 100};
  for (int id = 1; id <= 4; ++id) Push(OrderNote(KBRReason_NewOrder, id, "", prices[id - 1]));
  desk.Tick(window);
  const auto clicked = [&] {
    return desk.ColumnClicked(IDC_NEW_ORDERS, 9), std::pair(newList.Ids(), newList.sortArrow);
  };
  EXPECT_EQ(clicked(), std::pair(Ids{2, 4, 3, 1}, std::pair(9, 1)));  // equal prices by order id
  EXPECT_EQ(clicked(), std::pair(Ids{1, 3, 2, 4}, std::pair(9, -1)));
  PushTick({OrderNote(KBRReason_NewOrder, 1, "", 150), OrderNote(KBRReason_NewOrder, 5, "", 250)});
  EXPECT_EQ(newList.Ids(), (Ids{5, 3, 1, 2, 4}));
  desk.ColumnClicked(IDC_NEW_ORDERS, 0);  // the first column sorts too
  EXPECT_EQ(newList.sortArrow, std::pair(0, 1));
}

TEST_F(MainWindow, JournalKeepsTheNewestThousandLinesAndQuietSuccessSkipsTheBox) {
  KestoOrder& offered = NewOrders[4711];
  offered.OrderId = 4711, offered.StreetFrom = "Тверская", offered.StreetTo = "Арбат", offered.Price = 850.5f;
  newList.SelectNewRow(4711);
  desk.Preferences().quietSuccess = true, desk.Command(window, IDC_ACCEPT_ORDER),
  desk.Command(window, IDC_ACCEPT_ORDER);
  EXPECT_EQ(ui.Texts(), Texts(2, "Вы хотите принять заказ?\nТверская — Арбат, 850.50 руб."));
  PushTick({Answer(7, KBRStatus_Ok, 0, Requests().at(0).CommandId, "Заказ принят"),
            Answer(7, KBRStatus_CommonError, 0, Requests().at(1).CommandId)});
  EXPECT_EQ(Fields(ui.boxes.size(), ui.boxes.back().caption, journal.rows.size()),
            Fields(3, "KBRStatus_CommonError", 2));
  const auto& ok = journal.rows.at(1).cells;
  EXPECT_EQ(Texts(ok.begin() + 1, ok.end()), (Texts{"Принять заказ", "4711", "KBRStatus_Ok", "Заказ принят"}));
  for (int id = 1; id <= kJournalLines; ++id) Push(OrderNote(KBRReason_NewOrderRemoved, id));
  desk.Tick(window);
  EXPECT_EQ(Fields(journal.rows.size(), journal.rows.front().cells[2], journal.rows.front().cells[1]),
            Fields(kJournalLines, kJournalLines, "Новый заказ снят"));
}

TEST(MainLayout, ListsKeepTheirHeightAndTheJournalTakesWhatIsLeft) {
  const DialogUnits units{6, 13};  // MS Shell Dlg 8 at 96 DPI
  const int minWidth = units.X(kMainWindowWidthUnits), minHeight = units.Y(kMainWindowHeightUnits);
  const std::tuple<int, int, bool> sizes[] = {
      {minWidth, minHeight, false}, {minWidth, minHeight + units.Y(90), true}, {1900, 1000, true}};
  for (const auto& [width, height, journal] : sizes) {
    const MainLayout l = LayOutMainWindow(width, height, units);
    // Top to bottom; list in frame in margin; auto-accept's controls side by side on the frame's top edge; heights.
    EXPECT_EQ(
        Fields(l.journal.Height() > 0, l.stateLine.bottom, l.newOrders.right,
               l.newOrdersGroup.bottom < l.myOrdersGroup.top && l.myOrdersGroup.bottom < l.stateLine.top,
               l.newOrdersGroup.left < l.autoAcceptSwitch.left && l.autoAcceptSwitch.right <= l.autoAcceptRules.left &&
                   l.autoAcceptRules.top < l.newOrdersGroup.top && l.autoAcceptRules.bottom > l.newOrdersGroup.top,
               !journal || (l.newOrdersGroup.Height() >= units.Y(166) && l.myOrdersGroup.Height() >= units.Y(167) &&
                            l.myOrdersGroup.bottom < l.journalGroup.top && l.journalGroup.bottom < l.stateLine.top)),
        Fields(journal, height - units.Y(2), width - 2 * units.X(7), 1, 1, 1))
        << height;
  }
}

}  // namespace
