// The directory viewer and the tariff request dialog: both read copies of the
// client's directories; the tariff dialog leaves its choice in three globals.
#include "desk/DirectoryDialogs.h"

#include "desk/DeskGlobals.h"
#include "desk/DeskIds.h"
#include "desk/DeskUi.h"
#include "desk/OrderList.h"

namespace {
// Past any real row, so each row is appended.
constexpr int kPastLastRow = 268435455;
}  // namespace

std::string TaxiServiceRowText(const KestoDirectoryItem& service, const std::map<std::int32_t, std::string>& cities) {
  std::string text =
      service.FullName + " (" + service.ShortName + ") " + service.LeaderName + " " + service.Comment + " - ";
  for (std::int32_t cityId : service.CityIdList) {
    const auto city = cities.find(cityId);
    // An unknown city keeps its number, so the operator can still tell which one it is.
    text += "[" + (city != cities.end() ? city->second : "id=" + ToString(cityId)) + "]";
  }
  return text;
}

std::string TaxiServiceChoiceText(const KestoDirectoryItem& service) {
  return service.FullName + " (" + service.ShortName + ") ";
}

void RefreshDir(int Dir, KestoListView& hwndList) {
  hwndList.DeleteAllItems();
  std::map<std::int32_t, std::string> rows;
  switch (Dir) {
    case 1:
      rows = Client.GetCarrierTypeDirectory();
      break;
    case 2:
      rows = Client.GetOrderStatusDirectory();
      break;
    case 3:
      rows = Client.GetCityDirectory();
      break;
    case 4: {
      const auto cities = Client.GetCityDirectory();
      for (const auto& service : Client.GetTaxiDirectory())
        rows[service.first] = TaxiServiceRowText(service.second, cities);
      break;
    }
    default:
      break;
  }
  for (const auto& row : rows) {
    const int index = hwndList.InsertItem(kPastLastRow, "");
    if (index < 0) continue;
    hwndList.SetItemText(index, 0, ToString(row.first));
    hwndList.SetItemText(index, 1, row.second);
  }
}

bool DirectoryDialog::Start(DeskDialog& dialog) {
  if (KestoListView* list = dialog.ListView(IDC_DIR_LIST)) {
    list->InsertColumn(0, "ID", 30);
    list->InsertColumn(1, "Строка", 280);
  }
  return true;
}

bool DirectoryDialog::Command(DeskDialog& dialog, int controlId) {
  int dir = 0;
  switch (controlId) {
    case IDC_DIR_CARRIER_TYPES:
      dir = 1;
      break;
    case IDC_DIR_ORDER_STATES:
      dir = 2;
      break;
    case IDC_DIR_CITIES:
      dir = 3;
      break;
    case IDC_DIR_CLIENTS:
      dir = 4;
      break;
    case IDOK:
      dialog.EndDialog(IDOK);
      return true;
    default:
      // Cancel does not close the viewer: only its OK button does.
      return false;
  }
  if (KestoListView* list = dialog.ListView(IDC_DIR_LIST)) RefreshDir(dir, *list);
  return true;
}

bool TariffDialog::Start(DeskDialog& dialog) {
  for (const auto& city : Client.GetCityDirectory()) dialog.ComboAdd(IDC_TARIFF_CITY, city.second, city.first);
  for (const auto& service : Client.GetTaxiDirectory()) {
    const std::string text = TaxiServiceChoiceText(service.second);
    dialog.ComboAdd(IDC_TARIFF_PUBLISHER, text, service.first);
    dialog.ComboAdd(IDC_TARIFF_ACCEPTOR, text, service.first);
  }
  return true;
}

bool TariffDialog::Command(DeskDialog& dialog, int controlId) {
  if (controlId == IDCANCEL) {
    dialog.EndDialog(IDCANCEL);
    return true;
  }
  if (controlId != IDOK) return false;
  // A combo box without a choice keeps the id of the previous request.
  const struct {
    int combo;
    std::int32_t* target;
  } choices[] = {{IDC_TARIFF_PUBLISHER, &ClientTariffPublisher},
                 {IDC_TARIFF_ACCEPTOR, &ClientTariffAceptor},
                 {IDC_TARIFF_CITY, &ClientTariffCityId}};
  for (const auto& choice : choices) {
    const int selection = dialog.ComboSelection(choice.combo);
    if (selection >= 0) *choice.target = static_cast<std::int32_t>(dialog.ComboItemData(choice.combo, selection));
  }
  dialog.EndDialog(IDOK);
  return true;
}
