// The small command dialogs: notification mode, status and price, car
// description and order id. Each reads its starting values from the desk
// globals and writes its result back on OK.
#include "desk/CommandDialogs.h"

#include <cstdint>

#include "desk/DeskGlobals.h"
#include "desk/DeskIds.h"
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
  if (controlId != IDCANCEL) return false;
  dialog.EndDialog(IDCANCEL);
  return true;
}
}  // namespace

// Notification mode.
bool SetTimeDialog::Start(DeskDialog& dialog) {
  dialog.SetUnsigned(IDC_NEWER_SECONDS, 0);
  if (Mode == 0) dialog.SetChecked(IDC_MODE_ALL, true);
  if (Mode == 1) {
    dialog.SetChecked(IDC_MODE_NEWER, true);
    dialog.SetUnsigned(IDC_NEWER_SECONDS, static_cast<std::uint32_t>(BeginTime));
  }
  if (Mode == 2) {
    dialog.SetChecked(IDC_MODE_INTERVAL, true);
    ShowTime(dialog, IDC_BEGIN_DATE, IDC_BEGIN_TIME, BeginTime);
    ShowTime(dialog, IDC_END_DATE, IDC_END_TIME, EndTime);
  }
  return true;
}

bool SetTimeDialog::Command(DeskDialog& dialog, int controlId) {
  switch (controlId) {
    // The mode changes on the click itself; Cancel keeps it.
    case IDC_MODE_ALL:
      Mode = 0;
      return true;
    case IDC_MODE_NEWER:
      Mode = 1;
      return true;
    case IDC_MODE_INTERVAL:
      Mode = 2;
      return true;
    case IDOK:
      if (Mode == 1) {
        BeginTime = dialog.GetUnsigned(IDC_NEWER_SECONDS);
      } else {
        BeginTime = PickedTime(dialog, IDC_BEGIN_DATE, IDC_BEGIN_TIME);
        EndTime = PickedTime(dialog, IDC_END_DATE, IDC_END_TIME);
      }
      dialog.EndDialog(IDOK);
      return true;
    default:
      return EndOnCancel(dialog, controlId);
  }
}

// Status and price.
namespace {
constexpr std::size_t kPriceChars = 99;
}  // namespace

bool OrderStatusDialog::Start(DeskDialog& dialog) {
  dialog.SetText(IDC_PRICE, FormatText("%10.2f", static_cast<double>(ChOrderPrice)));
  for (const auto& entry : Client.GetOrderStatusDirectory()) dialog.ComboAdd(IDC_STATUS, entry.second, entry.first);
  // The combo box sorts by name, so the entry is found by its number.
  const int count = dialog.ComboCount(IDC_STATUS);
  for (int index = 0; index < count; ++index) {
    if (dialog.ComboItemData(IDC_STATUS, index) == ChOrderStatus) {
      dialog.ComboSelect(IDC_STATUS, index);
      break;
    }
  }
  return true;
}

bool OrderStatusDialog::Command(DeskDialog& dialog, int controlId) {
  if (controlId != IDOK) return EndOnCancel(dialog, controlId);
  ChOrderPrice = AtofText(dialog.GetText(IDC_PRICE, kPriceChars));
  const int selection = dialog.ComboSelection(IDC_STATUS);
  if (selection >= 0) ChOrderStatus = static_cast<std::int32_t>(dialog.ComboItemData(IDC_STATUS, selection));
  dialog.EndDialog(IDOK);
  return true;
}

// Car description.
namespace {
constexpr std::size_t kCarTextChars = 999;
}  // namespace

bool CarDescriptionDialog::Start(DeskDialog& dialog) {
  dialog.SetText(IDC_CAR_FULL_DESCRIPTION, CarDescription);
  dialog.SetText(IDC_CAR_GOV_NUMBER, CarGovNumber);
  dialog.SetUnsigned(IDC_CAR_CALL_NUMBER, static_cast<std::uint32_t>(CarCallNumber));
  dialog.SetUnsigned(IDC_CAR_MINUTES, 0);
  return true;
}

bool CarDescriptionDialog::Command(DeskDialog& dialog, int controlId) {
  if (controlId != IDOK) return EndOnCancel(dialog, controlId);
  CarDescription = dialog.GetText(IDC_CAR_FULL_DESCRIPTION, kCarTextChars);
  CarGovNumber = dialog.GetText(IDC_CAR_GOV_NUMBER, kCarTextChars);
  CarCallNumber = static_cast<std::int32_t>(dialog.GetUnsigned(IDC_CAR_CALL_NUMBER));
  ToCarMin = static_cast<std::int32_t>(dialog.GetUnsigned(IDC_CAR_MINUTES));
  dialog.EndDialog(IDOK);
  return true;
}

// Order id.
bool OrderInputDialog::Start(DeskDialog& dialog) {
  // The main window passes the selected row's order; the operator may type another.
  if (DlgOrderId > 0) dialog.SetUnsigned(IDC_ORDER_ID, static_cast<std::uint32_t>(DlgOrderId));
  return true;
}

bool OrderInputDialog::Command(DeskDialog& dialog, int controlId) {
  if (controlId != IDOK) return EndOnCancel(dialog, controlId);
  DlgOrderId = static_cast<std::int32_t>(dialog.GetUnsigned(IDC_ORDER_ID));
  dialog.EndDialog(IDOK);
  return true;
}
