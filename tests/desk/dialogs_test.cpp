// The dialogs' logic on fake controls: what each shows at start, what OK,
// Cancel and Enter do, and which desk globals they leave behind.
#include <gtest/gtest.h>

#include "DeskFakes.h"
#include "desk/AutoAccept.h"
#include "desk/CommandDialogs.h"
#include "desk/DirectoryDialogs.h"

namespace {
using Access = KestoBrimoClientTestAccess;

class DeskDialogs : public ::testing::Test {
 protected:
  void SetUp() override { ResetDesk(); }
  void TearDown() override { ResetDesk(); }

  void FillDirectories() {
    Access::SetCities(Client, {{1, "Москва"}, {2, "Тверь"}});
    Access::SetCarrierTypes(Client, {{3, "Седан"}, {4, "Минивэн"}});
    Access::SetOrderStatuses(Client, {{5, "На сервере обмена"}, {9, "Выполнен"}, {17, "На сервере обмена"}});
  }

  FakeUi ui;
  FakeDialog dialog;
};

platform::LocalTime At(int year, int month, int day, int hour, int minute) {
  platform::LocalTime t;
  t.Year = year, t.Month = month, t.Day = day, t.Hour = hour, t.Minute = minute, t.Second = 42;
  return t;
}

platform::LocalTime LateOnNewYearsEve() { return At(2023, 12, 31, 23, 30); }

TEST(OneHourLater, CarriesIntoTheNextDayMonthAndYear) {
  const struct {
    platform::LocalTime from;
    int year, month, day, hour;
  } cases[] = {{At(2024, 5, 6, 12, 15), 2024, 5, 6, 13},
               {At(2024, 2, 28, 23, 0), 2024, 2, 29, 0},
               {At(2023, 2, 28, 23, 0), 2023, 3, 1, 0},
               {At(2023, 12, 31, 23, 30), 2024, 1, 1, 0}};
  for (const auto& c : cases) {
    const platform::LocalTime later = OneHourLater(c.from);
    EXPECT_EQ(std::vector<int>({later.Year, later.Month, later.Day, later.Hour, later.Minute}),
              std::vector<int>({c.year, c.month, c.day, c.hour, c.from.Minute}))
        << c.from.Year << "-" << c.from.Month << "-" << c.from.Day;
  }
}

TEST_F(DeskDialogs, NewOrderStartsFromTheDirectoriesAndDefaults) {
  FillDirectories();
  AddOrderDialog logic(ui, &LateOnNewYearsEve);
  EXPECT_TRUE(logic.Start(dialog));
  EXPECT_FALSE(dialog[IDC_PRELIMINARY_DATE].visible || dialog[IDC_PRELIMINARY_TIME].visible);
  // The status is the last "На сервере обмена"; the pickers stand an hour ahead.
  EXPECT_EQ(Fields(dialog[IDC_PRELIMINARY_DATE].time.Year, dialog[IDC_PRELIMINARY_TIME].time.Hour,
                   dialog.GetText(IDC_CARRIER_TYPE, 100), dialog.GetText(IDC_TARIFF_MODE, 100),
                   dialog.ComboCount(IDC_TARIFF_MODE), dialog.ComboSelection(IDC_STATUS),
                   dialog.GetText(IDC_CITY_FROM, 100), dialog.GetText(IDC_CITY_TO, 100), dialog[IDC_TIME_TO_LIVE].text),
            Fields(2024, 0, "Седан", "Фикс. тариф", 3, 2, "Москва", "Москва", "0"));
}

TEST_F(DeskDialogs, EnterInTheNewOrderDialogMovesTheFocusAndPublishesNothingAndCancelIsLogged) {
  AddOrderDialog logic(ui);
  logic.Start(dialog);
  dialog.tabOrder = {IDC_CITY_FROM, IDC_STREET_FROM, IDC_ADDITIONAL_FROM, IDC_PUBLISH, IDCANCEL};
  dialog.focus = IDC_STREET_FROM;
  EXPECT_FALSE(logic.Command(dialog, IDOK));
  EXPECT_EQ(Fields(dialog.focus, dialog.repaints), Fields(IDC_ADDITIONAL_FROM, 1));
  dialog.tabOrder.clear();  // no next control: the focus goes to the publish button
  EXPECT_FALSE(logic.Command(dialog, IDOK));
  EXPECT_EQ(dialog.focus, IDC_PUBLISH);
  EXPECT_FALSE(logic.Command(dialog, IDOK));
  EXPECT_EQ(Fields(dialog.focus, dialog.repaints, dialog.endCode.has_value()), Fields(IDC_PUBLISH, 2, false));
  EXPECT_TRUE(logic.Command(dialog, IDCANCEL));
  EXPECT_EQ(dialog.endCode, IDCANCEL);
  EXPECT_EQ(ui.log, std::vector<std::string>{"InsertOrder Dialog cancel"});
}

TEST_F(DeskDialogs, PublishingFillsCurOrder) {
  FillDirectories();
  CurOrder.Clear();
  AddOrderDialog logic(ui);
  logic.Start(dialog);
  dialog[IDC_STREET_FROM].text = "Тверская";
  dialog[IDC_ADDITIONAL_FROM].text = std::string(2000, 'a');
  dialog[IDC_STREET_TO].text = "Арбат";
  dialog.Choose(IDC_CITY_TO, "Тверь");
  dialog.Choose(IDC_CARRIER_TYPE, "Минивэн");
  dialog.Choose(IDC_TARIFF_MODE, "По километражу");
  dialog.Choose(IDC_STATUS, "Выполнен");
  dialog[IDC_PRICE].text = "12.5руб";
  dialog[IDC_CLIENT_PHONE].text = "+7 900";
  dialog[IDC_COMMENT].text = "у подъезда";
  dialog[IDC_TIME_TO_LIVE].text = "-30";
  // The time was set while ticked, then the box was cleared again.
  dialog[IDC_PRELIMINARY].checked = true;
  logic.Command(dialog, IDC_PRELIMINARY);
  EXPECT_TRUE(dialog[IDC_PRELIMINARY_DATE].visible);
  dialog[IDC_PRELIMINARY_DATE].time = At(2030, 1, 2, 0, 0);
  dialog[IDC_PRELIMINARY].checked = false;
  logic.Command(dialog, IDC_PRELIMINARY);
  EXPECT_FALSE(dialog[IDC_PRELIMINARY_TIME].visible);

  EXPECT_TRUE(logic.Command(dialog, IDC_PUBLISH));
  EXPECT_EQ(dialog.endCode, IDC_PUBLISH);
  const KestoOrder& o = CurOrder;
  EXPECT_EQ(Fields(o.LatitudeFrom, o.LongitudeFrom, o.LatitudeTo, o.LongitudeTo, o.StreetFrom, o.AdditionalFrom.size(),
                   o.StreetTo, o.CityIdFrom, o.CityIdTo, o.CarrierType, o.StatusId, o.Price, o.ClientPhone, o.Comment,
                   o.Time0Km1Fixed2, o.PreliminaryTime, o.TimeToLiveSec, o.OrderId),
            Fields(15.123456f, 16.987654f, 17.8765f, 18.654322f, "Тверская", 1023, "Арбат", 1, 2, 4, 9, 12.5f, "+7 900",
                   "у подъезда", 1, 0, -30, 0));
}

TEST_F(DeskDialogs, PublishingWithEmptyDirectoriesAndAPreliminaryTime) {
  CurOrder.Clear();
  AddOrderDialog logic(ui);
  logic.Start(dialog);
  dialog[IDC_PRELIMINARY].checked = true;
  dialog[IDC_PRELIMINARY_DATE].time = At(2030, 6, 15, 1, 2);
  dialog[IDC_PRELIMINARY_TIME].time = At(2000, 1, 1, 14, 45);
  dialog[IDC_TIME_TO_LIVE].text = "soon";
  logic.Command(dialog, IDC_PUBLISH);
  EXPECT_EQ(Fields(CurOrder.CityIdFrom, CurOrder.CarrierType, CurOrder.StatusId, CurOrder.Time0Km1Fixed2,
                   CurOrder.TimeToLiveSec, CurOrder.PreliminaryTime),
            Fields(0, 0, 17, 2, 0, platform::FromLocalTime(At(2030, 6, 15, 14, 45)) - 42));
}

TEST_F(DeskDialogs, NotificationModeChangesOnTheClickEvenWhenCancelled) {
  SetTimeDialog logic;
  logic.Start(dialog);
  EXPECT_TRUE(dialog[IDC_MODE_NEWER].checked);
  EXPECT_EQ(dialog[IDC_NEWER_SECONDS].text, "86400");
  logic.Command(dialog, IDC_MODE_ALL);
  logic.Command(dialog, IDCANCEL);
  EXPECT_EQ(Fields(*dialog.endCode, Mode, BeginTime), Fields(IDCANCEL, 0, 86400));

  FakeDialog again;
  logic.Start(again);
  EXPECT_EQ(Fields(again[IDC_MODE_ALL].checked, again[IDC_MODE_NEWER].checked, again[IDC_NEWER_SECONDS].text),
            Fields(true, false, "0"));
  // OK in mode 0 still takes both bounds from the pickers.
  again[IDC_BEGIN_DATE].time = At(2024, 3, 1, 0, 0);
  again[IDC_BEGIN_TIME].time = At(1999, 1, 1, 8, 30);
  again[IDC_END_DATE].time = At(2024, 3, 2, 0, 0);
  again[IDC_END_TIME].time = At(1999, 1, 1, 9, 15);
  logic.Command(again, IDOK);
  EXPECT_EQ(again.endCode, IDOK);
  EXPECT_EQ(BeginTime, platform::FromLocalTime(At(2024, 3, 1, 8, 30)) - 42);
  EXPECT_EQ(EndTime, platform::FromLocalTime(At(2024, 3, 2, 9, 15)) - 42);

  // Mode 1 reads the seconds; mode 2 shows the interval.
  Mode = 1, EndTime = 0;
  logic.Start(dialog);
  dialog[IDC_NEWER_SECONDS].text = "3600";
  logic.Command(dialog, IDOK);
  EXPECT_EQ(Fields(BeginTime, EndTime), Fields(3600, 0));
  Mode = 2;
  BeginTime = platform::FromLocalTime(At(2024, 3, 1, 8, 30));
  EndTime = -1;  // stored after a failed conversion
  FakeDialog interval;
  interval[IDC_END_DATE].time = At(2001, 1, 1, 1, 1);
  logic.Start(interval);
  EXPECT_EQ(Fields(interval[IDC_MODE_INTERVAL].checked, interval[IDC_BEGIN_DATE].time.Day,
                   interval[IDC_BEGIN_TIME].time.Hour, interval[IDC_BEGIN_TIME].time.Second,
                   interval[IDC_END_DATE].time.Year),  // the end is left as the picker stood
            Fields(true, 1, 8, 0, 2001));
}

TEST_F(DeskDialogs, StatusDialogSelectsByNumberAndKeepsAnUnknownStatus) {
  FillDirectories();
  ChOrderStatus = 9;
  ChOrderPrice = 12.5f;
  OrderStatusDialog logic;
  dialog.MakeSortedCombo(IDC_STATUS);
  logic.Start(dialog);
  EXPECT_EQ(Fields(dialog[IDC_PRICE].text, dialog.GetText(IDC_STATUS, 100)), Fields("     12.50", "Выполнен"));

  ChOrderStatus = 33;
  FakeDialog unknown;
  unknown.MakeSortedCombo(IDC_STATUS);
  logic.Start(unknown);
  EXPECT_EQ(unknown.ComboSelection(IDC_STATUS), -1);
  unknown[IDC_PRICE].text = "дорого";
  logic.Command(unknown, IDOK);
  EXPECT_EQ(Fields(ChOrderStatus, ChOrderPrice, *unknown.endCode), Fields(33, 0, IDOK));
}

TEST_F(DeskDialogs, CarAndOrderIdDialogsReadUnsignedNumbers) {
  CarDescription = "белая";
  CarCallNumber = 17;
  CarDescriptionDialog car;
  car.Start(dialog);
  EXPECT_EQ(
      Fields(dialog[IDC_CAR_FULL_DESCRIPTION].text, dialog[IDC_CAR_CALL_NUMBER].text, dialog[IDC_CAR_MINUTES].text),
      Fields("белая", "17", "0"));
  dialog[IDC_CAR_GOV_NUMBER].text = "А001АА";
  dialog[IDC_CAR_MINUTES].text = "";
  car.Command(dialog, IDOK);
  EXPECT_EQ(Fields(CarGovNumber, ToCarMin, CarCallNumber), Fields("А001АА", 0, 17));

  OrderInputDialog input;
  FakeDialog id;
  input.Start(id);
  input.Command(id, IDOK);
  EXPECT_EQ(DlgOrderId, 0);
  id[IDC_ORDER_ID].text = "4711";
  input.Command(id, IDOK);
  EXPECT_EQ(DlgOrderId, 4711);
  FakeDialog cancelled;
  input.Command(cancelled, IDCANCEL);
  EXPECT_EQ(cancelled.endCode, IDCANCEL);
}

TEST_F(DeskDialogs, DirectoryViewerRowsAndItsOnlyWayOut) {
  KestoDirectoryItem service;
  service.FullName = "A", service.ShortName = "B", service.LeaderName = "C";
  service.CityIdList = {1, 2};
  KestoDirectoryItem lost = service;
  lost.CityIdList = {7};
  Access::SetCities(Client, {{1, "X"}, {2, "Y"}});
  Access::SetTaxis(Client, {{20, lost}, {10, service}});

  DirectoryDialog logic;
  dialog.lists[IDC_DIR_LIST];
  logic.Start(dialog);
  FakeListView& list = dialog.lists[IDC_DIR_LIST];
  EXPECT_EQ(list.columns, (std::vector<std::pair<std::string, int>>{{"ID", 30}, {"Строка", 280}}));
  logic.Command(dialog, IDC_DIR_CLIENTS);
  logic.Command(dialog, IDC_DIR_CLIENTS);
  ASSERT_EQ(list.rows.size(), 2u);
  EXPECT_EQ(list.rows[0].cells, (std::vector<std::string>{"10", "A (B) C  - [X][Y]"}));
  EXPECT_EQ(list.rows[1].cells[1], "A (B) C  - [id=7]");
  service.CityIdList.clear();
  EXPECT_EQ(TaxiServiceRowText(service, {}), "A (B) C  - ");

  Access::SetCities(Client, {});
  logic.Command(dialog, IDC_DIR_CITIES);
  EXPECT_TRUE(list.rows.empty());
  EXPECT_FALSE(logic.Command(dialog, IDCANCEL));
  EXPECT_FALSE(dialog.endCode.has_value());
  EXPECT_TRUE(logic.Command(dialog, IDOK));
  EXPECT_EQ(dialog.endCode, IDOK);
}

TEST_F(DeskDialogs, AutoAcceptRulesComeFromTheCheckListsAndBadNumbersKeepTheDialogOpen) {
  FillDirectories();
  AutoAcceptRules start;
  start.Cities = {2, 99};  // 99 has left the directory
  start.MinPrice = 300;
  start.Preliminary = PreliminaryRule::Now;
  start.MaxOpen = 5;
  DeskAutoAccept.SetRules(start);
  ui.scripts[IDD_AUTO_ACCEPT] = [this](DeskDialogLogic& logic, FakeDialog& d) {
    auto& cities = d.lists[IDC_AA_CITIES].rows;
    ASSERT_EQ(cities.size(), 3u);
    EXPECT_EQ(cities[2].cells[0], "№99 (нет в справочнике)");
    EXPECT_EQ(std::vector<bool>({cities[0].checked, cities[1].checked, cities[2].checked}),
              std::vector<bool>({false, true, true}));
    EXPECT_EQ(
        Fields(d[IDC_AA_NOW].checked, d[IDC_AA_ENABLED].checked, d[IDC_AA_MIN_PRICE].text, d[IDC_AA_MAX_OPEN].text),
        Fields(true, false, "300.00", "5"));
    cities[0].checked = true;
    cities[2].checked = false;
    d.lists[IDC_AA_CARRIER_TYPES].rows.at(1).checked = true;  // Минивэн, id 4
    d[IDC_AA_NOW].checked = false;
    d[IDC_AA_LATER].checked = d[IDC_AA_ENABLED].checked = true;
    for (const char* price : {"300 руб", "250,5"}) {
      d[IDC_AA_MIN_PRICE].text = price;
      d[IDC_AA_MAX_OPEN].text = "-1";
      logic.Command(d, IDOK);
      EXPECT_FALSE(d.endCode.has_value());
    }
    EXPECT_EQ(ui.boxes.size(), 2u);
    EXPECT_EQ(DeskAutoAccept.Rules().MaxOpen, 5);
    d[IDC_AA_MAX_OPEN].text = "";
    logic.Command(d, IDOK);
  };
  EXPECT_EQ(ui.RunDialog(IDD_AUTO_ACCEPT), IDOK);
  const AutoAcceptRules& rules = DeskAutoAccept.Rules();
  EXPECT_EQ(Fields(rules.Enabled, IdListText(rules.Cities), IdListText(rules.CarrierTypes), rules.MinPrice,
                   static_cast<int>(rules.Preliminary), rules.MaxOpen),
            Fields(true, "1,2", "4", 250.5, static_cast<int>(PreliminaryRule::Later), 3));
}

TEST_F(DeskDialogs, TariffDialogKeepsThePreviousChoiceWhereNothingIsSelected) {
  KestoDirectoryItem service;
  service.FullName = "Такси", service.ShortName = "Т";
  Access::SetTaxis(Client, {{1, service}, {2, service}});
  Access::SetCities(Client, {{5, "Тверь"}});
  ClientTariffCityId = 77;
  TariffDialog logic;
  for (int id : {IDC_TARIFF_PUBLISHER, IDC_TARIFF_ACCEPTOR, IDC_TARIFF_CITY}) dialog.MakeSortedCombo(id);
  logic.Start(dialog);
  EXPECT_EQ(Fields(dialog.ComboCount(IDC_TARIFF_PUBLISHER), dialog.ComboItemText(IDC_TARIFF_PUBLISHER, 0),
                   dialog.ComboItemText(IDC_TARIFF_ACCEPTOR, 1), dialog.ComboSelection(IDC_TARIFF_CITY)),
            Fields(2, "Такси (Т) ", "Такси (Т) ", -1));
  dialog.ComboSelect(IDC_TARIFF_PUBLISHER, 1);
  dialog.ComboSelect(IDC_TARIFF_ACCEPTOR, 0);
  logic.Command(dialog, IDOK);
  EXPECT_EQ(dialog.endCode, IDOK);
  EXPECT_EQ(ClientTariffPublisher, static_cast<std::int32_t>(dialog.ComboItemData(IDC_TARIFF_PUBLISHER, 1)));
  EXPECT_EQ(ClientTariffAceptor, static_cast<std::int32_t>(dialog.ComboItemData(IDC_TARIFF_ACCEPTOR, 0)));
  EXPECT_NE(ClientTariffPublisher, ClientTariffAceptor);
  EXPECT_EQ(ClientTariffCityId, 77);
}

}  // namespace
