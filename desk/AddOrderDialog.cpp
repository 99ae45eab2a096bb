// The new-order dialog: combo boxes filled from the directories, the
// optional time of a preliminary order, and the order it composes in CurOrder.
#include <cstdint>
#include <map>
#include <string>

#include "desk/CommandDialogs.h"
#include "desk/DeskGlobals.h"
#include "desk/DeskIds.h"
#include "desk/TextFormat.h"

namespace {
constexpr std::size_t kTextChars = 1023;
const char kByTime[] = "По времени";
const char kByMileage[] = "По километражу";
const char kFixed[] = "Фикс. тариф";
const char kPublishedStatusName[] = "На сервере обмена";
constexpr std::int32_t kPublishedStatusId = 17;

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 31;
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

void AddDirectory(DeskDialog& dialog, int id, const std::map<std::int32_t, std::string>& directory) {
  for (const auto& entry : directory) dialog.ComboAdd(id, entry.second, entry.first);
}

// The selected entry's number into `target`; without a selection `target` stays.
void ReadChoice(DeskDialog& dialog, int id, std::int32_t& target) {
  const int selection = dialog.ComboSelection(id);
  if (selection >= 0) target = static_cast<std::int32_t>(dialog.ComboItemData(id, selection));
}
}  // namespace

platform::LocalTime OneHourLater(const platform::LocalTime& local) {
  platform::LocalTime later = local;
  if (++later.Hour < 24) return later;
  later.Hour = 0;
  later.WeekDay = (later.WeekDay + 1) % 7;
  if (++later.Day <= DaysInMonth(later.Year, later.Month)) return later;
  later.Day = 1;
  if (++later.Month <= 12) return later;
  later.Month = 1;
  ++later.Year;
  return later;
}

AddOrderDialog::AddOrderDialog(DeskUi& ui, LocalClock now) : ui_(ui), now_(now) {}

bool AddOrderDialog::Start(DeskDialog& dialog) {
  // At 23 o'clock the hour after is midnight of the next day, not an hour 24.
  const platform::LocalTime inAnHour = OneHourLater(now_());
  dialog.SetDateTime(IDC_PRELIMINARY_DATE, inAnHour);
  dialog.SetDateTime(IDC_PRELIMINARY_TIME, inAnHour);
  dialog.Show(IDC_PRELIMINARY_DATE, false);
  dialog.Show(IDC_PRELIMINARY_TIME, false);

  dialog.ComboReset(IDC_CARRIER_TYPE);
  dialog.ComboReset(IDC_TARIFF_MODE);
  AddDirectory(dialog, IDC_CARRIER_TYPE, Client.GetCarrierTypeDirectory());
  dialog.ComboAdd(IDC_TARIFF_MODE, kByTime, 0);
  dialog.ComboAdd(IDC_TARIFF_MODE, kByMileage, 1);
  dialog.ComboAdd(IDC_TARIFF_MODE, kFixed, 2);
  dialog.ComboSelect(IDC_CARRIER_TYPE, 0);
  dialog.ComboSelect(IDC_TARIFF_MODE, 2);

  int published = -1;
  for (const auto& entry : Client.GetOrderStatusDirectory()) {
    const int index = dialog.ComboAdd(IDC_STATUS, entry.second, entry.first);
    if (entry.second == kPublishedStatusName) published = index;
  }
  if (published >= 0) dialog.ComboSelect(IDC_STATUS, published);

  const auto cities = Client.GetCityDirectory();
  AddDirectory(dialog, IDC_CITY_FROM, cities);
  AddDirectory(dialog, IDC_CITY_TO, cities);
  dialog.ComboSelect(IDC_CITY_FROM, 0);
  dialog.ComboSelect(IDC_CITY_TO, 0);

  dialog.SetText(IDC_TIME_TO_LIVE, "0");
  return true;
}

bool AddOrderDialog::Command(DeskDialog& dialog, int controlId) {
  switch (controlId) {
    case IDC_PRELIMINARY: {
      const bool later = dialog.IsChecked(IDC_PRELIMINARY);
      dialog.Show(IDC_PRELIMINARY_DATE, later);
      dialog.Show(IDC_PRELIMINARY_TIME, later);
      return true;
    }
    case IDOK: {
      // Enter walks the fields instead of publishing a half-filled order.
      const int focused = dialog.FocusedControl();
      if (focused != IDC_PUBLISH) {
        const int next = dialog.NextTabItem(focused);
        dialog.SetFocus(next != 0 ? next : IDC_PUBLISH);
        dialog.Repaint();
      }
      return false;
    }
    case IDCANCEL:
      ui_.WriteDebugLog("InsertOrder Dialog cancel");
      dialog.EndDialog(IDCANCEL);
      return true;
    case IDC_PUBLISH:
      Publish(dialog);
      dialog.EndDialog(IDC_PUBLISH);
      return true;
    default:
      return false;
  }
}

void AddOrderDialog::Publish(DeskDialog& dialog) {
  // The dialog has no fields for the coordinates.
  CurOrder.LatitudeFrom = 15.123456f;
  CurOrder.LongitudeFrom = 16.987654f;
  CurOrder.LatitudeTo = 17.8765f;
  CurOrder.LongitudeTo = 18.654322f;
  CurOrder.StreetFrom = dialog.GetText(IDC_STREET_FROM, kTextChars);
  CurOrder.AdditionalFrom = dialog.GetText(IDC_ADDITIONAL_FROM, kTextChars);
  CurOrder.StreetTo = dialog.GetText(IDC_STREET_TO, kTextChars);
  CurOrder.AdditionalTo = dialog.GetText(IDC_ADDITIONAL_TO, kTextChars);
  ReadChoice(dialog, IDC_CARRIER_TYPE, CurOrder.CarrierType);
  ReadChoice(dialog, IDC_CITY_FROM, CurOrder.CityIdFrom);
  ReadChoice(dialog, IDC_CITY_TO, CurOrder.CityIdTo);
  CurOrder.StatusId = kPublishedStatusId;
  ReadChoice(dialog, IDC_STATUS, CurOrder.StatusId);
  CurOrder.Price = AtofText(dialog.GetText(IDC_PRICE, kTextChars));
  CurOrder.ClientPhone = dialog.GetText(IDC_CLIENT_PHONE, kTextChars);
  CurOrder.Comment = dialog.GetText(IDC_COMMENT, kTextChars);
  const std::string mode = dialog.GetText(IDC_TARIFF_MODE, kTextChars);
  CurOrder.Time0Km1Fixed2 = mode == kByTime ? 0 : mode == kByMileage ? 1 : 2;
  if (dialog.IsChecked(IDC_PRELIMINARY)) {
    platform::LocalTime when = dialog.GetDateTime(IDC_PRELIMINARY_DATE);
    const platform::LocalTime clock = dialog.GetDateTime(IDC_PRELIMINARY_TIME);
    when.Hour = clock.Hour;
    when.Minute = clock.Minute;
    when.Second = 0;
    CurOrder.PreliminaryTime = platform::FromLocalTime(when);
  } else {
    CurOrder.PreliminaryTime = 0;
  }
  CurOrder.TimeToLiveSec = dialog.GetSigned(IDC_TIME_TO_LIVE);
}
