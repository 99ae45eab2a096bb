// The auto-accept rules dialog: check-lists filled from the directories
// (ids the directories no longer hold stay listed, so nothing is lost), the
// price, the radio group, the limit and the switch.
#include <cstdint>
#include <map>
#include <set>
#include <string>

#include "desk/AutoAccept.h"
#include "desk/DeskGlobals.h"
#include "desk/DeskIds.h"
#include "desk/OrderList.h"

namespace {
constexpr std::uint32_t kCheckListStyles = 0x24;  // LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT
constexpr int kCheckListWidth = 150;
constexpr std::size_t kNumberChars = 99;
const char kCaption[] = "Автопринятие";

const struct {
  int controlId;
  PreliminaryRule rule;
} kPreliminaryRadios[] = {
    {IDC_AA_ANY, PreliminaryRule::Any},
    {IDC_AA_NOW, PreliminaryRule::Now},
    {IDC_AA_LATER, PreliminaryRule::Later},
};

void FillCheckList(KestoListView* list, const char* caption, const std::map<std::int32_t, std::string>& directory,
                   const std::set<std::int32_t>& checked) {
  if (list == nullptr) return;
  list->SetExtendedStyle(kCheckListStyles);
  list->InsertColumn(0, caption, kCheckListWidth);
  std::map<std::int32_t, std::string> entries = directory;
  for (std::int32_t id : checked) {
    if (entries.count(id) == 0) entries[id] = "№" + std::to_string(id) + " (нет в справочнике)";
  }
  for (const auto& entry : entries) {
    const int row = list->InsertItemWithData(kAppendRowIndex, entry.second, entry.first);
    list->SetItemChecked(row, checked.count(entry.first) != 0);
  }
}

std::set<std::int32_t> CheckedIds(KestoListView* list) {
  std::set<std::int32_t> ids;
  if (list == nullptr) return ids;
  for (int row = 0; row < list->ItemCount(); ++row) {
    std::intptr_t id = 0;
    if (list->IsItemChecked(row) && list->GetItemData(row, id)) ids.insert(static_cast<std::int32_t>(id));
  }
  return ids;
}
}  // namespace

bool AutoAcceptDialog::Start(DeskDialog& dialog) {
  const AutoAcceptRules& rules = DeskAutoAccept.Rules();
  dialog.SetText(IDC_AA_PROBLEM, DeskAutoAccept.Problem());
  dialog.SetChecked(IDC_AA_ENABLED, rules.Enabled);
  FillCheckList(dialog.ListView(IDC_AA_CITIES), "Город", Client.GetCityDirectory(), rules.Cities);
  FillCheckList(dialog.ListView(IDC_AA_CARRIER_TYPES), "Тип ТС", Client.GetCarrierTypeDirectory(), rules.CarrierTypes);
  dialog.SetText(IDC_AA_MIN_PRICE, MinPriceText(rules.MinPrice));
  for (const auto& radio : kPreliminaryRadios) dialog.SetChecked(radio.controlId, radio.rule == rules.Preliminary);
  dialog.SetText(IDC_AA_MAX_OPEN, std::to_string(rules.MaxOpen));
  return true;
}

bool AutoAcceptDialog::Store(DeskDialog& dialog) {
  AutoAcceptRules rules;
  if (!ParseMinPrice(dialog.GetText(IDC_AA_MIN_PRICE, kNumberChars), rules.MinPrice)) {
    ui_.ShowMessageBox("Минимальная цена: число не меньше 0, например 300 или 300.50", kCaption, kMbOk);
    dialog.SetFocus(IDC_AA_MIN_PRICE);
    return false;
  }
  if (!ParseMaxOpen(dialog.GetText(IDC_AA_MAX_OPEN, kNumberChars), rules.MaxOpen)) {
    ui_.ShowMessageBox("Не больше заказов без машины: целое число не меньше 0", kCaption, kMbOk);
    dialog.SetFocus(IDC_AA_MAX_OPEN);
    return false;
  }
  rules.Enabled = dialog.IsChecked(IDC_AA_ENABLED);
  rules.Cities = CheckedIds(dialog.ListView(IDC_AA_CITIES));
  rules.CarrierTypes = CheckedIds(dialog.ListView(IDC_AA_CARRIER_TYPES));
  for (const auto& radio : kPreliminaryRadios) {
    if (dialog.IsChecked(radio.controlId)) rules.Preliminary = radio.rule;
  }
  DeskAutoAccept.SetRules(rules);
  return true;
}

bool AutoAcceptDialog::Command(DeskDialog& dialog, int controlId) {
  if (controlId == IDOK && !Store(dialog)) return true;
  if (controlId != IDOK && controlId != IDCANCEL) return false;
  dialog.EndDialog(controlId);
  return true;
}
