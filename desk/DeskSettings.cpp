// The "Desk" section of the settings file: parsing that gives defaults for
// anything damaged, and the columns of the order lists.
#include "desk/DeskSettings.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include "desk/TextFormat.h"
#include "platform/profile.h"

namespace {

const char kSection[] = "Desk";
constexpr int kMaxColumnWidth = 4000;
constexpr int kMaxWindowCoordinate = 100000;

// A comma-separated list of exactly `count` whole numbers within [low, high].
bool ParseNumbers(const std::string& text, std::size_t count, int low, int high, std::vector<int>& out) {
  std::vector<int> numbers;
  const char* at = text.c_str();
  while (*at != '\0') {
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(at, &end, 10);
    if (end == at || errno != 0 || value < low || value > high) return false;
    numbers.push_back(static_cast<int>(value));
    at = end;
    while (*at == ' ') ++at;
    if (*at == ',') {
      ++at;
      if (*at == '\0') return false;
    } else if (*at != '\0') {
      return false;
    }
  }
  if (numbers.size() != count) return false;
  out = numbers;
  return true;
}

std::string JoinNumbers(const std::vector<int>& numbers) {
  std::string text;
  for (std::size_t i = 0; i < numbers.size(); ++i) text += (i == 0 ? "" : ",") + FormatText("%d", numbers[i]);
  return text;
}

bool ReadFlag(const std::string& key, const std::string& path) {
  return platform::ReadProfileValue(kSection, key, path) == "1";
}

ListColumns ReadColumns(const std::string& prefix, const std::string& path) {
  ListColumns columns;
  const std::size_t count = kOrderColumnCount;
  ParseNumbers(platform::ReadProfileValue(kSection, prefix + "Widths", path), count, 0, kMaxColumnWidth,
               columns.widths);
  std::vector<int> order;
  if (ParseNumbers(platform::ReadProfileValue(kSection, prefix + "Order", path), count, 0, kOrderColumnCount - 1,
                   order)) {
    std::vector<int> sorted = order;
    std::sort(sorted.begin(), sorted.end());
    // Each column exactly once.
    if (std::adjacent_find(sorted.begin(), sorted.end()) == sorted.end()) columns.order = order;
  }
  std::vector<int> sort;
  if (ParseNumbers(platform::ReadProfileValue(kSection, prefix + "Sort", path), 2, -1, kOrderColumnCount - 1, sort) &&
      sort[1] >= 0 && sort[1] <= 1) {
    columns.sort.column = sort[0];
    columns.sort.descending = sort[0] >= 0 && sort[1] == 1;
  }
  return columns;
}

void WriteColumns(const std::string& prefix, const ListColumns& columns, const std::string& path) {
  platform::WriteProfileValue(kSection, prefix + "Widths", JoinNumbers(columns.widths), path);
  platform::WriteProfileValue(kSection, prefix + "Order", JoinNumbers(columns.order), path);
  platform::WriteProfileValue(kSection, prefix + "Sort",
                              JoinNumbers({columns.sort.column, columns.sort.descending ? 1 : 0}), path);
}

}  // namespace

DeskSettings ReadDeskSettingsFrom(const std::string& path) {
  DeskSettings settings;
  if (path.empty()) return settings;
  std::vector<int> window;
  if (ParseNumbers(platform::ReadProfileValue(kSection, "Window", path), 4, -kMaxWindowCoordinate, kMaxWindowCoordinate,
                   window) &&
      window[2] > 0 && window[3] > 0) {
    settings.window = {window[0], window[1], window[2], window[3], ReadFlag("Maximized", path)};
  }
  settings.newOrders = ReadColumns("NewOrders", path);
  settings.myOrders = ReadColumns("MyOrders", path);
  settings.quietSuccess = ReadFlag("QuietSuccess", path);
  settings.sound = platform::ReadProfileValue(kSection, "Sound", path) != "0";
  return settings;
}

void WriteDeskSettingsTo(const DeskSettings& settings, const std::string& path) {
  if (path.empty()) return;
  const WindowPlacement& w = settings.window;
  if (w.width > 0 && w.height > 0) {
    platform::WriteProfileValue(kSection, "Window", JoinNumbers({w.left, w.top, w.width, w.height}), path);
    platform::WriteProfileValue(kSection, "Maximized", w.maximized ? "1" : "0", path);
  }
  WriteColumns("NewOrders", settings.newOrders, path);
  WriteColumns("MyOrders", settings.myOrders, path);
  platform::WriteProfileValue(kSection, "QuietSuccess", settings.quietSuccess ? "1" : "0", path);
  platform::WriteProfileValue(kSection, "Sound", settings.sound ? "1" : "0", path);
}

WindowPlacement FitOnScreen(WindowPlacement placement, const ScreenArea& area, int minWidth, int minHeight) {
  const int areaWidth = area.right - area.left;
  const int areaHeight = area.bottom - area.top;
  placement.width = std::max(minWidth, std::min(placement.width, areaWidth));
  placement.height = std::max(minHeight, std::min(placement.height, areaHeight));
  placement.left = std::max(area.left, std::min(placement.left, area.right - placement.width));
  placement.top = std::max(area.top, std::min(placement.top, area.bottom - placement.height));
  return placement;
}

void ApplyListColumns(KestoListView& list, const ListColumns& columns) {
  // The id column stays hidden whatever the file says.
  for (std::size_t column = 1; column < columns.widths.size(); ++column) {
    list.SetColumnWidth(static_cast<int>(column), columns.widths[column]);
  }
  if (!columns.order.empty()) list.SetColumnOrder(columns.order);
  if (columns.sort.column >= 0) list.SetSortArrow(columns.sort.column, columns.sort.descending ? -1 : 1);
}

void ReadListColumns(KestoListView& list, ListColumns& columns) {
  columns.widths.clear();
  for (int column = 0; column < kOrderColumnCount; ++column) columns.widths.push_back(list.ColumnWidth(column));
  columns.widths[0] = 0;
  columns.order = list.ColumnOrder();
  if (columns.order.size() != static_cast<std::size_t>(kOrderColumnCount)) columns.order.clear();
}
