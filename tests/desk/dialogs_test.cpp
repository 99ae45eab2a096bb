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
  DeskDialogs() { ResetDesk(); }
  ~DeskDialogs() override { ResetDesk(); }
  void FillDirectories() {
    Access::SetCities(Client, {{1, "Москва"}, {2, "Тверь"}});
    Access::SetCarrierTypes(Client, {{3, "Седан"}, {4, "Минивэн"}});
    Access::SetOrderStatuses(Client, {{5, "На сервере обмена"}, {9, "Выполнен"}, {17, "На сервере обмена"}});
  }
  FakeUi ui;
  FakeDialog dialog;
};

platform::LocalTime At(int y, int mo, int d, int h, int mi) { return {y, mo, d, h, mi, 42}; }
// Types each text into its control, or picks it in a combo box.
void Fill(FakeDialog&) {}
template <typename... Rest>
void Fill(FakeDialog& d, int id, const std::string& text, const Rest&... rest) {
  d[id].combo ? d.Choose(id, text) : void(d[id].text = text), Fill(d, rest...);
}
// Types `texts` (id, text, ...) and clicks `id`: whether the logic handled it, and the end code (0: still open).
template <typename Logic, typename... Texts>
std::vector<std::string> Press(Logic&& logic, FakeDialog& d, int id, const Texts&... texts) {
  Fill(d, texts...);
  const bool handled = logic.Command(d, id);
  return Fields(handled, d.endCode.value_or(0));
}
// Opens the dialog, then types and clicks as Press does.
template <typename Logic, typename... Texts>
std::vector<std::string> Operate(Logic&& logic, FakeDialog& d, int id, const Texts&... texts) {
  return d.MakeSortedCombo(IDC_STATUS), logic.Start(d), Press(logic, d, id, texts...);
}
std::vector<int> Ymdhm(const platform::LocalTime& t) { return {t.Year, t.Month, t.Day, t.Hour, t.Minute}; }
// The seconds the pickers give: the seconds of a picked time are dropped.
std::int64_t Picked(int y, int mo, int d, int h, int mi) { return platform::FromLocalTime(At(y, mo, d, h, mi)) - 42; }

TEST_F(DeskDialogs, NewOrderStartsAnHourAheadFromTheDirectoriesEnterWalksTheFieldsAndPublishFillsCurOrder) {
  const std::pair<platform::LocalTime, platform::LocalTime> cases[] = {
      {At(2024, 5, 6, 12, 15), At(2024, 5, 6, 13, 15)}, {At(2024, 2, 28, 23, 0), At(2024, 2, 29, 0, 0)},
      {At(2000, 2, 28, 23, 0), At(2000, 2, 29, 0, 0)},  {At(2100, 2, 28, 23, 0), At(2100, 3, 1, 0, 0)},
      {At(2023, 2, 28, 23, 0), At(2023, 3, 1, 0, 0)},   {At(2023, 12, 31, 23, 30), At(2024, 1, 1, 0, 30)}};
  for (const auto& [from, later] : cases) EXPECT_EQ(Ymdhm(OneHourLater(from)), Ymdhm(later)) << from.Year;
  AddOrderDialog logic(ui, [] { return At(2023, 12, 31, 23, 30); });
  const auto publish = [&](FakeDialog& d, const auto&... texts) {
    EXPECT_EQ(Press(logic, d, IDC_PUBLISH, texts...), Fields(true, IDC_PUBLISH));
    const KestoOrder& o = CurOrder;
    return Fields(o.LatitudeFrom, o.LongitudeFrom, o.LatitudeTo, o.LongitudeTo, o.StreetFrom, o.AdditionalFrom.size(),
                  o.StreetTo, o.CityIdFrom, o.CityIdTo, o.CarrierType, o.StatusId, o.Price, o.ClientPhone, o.Comment,
                  o.Time0Km1Fixed2, o.PreliminaryTime, o.TimeToLiveSec, o.OrderId);
  };
  // Empty directories leave the numbers as they were (-1) and the status published.
  logic.Start(dialog), dialog[IDC_PRELIMINARY].checked = true;
  dialog[IDC_PRELIMINARY_DATE].time = At(2030, 6, 15, 1, 2), dialog[IDC_PRELIMINARY_TIME].time = At(2000, 1, 1, 14, 45);
  EXPECT_EQ(publish(dialog, IDC_TIME_TO_LIVE, "soon"),
            Fields(15.123456f, 16.987654f, 17.8765f, 18.654322f, "", 0, "", -1, -1, 0, 17, 0, "", "", 2,
                   Picked(2030, 6, 15, 14, 45), 0, 0));
  EXPECT_EQ(Press(logic, dialog, IDCANCEL), Fields(true, IDCANCEL));
  EXPECT_EQ(ui.log, std::vector<std::string>{"InsertOrder Dialog cancel"});

  FakeDialog d;
  EXPECT_TRUE((FillDirectories(), logic.Start(d)));
  // Pickers an hour ahead, hidden; the last "На сервере обмена"; the first carrier type and city (kept below).
  EXPECT_EQ(Fields(d[IDC_PRELIMINARY_DATE].visible, d[IDC_PRELIMINARY_TIME].visible, d[IDC_PRELIMINARY_DATE].time.Year,
                   d[IDC_PRELIMINARY_TIME].time.Hour, d.GetText(IDC_TARIFF_MODE, 100), d.ComboSelection(IDC_STATUS),
                   d.GetText(IDC_CITY_TO, 100), d[IDC_TIME_TO_LIVE].text),
            Fields(false, false, 2024, 0, "Фикс. тариф", 2, "Москва", "0"));
  // Enter moves the focus along the tab order, then to the publish button, and never publishes.
  d.tabOrder = {IDC_CITY_FROM, IDC_STREET_FROM, IDC_ADDITIONAL_FROM, IDC_PUBLISH, IDCANCEL}, d.focus = IDC_STREET_FROM;
  EXPECT_EQ(Press(logic, d, IDOK), Fields(false, 0));
  EXPECT_EQ(d.focus, IDC_ADDITIONAL_FROM);
  d.tabOrder.clear();  // no next control: the publish button; there Enter does nothing
  Press(logic, d, IDOK), Press(logic, d, IDOK);
  EXPECT_EQ(Fields(d.focus, d.repaints, !d.endCode), Fields(IDC_PUBLISH, 2, true));
  // Ticked, the box shows the pickers; cleared again, the order has no time.
  for (bool later : {true, false}) {
    d[IDC_PRELIMINARY].checked = later, logic.Command(d, IDC_PRELIMINARY);
    EXPECT_EQ(Fields(d[IDC_PRELIMINARY_DATE].visible, d[IDC_PRELIMINARY_TIME].visible), Fields(later, later));
  }
  EXPECT_EQ(publish(d, IDC_STREET_FROM, "Тверская", IDC_ADDITIONAL_FROM, std::string(2000, 'a'), IDC_STREET_TO, "Арбат",
                    IDC_PRICE, "12.5руб", IDC_CLIENT_PHONE, "+7 900", IDC_COMMENT, "у подъезда", IDC_TIME_TO_LIVE,
                    "-30", IDC_CITY_TO, "Тверь", IDC_TARIFF_MODE, "По километражу", IDC_STATUS, "Выполнен"),
            Fields(15.123456f, 16.987654f, 17.8765f, 18.654322f, "Тверская", 1023, "Арбат", 1, 2, 3, 9, 12.5f, "+7 900",
                   "у подъезда", 1, 0, -30, 0));
}

TEST_F(DeskDialogs, CommandDialogsLeaveTheirGlobalsAndTheNotificationModeChangesOnTheClickEvenWhenCancelled) {
  SetTimeDialog logic;
  FakeDialog all, newer, interval, known, unknown, car, id, cancelled, again;
  const auto shown = [](FakeDialog& d) {
    return Fields(d[IDC_MODE_ALL].checked, d[IDC_MODE_NEWER].checked, d[IDC_MODE_INTERVAL].checked,
                  d[IDC_NEWER_SECONDS].text, d[IDC_BEGIN_DATE].time.Day, d[IDC_BEGIN_TIME].time.Hour,
                  d[IDC_BEGIN_TIME].time.Second, d[IDC_END_DATE].time.Year, Mode, BeginTime, EndTime);
  };
  Operate(logic, dialog, IDC_MODE_ALL);
  EXPECT_EQ(Press(logic, dialog, IDCANCEL), Fields(true, IDCANCEL));
  EXPECT_EQ(shown(dialog), Fields(false, true, false, "86400", 1, 0, 0, 1970, 0, 86400, 0));
  // OK in mode 0 still takes both bounds from the pickers.
  all[IDC_BEGIN_DATE].time = At(2024, 3, 1, 0, 0), all[IDC_BEGIN_TIME].time = At(1999, 1, 1, 8, 30);
  all[IDC_END_DATE].time = At(2024, 3, 2, 0, 0), all[IDC_END_TIME].time = At(1999, 1, 1, 9, 15);
  EXPECT_EQ(Operate(logic, all, IDOK), Fields(true, IDOK));
  EXPECT_EQ(shown(all),
            Fields(true, false, false, "0", 1, 8, 42, 2024, 0, Picked(2024, 3, 1, 8, 30), Picked(2024, 3, 2, 9, 15)));
  // Mode 1 reads the seconds; mode 2 shows the interval, the end left as the picker stood when not a time.
  Mode = 1, EndTime = 0;
  Operate(logic, newer, IDOK, IDC_NEWER_SECONDS, "3600");
  EXPECT_EQ(shown(newer), Fields(false, true, false, "3600", 1, 0, 0, 1970, 1, 3600, 0));
  Mode = 2, BeginTime = platform::FromLocalTime(At(2024, 3, 1, 8, 30)), EndTime = -1;
  interval[IDC_END_DATE].time = At(2001, 1, 1, 1, 1);
  logic.Start(interval);
  EXPECT_EQ(shown(interval), Fields(false, false, true, "0", 1, 8, 0, 2001, 2, BeginTime, -1));
  FillDirectories();
  ChOrderStatus = 9, ChOrderPrice = 12.5f, CarDescription = "белая", CarCallNumber = 17, ToCarMin = 5;
  Operate(OrderStatusDialog(), known, IDCANCEL);
  EXPECT_EQ(Fields(known[IDC_PRICE].text, known.GetText(IDC_STATUS, 100)), Fields("     12.50", "Выполнен"));
  ChOrderStatus = 33;  // not in the directory: kept
  Operate(OrderStatusDialog(), unknown, IDOK, IDC_PRICE, "дорого");
  Operate(CarDescriptionDialog(), car, IDOK, IDC_CAR_GOV_NUMBER, "А001АА", IDC_CAR_MINUTES, "");
  Operate(OrderInputDialog(), id, IDOK, IDC_ORDER_ID, "4711");
  Operate(OrderInputDialog(), cancelled, IDCANCEL);
  Operate(OrderInputDialog(), again, IDCANCEL);
  EXPECT_EQ(Fields(*unknown.endCode, ChOrderStatus, ChOrderPrice, *car.endCode, CarDescription, CarGovNumber, ToCarMin,
                   CarCallNumber, DlgOrderId, *cancelled.endCode, again[IDC_ORDER_ID].text),
            Fields(IDOK, 33, 0, IDOK, "белая", "А001АА", 0, 17, 4711, IDCANCEL, "4711"));
}

TEST_F(DeskDialogs, DirectoryViewerRowsItsOnlyWayOutAndTheTariffDialogKeepingThePreviousChoiceWhereNoneIsMade) {
  FillDirectories();
  KestoDirectoryItem service, lost;
  service.FullName = "A", service.ShortName = "B", service.LeaderName = "C", service.CityIdList = {1, 2};
  lost = service, lost.CityIdList = {7};
  Access::SetTaxis(Client, {{20, lost}, {10, service}, {30, KestoDirectoryItem()}});
  DirectoryDialog logic;
  logic.Start(dialog);
  const auto rows = [&](int button) {
    std::string text = logic.Command(dialog, button) ? "" : "unhandled";
    for (const auto& row : dialog.lists[IDC_DIR_LIST].rows) text += "|" + row.cells.at(0) + " " + row.cells.at(1);
    return text;
  };
  EXPECT_EQ(rows(IDC_DIR_CLIENTS), "|10 A (B) C  - [Москва][Тверь]|20 A (B) C  - [id=7]|30  ()   - ");
  EXPECT_EQ(rows(IDC_DIR_CARRIER_TYPES), "|3 Седан|4 Минивэн");
  EXPECT_EQ(rows(IDC_DIR_ORDER_STATES), "|5 На сервере обмена|9 Выполнен|17 На сервере обмена");
  Access::SetCities(Client, {{-2147483647 - 1, "Низ"}});
  EXPECT_EQ(rows(IDC_DIR_CITIES), "|-2147483648 Низ");
  EXPECT_EQ(Press(logic, dialog, IDCANCEL), Fields(false, 0));
  EXPECT_EQ(Press(logic, dialog, IDOK), Fields(true, IDOK));
  ClientTariffCityId = 77;
  FakeDialog t;
  EXPECT_EQ(Operate(TariffDialog(), t, IDCANCEL), Fields(true, IDCANCEL));
  t.ComboSelect(IDC_TARIFF_PUBLISHER, 2), t.ComboSelect(IDC_TARIFF_ACCEPTOR, 0);
  EXPECT_EQ(Press(TariffDialog(), t, IDOK), Fields(true, IDOK));
  EXPECT_EQ(Fields(t.ComboCount(IDC_TARIFF_ACCEPTOR), t.ComboItemText(IDC_TARIFF_PUBLISHER, 0),
                   t.ComboSelection(IDC_TARIFF_CITY), ClientTariffPublisher, ClientTariffAceptor, ClientTariffCityId),
            Fields(3, "A (B) ", -1, 30, 10, 77));
}

TEST_F(DeskDialogs, AutoAcceptRulesComeFromTheCheckListsAndBadNumbersKeepTheDialogOpen) {
  FillDirectories();
  AutoAcceptRules start;
  start.Cities = {2, 99}, start.MinPrice = 300, start.Preliminary = PreliminaryRule::Now, start.MaxOpen = 5;
  DeskAutoAccept.SetRules(start);
  auto &cities = dialog.lists[IDC_AA_CITIES].rows, &types = dialog.lists[IDC_AA_CARRIER_TYPES].rows;
  const auto logic = CreateDeskDialog(IDD_AUTO_ACCEPT, ui);
  logic->Start(dialog);
  EXPECT_EQ(Fields(cities.size(), cities.at(2).cells[0], cities[0].checked, cities[1].checked, cities[2].checked,
                   dialog[IDC_AA_NOW].checked, dialog[IDC_AA_ENABLED].checked, dialog[IDC_AA_MIN_PRICE].text,
                   dialog[IDC_AA_MAX_OPEN].text),
            Fields(3, "№99 (нет в справочнике)", false, true, true, true, false, "300.00", "5"));
  cities[0].checked = true, cities[2].checked = false, types.at(1).checked = true;  // Минивэн, id 4
  dialog[IDC_AA_NOW].checked = false, dialog[IDC_AA_LATER].checked = dialog[IDC_AA_ENABLED].checked = true;
  for (const char* price : {"300 руб", "250,5"})
    EXPECT_EQ(Press(*logic, dialog, IDOK, IDC_AA_MIN_PRICE, price, IDC_AA_MAX_OPEN, "-1"), Fields(true, 0)) << price;
  EXPECT_EQ(Fields(ui.boxes.size(), DeskAutoAccept.Rules().MaxOpen), Fields(2, 5));
  EXPECT_EQ(Press(*logic, dialog, IDOK, IDC_AA_MAX_OPEN, ""), Fields(true, IDOK));
  const AutoAcceptRules& rules = DeskAutoAccept.Rules();
  EXPECT_EQ(Fields(rules.Enabled, IdListText(rules.Cities), IdListText(rules.CarrierTypes), rules.MinPrice,
                   static_cast<int>(rules.Preliminary), rules.MaxOpen),
            Fields(true, "1,2", "4", 250.5, static_cast<int>(PreliminaryRule::Later), 3));
}

}  // namespace
