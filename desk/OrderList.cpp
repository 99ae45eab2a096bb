// Rows of the order lists: cell texts from an order and the directories, and
// the scan that finds an order's row by its id.
#include "desk/OrderList.h"

#include <map>

#include "desk/DeskGlobals.h"
#include "desk/TextFormat.h"
#include "platform/clock.h"

const std::array<OrderColumn, kOrderColumnCount> kOrderColumns = {{
    {"ID", 0, ColumnKind::Number},
    {"Город-откуда", 80, ColumnKind::Text},
    {"Улица-откуда", 150, ColumnKind::Text},
    {"Доп инф.-откуда", 90, ColumnKind::Text},
    {"Город-куда", 80, ColumnKind::Text},
    {"Улица-куда", 130, ColumnKind::Text},
    {"Доп инф.-куда", 70, ColumnKind::Text},
    {"Телефон клиента", 110, ColumnKind::Text},
    {"Тип ТС", 70, ColumnKind::Text},
    {"Цена", 80, ColumnKind::Number},
    {"Заказ на время", 125, ColumnKind::Time},
    {"Статус", 125, ColumnKind::Text},
    {"Состояние заказа", 110, ColumnKind::Text},
    {"Опубликован", 210, ColumnKind::TimeThenText},
    {"Принят", 210, ColumnKind::TimeThenText},
    {"Комиссии", 130, ColumnKind::Number},
    {"Режим оплаты", 100, ColumnKind::Text},
    {"Комментарий", 300, ColumnKind::Text},
    {"Описание ТС", 100, ColumnKind::Text},
    {"Гос.номер ТС", 80, ColumnKind::Text},
    {"Позывной", 60, ColumnKind::Number},
    {"время жизни", 70, ColumnKind::Number},
    {"время до машины", 90, ColumnKind::Number},
    {"Время установки описания машины", 240, ColumnKind::Time},
}};

namespace {
const char kUnknownName[] = "<не определен>";

std::string NameOrUnknown(const std::map<std::int32_t, std::string>& directory, std::int32_t id) {
  const auto found = directory.find(id);
  return found == directory.end() ? std::string(kUnknownName) : found->second;
}

std::string ShortNameOrEmpty(const std::map<std::int32_t, KestoDirectoryItem>& taxis, std::int32_t id) {
  const auto found = taxis.find(id);
  return found == taxis.end() ? std::string() : found->second.ShortName;
}
}  // namespace

std::string FormatTime(std::int64_t Param1) {
  const std::uint64_t bits = static_cast<std::uint64_t>(Param1);
  if ((bits & 0xFFFF0000u) == 0xFFFF0000u) return std::string();
  if (Param1 >= 0 && Param1 <= 65535) return std::string();
  platform::LocalTime local;
  if (!platform::ToLocalTime(Param1, local)) return std::string();
  return FormatText("%2.2d:%2.2d:%2.2d %2.2d.%2.2d.%4.4d ", local.Hour, local.Minute, local.Second, local.Day,
                    local.Month, local.Year);
}

std::string ToString(std::int32_t a) { return FormatText("%d", a); }

std::string BrimoOrderStateText(std::int32_t state) {
  switch (state) {
    case 0: return "Новый";
    case 1: return "Принят нами";
    case 2: return "Возвращен";
    case 3: return "Принят другим";
    case 4: return "Не опубликован";
    default: return kUnknownName;
  }
}

std::string TariffingModeText(std::int32_t time0Km1Fixed2) {
  switch (time0Km1Fixed2) {
    case 0: return "Время";
    case 1: return "километраж";
    default: return "фикс. стоимость";
  }
}

std::array<std::string, kOrderColumnCount> OrderRowCells(const KestoOrder& order, KestoBrimoClientAsync& client) {
  const std::string cityFrom = client.GetCity(order.CityIdFrom);
  const std::string cityTo = client.GetCity(order.CityIdTo);
  const auto carrierTypes = client.GetCarrierTypeDirectory();
  const auto statuses = client.GetOrderStatusDirectory();
  const auto taxis = client.GetTaxiDirectory();

  std::array<std::string, kOrderColumnCount> cells;
  cells[0] = FormatText("%d", order.OrderId);
  cells[1] = cityFrom;
  cells[2] = order.StreetFrom;
  cells[3] = order.AdditionalFrom;
  cells[4] = cityTo;
  cells[5] = order.StreetTo;
  cells[6] = order.AdditionalTo;
  cells[7] = order.ClientPhone;
  // An unknown carrier type reads like an unknown status beside it.
  cells[8] = NameOrUnknown(carrierTypes, order.CarrierType);
  cells[9] = FormatText("%10.2f", static_cast<double>(order.Price));
  cells[10] = FormatTime(order.PreliminaryTime);
  cells[11] = NameOrUnknown(statuses, order.StatusId);
  cells[12] = BrimoOrderStateText(order.BrimoOrderState);
  cells[13] = "(" + FormatTime(order.WriteTime) + ")" + ShortNameOrEmpty(taxis, order.Publisher);
  cells[14] = "(" + FormatTime(order.AcceptTime) + ")" + ShortNameOrEmpty(taxis, order.Acceptor);
  cells[15] = FormatText("%10.2f/%10.2f", static_cast<double>(order.PublisherComission),
                         static_cast<double>(order.ServiceComission));
  cells[16] = TariffingModeText(order.Time0Km1Fixed2);
  cells[17] = order.Comment;
  cells[18] = order.CarDescription;
  cells[19] = order.CarGovNumber;
  cells[20] = ToString(order.CarCallNumber);
  cells[21] = ToString(order.TimeToLiveSec);
  cells[22] = ToString(order.ToCarMin);
  cells[23] = FormatTime(order.SetCarInfoTime);
  return cells;
}

void SetColumn(KestoListView& ListViewFreeOrders) {
  ListViewFreeOrders.SetExtendedStyle(kOrderListStyles);
  for (int column = 0; column < kOrderColumnCount; ++column) {
    const OrderColumn& c = kOrderColumns[static_cast<std::size_t>(column)];
    ListViewFreeOrders.InsertColumn(column, c.Caption, c.Width);
  }
}

void PutOrderToListView(KestoListView& ListView, const KestoOrder& ChangedOrder) {
  int row = -1;
  const int count = ListView.ItemCount();
  // Every row is looked at: should an id stand in several rows, the last one is refreshed.
  for (int index = 0; index < count; ++index) {
    std::intptr_t data = 0;
    if (ListView.GetItemData(index, data) && data == ChangedOrder.OrderId) row = index;
  }
  if (row < 0) row = ListView.InsertItemWithData(kAppendRowIndex, "new", ChangedOrder.OrderId);
  if (row < 0) return;
  const auto cells = OrderRowCells(ChangedOrder, Client);
  for (int column = 0; column < kOrderColumnCount; ++column) {
    ListView.SetItemText(row, column, cells[static_cast<std::size_t>(column)]);
  }
}

void DelOrderFromListView(KestoListView& ListView, std::int32_t OrderId) {
  const int count = ListView.ItemCount();
  int index = 0;
  while (index < count) {
    std::intptr_t data = 0;
    // After a deletion the next row has moved into this index.
    if (!(ListView.GetItemData(index, data) && data == OrderId && ListView.DeleteItem(index))) {
      ++index;
    }
  }
}
