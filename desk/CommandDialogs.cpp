// The small command dialogs: notification mode (105), status and price (106),
// car description (107) and order id (110). Each reads its starting values
// from the desk globals and writes its result back on OK.
#include <cstdint>

#include "desk/CommandDialogs.h"
#include "desk/DeskGlobals.h"
#include "desk/TextFormat.h"

namespace {
// The moment shown by a date picker and a time picker: the date of one with
// the hour and minute of the other, seconds 0.
std::int64_t PickedTime(DeskDialog& dialog, int dateId, int timeId) {
  platform::LocalTime when = dialog.GetDateTime(dateId);
  const platform::LocalTime clock = dialog.GetDateTime(timeId);
  when.Hour = clock.Hour;
  when.Minute = clock.Minute;
  when.Second = 0;
  return platform::FromLocalTime(when);
}

// Shows `t` in a date and a time picker. A time without a local form (any
// time before 1970, -1 from a failed conversion among them) leaves both as
// they are, as the pickers stand in the other modes.
void ShowTime(DeskDialog& dialog, int dateId, int timeId, std::int64_t t) {
  platform::LocalTime local;
  if (t < 0 || !platform::ToLocalTime(t, local)) return;
  local.Second = 0;
  local.Millisecond = 0;
  local.WeekDay = 0;
  dialog.SetDateTime(dateId, local);
  dialog.SetDateTime(timeId, local);
}

bool EndOnCancel(DeskDialog& dialog, int controlId) {
  if (controlId != kIdCancel) return false;
  dialog.EndDialog(kIdCancel);
  return true;
}
}  // namespace

// Notification mode.
namespace {
enum SetTimeControl : int {
  kAllOrders = 1018,
  kNewerOrders = 1019,
  kIntervalOrders = 1020,
  kSeconds = 1040,
  kBeginDate = 1041,
  kBeginTime = 1043,
  kEndDate = 1044,
  kEndTime = 1045,
};
}  // namespace

bool SetTimeDialog::Start(DeskDialog& dialog) {
  dialog.SetUnsigned(kSeconds, 0);
  if (Mode == 0) dialog.SetChecked(kAllOrders, true);
  if (Mode == 1) {
    dialog.SetChecked(kNewerOrders, true);
    dialog.SetUnsigned(kSeconds, static_cast<std::uint32_t>(BeginTime));
  }
  if (Mode == 2) {
    dialog.SetChecked(kIntervalOrders, true);
    ShowTime(dialog, kBeginDate, kBeginTime, BeginTime);
    ShowTime(dialog, kEndDate, kEndTime, EndTime);
  }
  return true;
}

bool SetTimeDialog::Command(DeskDialog& dialog, int controlId) {
  switch (controlId) {
    // The mode changes on the click itself; Cancel keeps it.
    case kAllOrders:
      Mode = 0;
      return true;
    case kNewerOrders:
      Mode = 1;
      return true;
    case kIntervalOrders:
      Mode = 2;
      return true;
    case kIdOk:
      if (Mode == 1) {
        BeginTime = dialog.GetUnsigned(kSeconds);
      } else {
        BeginTime = PickedTime(dialog, kBeginDate, kBeginTime);
        EndTime = PickedTime(dialog, kEndDate, kEndTime);
      }
      dialog.EndDialog(kIdOk);
      return true;
    default:
      return EndOnCancel(dialog, controlId);
  }
}

// Status and price.
namespace {
constexpr int kStatusCombo = 1038;
constexpr int kPriceEdit = 1031;
constexpr std::size_t kPriceChars = 99;
}  // namespace

bool OrderStatusDialog::Start(DeskDialog& dialog) {
  dialog.SetText(kPriceEdit, FormatText("%10.2f", static_cast<double>(ChOrderPrice)));
  for (const auto& entry : Client.GetOrderStatusDirectory()) dialog.ComboAdd(kStatusCombo, entry.second, entry.first);
  // The combo box sorts by name, so the entry is found by its number.
  const int count = dialog.ComboCount(kStatusCombo);
  for (int index = 0; index < count; ++index) {
    if (dialog.ComboItemData(kStatusCombo, index) == ChOrderStatus) {
      dialog.ComboSelect(kStatusCombo, index);
      break;
    }
  }
  return true;
}

bool OrderStatusDialog::Command(DeskDialog& dialog, int controlId) {
  if (controlId != kIdOk) return EndOnCancel(dialog, controlId);
  ChOrderPrice = AtofText(dialog.GetText(kPriceEdit, kPriceChars));
  const int selection = dialog.ComboSelection(kStatusCombo);
  if (selection >= 0) ChOrderStatus = static_cast<std::int32_t>(dialog.ComboItemData(kStatusCombo, selection));
  dialog.EndDialog(kIdOk);
  return true;
}

// Car description.
namespace {
enum CarControl : int {
  kDescriptionEdit = 1040,
  kMinutesEdit = 1044,
  kGovNumberEdit = 1045,
  kCallNumberEdit = 1046,
};
constexpr std::size_t kCarTextChars = 999;
}  // namespace

bool CarDescriptionDialog::Start(DeskDialog& dialog) {
  dialog.SetText(kDescriptionEdit, CarDescription);
  dialog.SetText(kGovNumberEdit, CarGovNumber);
  dialog.SetUnsigned(kCallNumberEdit, static_cast<std::uint32_t>(CarCallNumber));
  dialog.SetUnsigned(kMinutesEdit, 0);
  return true;
}

bool CarDescriptionDialog::Command(DeskDialog& dialog, int controlId) {
  if (controlId != kIdOk) return EndOnCancel(dialog, controlId);
  CarDescription = dialog.GetText(kDescriptionEdit, kCarTextChars);
  CarGovNumber = dialog.GetText(kGovNumberEdit, kCarTextChars);
  CarCallNumber = static_cast<std::int32_t>(dialog.GetUnsigned(kCallNumberEdit));
  ToCarMin = static_cast<std::int32_t>(dialog.GetUnsigned(kMinutesEdit));
  dialog.EndDialog(kIdOk);
  return true;
}

// Order id.
namespace {
constexpr int kOrderIdEdit = 1054;
}

bool OrderInputDialog::Start(DeskDialog&) { return true; }

bool OrderInputDialog::Command(DeskDialog& dialog, int controlId) {
  if (controlId != kIdOk) return EndOnCancel(dialog, controlId);
  DlgOrderId = static_cast<std::int32_t>(dialog.GetUnsigned(kOrderIdEdit));
  dialog.EndDialog(kIdOk);
  return true;
}
