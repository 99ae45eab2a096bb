// Fakes of the window system for the desk logic: a list view, a dialog with
// controls by id, and the UI services, plus a reset of the desk's globals.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "desk/AutoAccept.h"
#include "desk/DeskDialog.h"
#include "desk/DeskDialogs.h"
#include "desk/DeskGlobals.h"
#include "desk/DeskIds.h"
#include "desk/DeskUi.h"
#include "desk/ListView.h"
#include "desk/OrderList.h"
#include "support/ClientTestAccess.h"

class FakeListView : public KestoListView {
 public:
  struct Row {
    std::intptr_t data = 0;
    std::vector<std::string> cells;
    bool checked = false;
  };
  std::vector<std::pair<std::string, int>> columns;
  std::vector<Row> rows;
  int selectionMark = -1, inserts = 0, redraws = 0;
  std::vector<int> order;
  std::pair<int, int> sortArrow{-1, 0};

  void SetExtendedStyle(std::uint32_t) override {}
  void InsertColumn(int, const std::string& caption, int width) override { columns.emplace_back(caption, width); }
  int ColumnWidth(int column) override { return columns.at(static_cast<std::size_t>(column)).second; }
  void SetColumnWidth(int column, int width) override { columns.at(static_cast<std::size_t>(column)).second = width; }
  std::vector<int> ColumnOrder() override { return order; }
  void SetColumnOrder(const std::vector<int>& o) override { order = o; }
  void SetSortArrow(int column, int direction) override { sortArrow = {column, direction}; }
  void SortItems(const std::function<bool(std::intptr_t, std::intptr_t)>& less) override {
    std::sort(rows.begin(), rows.end(), [&](const Row& a, const Row& b) { return less(a.data, b.data); });
  }
  int ItemCount() override { return static_cast<int>(rows.size()); }
  bool Has(int index) { return index >= 0 && index < ItemCount(); }
  Row& At(int index) { return rows[static_cast<std::size_t>(index)]; }
  bool GetItemData(int index, std::intptr_t& data) override { return Has(index) && ((data = At(index).data), true); }
  int InsertItem(int index, const std::string& text) override { return InsertItemWithData(index, text, 0); }
  int InsertItemWithData(int index, const std::string& text, std::intptr_t data) override {
    if (++inserts, index < 0) return -1;
    const int at = std::min(index, ItemCount());
    Row row{data, std::vector<std::string>(std::max<std::size_t>(columns.size(), 1)), false};
    row.cells[0] = text;
    rows.insert(rows.begin() + at, row);
    return at;
  }
  void SetItemText(int index, int column, const std::string& text) override {
    if (!Has(index) || column < 0) return;
    auto& cells = At(index).cells;
    cells.resize(std::max(cells.size(), static_cast<std::size_t>(column) + 1));
    cells[static_cast<std::size_t>(column)] = text;
  }
  std::string GetItemText(int index, int column, std::size_t maxChars) override {
    if (!Has(index) || column < 0 || static_cast<std::size_t>(column) >= At(index).cells.size()) return "";
    return At(index).cells[static_cast<std::size_t>(column)].substr(0, maxChars);
  }
  bool DeleteItem(int index) override {
    if (!Has(index)) return false;
    rows.erase(rows.begin() + index);
    if (selectionMark >= index) selectionMark = selectionMark == index ? -1 : selectionMark - 1;
    return true;
  }
  void DeleteAllItems() override { rows.clear(), selectionMark = -1; }
  int GetSelectionMark() override { return selectionMark; }
  void Redraw() override { ++redraws; }
  void SetItemChecked(int index, bool checked) override { Has(index) && (At(index).checked = checked); }
  bool IsItemChecked(int index) override { return Has(index) && At(index).checked; }

  // The item data of the rows, top to bottom.
  std::vector<std::intptr_t> Ids() const {
    std::vector<std::intptr_t> ids(rows.size());
    return std::transform(rows.begin(), rows.end(), ids.begin(), [](const Row& r) { return r.data; }), ids;
  }
  // Appends a row as the lists of the main window hold it, and selects it.
  void SelectNewRow(std::int32_t id) { selectionMark = InsertItemWithData(kAppendRowIndex, std::to_string(id), id); }
};

class FakeDialog : public DeskDialog {
 public:
  struct Control {
    std::string text;
    bool checked = false, visible = true, enabled = true, combo = false, sorted = false;
    std::vector<std::pair<std::string, std::intptr_t>> items;
    int selection = -1;
    platform::LocalTime time;
  };
  std::map<int, Control> controls;
  std::map<int, FakeListView> lists;
  std::vector<int> tabOrder;
  int focus = 0, repaints = 0;
  std::optional<int> endCode;

  Control& operator[](int id) { return controls[id]; }
  void MakeSortedCombo(int id) { controls[id].combo = controls[id].sorted = true; }

  std::string GetText(int id, std::size_t n) override {
    return (controls[id].combo ? ComboItemText(id, controls[id].selection) : controls[id].text).substr(0, n);
  }
  void SetText(int id, const std::string& text) override { controls[id].text = text; }
  // GetDlgItemInt: blanks around digits, a sign only when signed, in range, else 0.
  std::uint32_t GetUnsigned(int id) override { return static_cast<std::uint32_t>(Number(id, false, 0, 4294967295LL)); }
  std::int32_t GetSigned(int id) override { return static_cast<std::int32_t>(Number(id, true, INT32_MIN, INT32_MAX)); }
  void SetUnsigned(int id, std::uint32_t value) override { controls[id].text = std::to_string(value); }

  void ComboReset(int id) override {
    controls[id].combo = true, controls[id].items.clear(), controls[id].selection = -1;
  }
  int ComboAdd(int id, const std::string& text, std::intptr_t data) override {
    Control& c = controls[id];
    c.combo = true;
    const auto at = c.sorted ? std::find_if(c.items.begin(), c.items.end(), [&](auto& i) { return text < i.first; })
                             : c.items.end();
    const int index = static_cast<int>(at - c.items.begin());
    c.items.insert(at, {text, data});
    if (c.selection >= index) ++c.selection;
    return index;
  }
  int ComboCount(int id) override { return static_cast<int>(controls[id].items.size()); }
  int ComboSelection(int id) override { return controls[id].selection; }
  void ComboSelect(int id, int index) override { controls[id].selection = HasItem(id, index) ? index : -1; }
  std::intptr_t ComboItemData(int id, int index) override { return HasItem(id, index) ? Item(id, index).second : -1; }
  std::string ComboItemText(int id, int index) override { return HasItem(id, index) ? Item(id, index).first : ""; }
  // Picks the entry with this text, as the operator would.
  void Choose(int id, const std::string& text) {
    for (int i = 0; i < ComboCount(id); ++i)
      if (Item(id, i).first == text) controls[id].selection = i;
  }

  bool IsChecked(int id) override { return controls[id].checked; }
  void SetChecked(int id, bool checked) override { controls[id].checked = checked; }
  void Show(int id, bool visible) override { controls[id].visible = visible; }
  void Enable(int id, bool enabled) override { controls[id].enabled = enabled; }
  int FocusedControl() override { return focus; }
  int NextTabItem(int id) override {
    if (tabOrder.empty()) return 0;
    const auto at = std::find(tabOrder.begin(), tabOrder.end(), id);
    return at == tabOrder.end() || at + 1 == tabOrder.end() ? tabOrder.front() : *(at + 1);
  }
  void SetFocus(int id) override { focus = id; }
  void Repaint() override { ++repaints; }
  platform::LocalTime GetDateTime(int id) override { return controls[id].time; }
  void SetDateTime(int id, const platform::LocalTime& value) override { controls[id].time = value; }
  KestoListView* ListView(int id) override { return &lists[id]; }
  void EndDialog(int code) override { endCode = code; }

 private:
  bool HasItem(int id, int index) { return index >= 0 && index < ComboCount(id); }
  std::pair<std::string, std::intptr_t>& Item(int id, int index) { return controls[id].items.at(index); }
  long long Number(int id, bool allowSign, long long low, long long high) {
    std::istringstream in(controls[id].text);
    long long value = 0;
    std::string rest;
    const bool signed_ = controls[id].text.find_first_of("+-") < controls[id].text.find_first_of("0123456789");
    return in >> value && !(in >> rest) && (allowSign || !signed_) && value >= low && value <= high ? value : 0;
  }
};

// UI services that record every box and run dialogs on fake controls.
class FakeUi : public DeskUi {
 public:
  struct Box {
    std::string text, caption;
    unsigned style = 0;
  };
  // Drives an open dialog as the operator would; the dialog ends with its logic's code, else IDCANCEL (the close box).
  using Script = std::function<void(DeskDialogLogic&, FakeDialog&)>;

  std::vector<Box> boxes;
  std::vector<int> dialogs;
  std::vector<std::string> log;
  int answer = IDYES;  // to MB_YESNO boxes
  std::map<int, Script> scripts;
  // Runs while each box or dialog is open, after it has been recorded.
  std::function<void()> whileOpen;
  int sounds = 0, flashes = 0, autoAcceptSounds = 0;

  int ShowMessageBox(const std::string& text, const std::string& caption, unsigned style) override {
    boxes.push_back({text, caption, style});
    if (whileOpen) whileOpen();
    return style == kMbYesNo ? answer : IDOK;
  }
  int RunDialog(int resourceId) override {
    dialogs.push_back(resourceId);
    FakeDialog dialog;
    if (resourceId == IDD_ORDER_STATUS) dialog.MakeSortedCombo(IDC_STATUS);
    if (resourceId == IDD_TARIFF)
      for (int id : {IDC_TARIFF_PUBLISHER, IDC_TARIFF_ACCEPTOR, IDC_TARIFF_CITY}) dialog.MakeSortedCombo(id);
    if (const auto logic = CreateDeskDialog(resourceId, *this)) {
      logic->Start(dialog);
      if (scripts.count(resourceId)) scripts[resourceId](*logic, dialog);
    }
    if (whileOpen) whileOpen();
    return dialog.endCode.value_or(IDCANCEL);
  }
  void WriteDebugLog(const std::string& message) override { log.push_back(message); }
  void PlayNewOrderSound() override { ++sounds; }
  void FlashUntilForeground() override { ++flashes; }
  void PlayAutoAcceptSound() override { ++autoAcceptSounds; }
  // The texts (or captions) of the boxes shown, in order.
  std::vector<std::string> Texts(std::string Box::*field = &Box::text) const {
    std::vector<std::string> texts(boxes.size());
    return std::transform(boxes.begin(), boxes.end(), texts.begin(), [&](const Box& b) { return b.*field; }), texts;
  }
};

// Values printed into one list, so that a record's fields compare at once.
template <typename... T>
std::vector<std::string> Fields(const T&... values) {
  std::vector<std::string> fields;
  std::ostringstream text;
  ((text.str(""), text << values, fields.push_back(text.str())), ...);
  return fields;
}

// Puts the desk's globals and the shared client back to their starting state.
inline void ResetDesk() {
  using Access = KestoBrimoClientTestAccess;
  NewOrders.clear(), MyOrders.clear(), CarDescription.clear(), CarGovNumber.clear(), DeskAutoAccept.Reset();
  CurOrder = KestoOrder(), MainIniFile = IniFile(), NewList = MyList = nullptr;
  ChOrderStatus = CarCallNumber = ToCarMin = DlgOrderId = ClientTariffPublisher = ClientTariffAceptor = 0;
  ClientTariffCityId = 0, ChOrderPrice = 0, Mode = 1, BeginTime = 86400, EndTime = 0;
  Access::ClearQueues(Client), Access::SetCities(Client, {}), Access::SetCarrierTypes(Client, {});
  Access::SetOrderStatuses(Client, {}), Access::SetTaxis(Client, {});
  Client.Authorized = false, Access::SetPhase(Client, KestoConnectionPhase::NotRunning);
}
