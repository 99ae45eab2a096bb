// The new-order dialog (104): combo boxes filled from the directories, the
// optional time of a preliminary order, and the order it composes in CurOrder.
#include <cstdint>
#include <map>
#include <string>

#include "desk/CommandDialogs.h"
#include "desk/DeskGlobals.h"
#include "desk/DeskIds.h"
#include "desk/TextFormat.h"

namespace {
enum Control : int {
  kCityFrom = 1024,
  kStreetFrom = 1025,
  kAdditionalFrom = 1026,
  kCityTo = 1027,
  kStreetTo = 1028,
  kAdditionalTo = 1029,
  kCarrierType = 1030,
  kPrice = 1031,
  kClientPhone = 1032,
  kTariffingMode = 1033,
  kComment = 1034,
  kPreliminary = 1035,
  kPreliminaryDate = 1036,
  kPreliminaryTime = 1037,
  kStatus = 1038,
  kTimeToLive = 1055,
};

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
  dialog.SetDateTime(kPreliminaryDate, inAnHour);
  dialog.SetDateTime(kPreliminaryTime, inAnHour);
  dialog.Show(kPreliminaryDate, false);
  dialog.Show(kPreliminaryTime, false);

  dialog.ComboReset(kCarrierType);
  dialog.ComboReset(kTariffingMode);
  AddDirectory(dialog, kCarrierType, Client.GetCarrierTypeDirectory());
  dialog.ComboAdd(kTariffingMode, kByTime, 0);
  dialog.ComboAdd(kTariffingMode, kByMileage, 1);
  dialog.ComboAdd(kTariffingMode, kFixed, 2);
  dialog.ComboSelect(kCarrierType, 0);
  dialog.ComboSelect(kTariffingMode, 2);

  int published = -1;
  for (const auto& entry : Client.GetOrderStatusDirectory()) {
    const int index = dialog.ComboAdd(kStatus, entry.second, entry.first);
    if (entry.second == kPublishedStatusName) published = index;
  }
  if (published >= 0) dialog.ComboSelect(kStatus, published);

  const auto cities = Client.GetCityDirectory();
  AddDirectory(dialog, kCityFrom, cities);
  AddDirectory(dialog, kCityTo, cities);
  dialog.ComboSelect(kCityFrom, 0);
  dialog.ComboSelect(kCityTo, 0);

  dialog.SetText(kTimeToLive, "0");
  return true;
}

bool AddOrderDialog::Command(DeskDialog& dialog, int controlId) {
  switch (controlId) {
    case kPreliminary: {
      const bool later = dialog.IsChecked(kPreliminary);
      dialog.Show(kPreliminaryDate, later);
      dialog.Show(kPreliminaryTime, later);
      return true;
    }
    case kIdOk: {
      // Enter walks the fields instead of publishing a half-filled order.
      const int focused = dialog.FocusedControl();
      if (focused != kPublishEndCode) {
        const int next = dialog.NextTabItem(focused);
        dialog.SetFocus(next != 0 ? next : kPublishEndCode);
        dialog.Repaint();
      }
      return false;
    }
    case kIdCancel:
      ui_.WriteDebugLog("InsertOrder Dialog cancel");
      dialog.EndDialog(kIdCancel);
      return true;
    case kPublishEndCode:
      Publish(dialog);
      dialog.EndDialog(kPublishEndCode);
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
  CurOrder.StreetFrom = dialog.GetText(kStreetFrom, kTextChars);
  CurOrder.AdditionalFrom = dialog.GetText(kAdditionalFrom, kTextChars);
  CurOrder.StreetTo = dialog.GetText(kStreetTo, kTextChars);
  CurOrder.AdditionalTo = dialog.GetText(kAdditionalTo, kTextChars);
  ReadChoice(dialog, kCarrierType, CurOrder.CarrierType);
  ReadChoice(dialog, kCityFrom, CurOrder.CityIdFrom);
  ReadChoice(dialog, kCityTo, CurOrder.CityIdTo);
  CurOrder.StatusId = kPublishedStatusId;
  ReadChoice(dialog, kStatus, CurOrder.StatusId);
  CurOrder.Price = AtofText(dialog.GetText(kPrice, kTextChars));
  CurOrder.ClientPhone = dialog.GetText(kClientPhone, kTextChars);
  CurOrder.Comment = dialog.GetText(kComment, kTextChars);
  const std::string mode = dialog.GetText(kTariffingMode, kTextChars);
  CurOrder.Time0Km1Fixed2 = mode == kByTime ? 0 : mode == kByMileage ? 1 : 2;
  if (dialog.IsChecked(kPreliminary)) {
    platform::LocalTime when = dialog.GetDateTime(kPreliminaryDate);
    const platform::LocalTime clock = dialog.GetDateTime(kPreliminaryTime);
    when.Hour = clock.Hour;
    when.Minute = clock.Minute;
    when.Second = 0;
    CurOrder.PreliminaryTime = platform::FromLocalTime(when);
  } else {
    CurOrder.PreliminaryTime = 0;
  }
  CurOrder.TimeToLiveSec = dialog.GetSigned(kTimeToLive);
}
