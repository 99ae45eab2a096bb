// The two order lists: their 24 columns, the cells of an order's row, the
// row kept per order id, and the time and number texts the desk shows.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "client/KestoBrimoClientAsync.h"
#include "desk/ListView.h"
#include "protocol/KestoRecords.h"

constexpr int kOrderColumnCount = 24;

// How a column's cells compare when the operator sorts by it.
enum class ColumnKind {
  Text,         // Russian alphabetical order
  Number,       // by the number the cell starts with
  Time,         // "hh:mm:ss dd.mm.yyyy " by date and time; empty first
  TimeThenText  // "(time)name": by the time, then the name
};

struct OrderColumn {
  const char* Caption;
  int Width;
  ColumnKind Kind;
};

// Captions, initial widths in pixels at 96 DPI (wide enough for a typical
// cell: a four-digit price, "На сервере обмена", a time with a service's
// name) and sort kinds, column 0 first.
extern const std::array<OrderColumn, kOrderColumnCount> kOrderColumns;

// LVS_EX_GRIDLINES | LVS_EX_HEADERDRAGDROP (the operator reorders columns) | LVS_EX_FULLROWSELECT.
constexpr std::uint32_t kOrderListStyles = 0x31;

// The index that appends a row at the end of a list.
constexpr int kAppendRowIndex = 2147483647;

// Local date and time "hh:mm:ss dd.mm.yyyy " of a time in seconds since
// 1970; empty for values that are not times (0 to 65535, bits 16 to 31 all
// ones, or unconvertible).
std::string FormatTime(std::int64_t Param1);

// "%d".
std::string ToString(std::int32_t a);

// What the lists show for a state and a tariffing mode.
std::string BrimoOrderStateText(std::int32_t state);
std::string TariffingModeText(std::int32_t time0Km1Fixed2);

// The 24 cell texts of an order's row, with names from `client`'s directories.
std::array<std::string, kOrderColumnCount> OrderRowCells(const KestoOrder& order, KestoBrimoClientAsync& client);

// Prepares an empty list: styles and the 24 columns.
void SetColumn(KestoListView& ListViewFreeOrders);

// Adds the order's row, or refreshes the last row already holding its id;
// the names come from the desk's client.
void PutOrderToListView(KestoListView& ListView, const KestoOrder& ChangedOrder);

// Removes every row whose item data is `OrderId`.
void DelOrderFromListView(KestoListView& ListView, std::int32_t OrderId);
