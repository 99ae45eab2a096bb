// The sort order of the order lists' cells and the sorting of a list.
#include "desk/OrderSort.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>

namespace {

// Cells are compared on their first characters only; longer texts are streets and comments.
constexpr std::size_t kCellSortChars = 1024;

// A letter's place in the alphabet, case folded; other characters keep their code.
int CollationWeight(unsigned char c) {
  constexpr unsigned char kYo = 0xA8, kYoSmall = 0xB8;  // Ё ё
  constexpr int kIe = 5;                                // Е is the sixth letter
  if (c >= 'a' && c <= 'z') c = static_cast<unsigned char>(c - 'a' + 'A');
  if (c >= 'A' && c <= 'Z') return 0x100 + (c - 'A');
  if (c == kYo || c == kYoSmall) return 0x200 + kIe * 2 + 1;
  if (c >= 0xC0) return 0x200 + ((c - 0xC0) % 32) * 2;
  return c;
}

// The number a cell starts with (blanks before it allowed); 0 for none.
double LeadingNumber(const std::string& text) { return std::strtod(text.c_str(), nullptr); }

// "hh:mm:ss dd.mm.yyyy " as yyyymmddhhmmss; -1 for an empty or other text.
double TimeValue(const std::string& text) {
  int hour = 0, minute = 0, second = 0, day = 0, month = 0, year = 0;
  char tail = 0;
  if (std::sscanf(text.c_str(), "%2d:%2d:%2d %2d.%2d.%4d%c", &hour, &minute, &second, &day, &month, &year, &tail) < 6) {
    return -1;
  }
  return ((((year * 100.0 + month) * 100 + day) * 100 + hour) * 100 + minute) * 100 + second;
}

int CompareNumbers(double a, double b) { return a < b ? -1 : (b < a ? 1 : 0); }

}  // namespace

ListSort SortAfterClick(const ListSort& current, int column) {
  ListSort next;
  next.column = column;
  next.descending = current.column == column && !current.descending;
  return next;
}

int CompareRussian(const std::string& a, const std::string& b) {
  const std::size_t common = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < common; ++i) {
    const int diff =
        CollationWeight(static_cast<unsigned char>(a[i])) - CollationWeight(static_cast<unsigned char>(b[i]));
    if (diff != 0) return diff;
  }
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  return a.compare(b);  // same letters: a fixed order between cases
}

int CompareCells(ColumnKind kind, const std::string& a, const std::string& b) {
  switch (kind) {
    case ColumnKind::Number:
      return CompareNumbers(LeadingNumber(a), LeadingNumber(b));
    case ColumnKind::Time:
      return CompareNumbers(TimeValue(a), TimeValue(b));
    case ColumnKind::TimeThenText: {
      // "(" time ")" name
      const std::size_t close = a.find(')'), closeB = b.find(')');
      const std::string timeA = close == std::string::npos ? a : a.substr(1, close - 1);
      const std::string timeB = closeB == std::string::npos ? b : b.substr(1, closeB - 1);
      const int byTime = CompareNumbers(TimeValue(timeA), TimeValue(timeB));
      if (byTime != 0) return byTime;
      return CompareRussian(close == std::string::npos ? a : a.substr(close + 1),
                            closeB == std::string::npos ? b : b.substr(closeB + 1));
    }
    case ColumnKind::Text:
    default:
      return CompareRussian(a, b);
  }
}

void SortOrderList(KestoListView& list, const ListSort& sort) {
  if (sort.column < 0 || sort.column >= kOrderColumnCount) {
    list.SetSortArrow(-1, 0);
    return;
  }
  const ColumnKind kind = kOrderColumns[static_cast<std::size_t>(sort.column)].Kind;
  // The cells are read once: a comparison must not call back into the list while it sorts.
  std::map<std::intptr_t, std::string> cells;
  const int rows = list.ItemCount();
  for (int row = 0; row < rows; ++row) {
    std::intptr_t data = 0;
    if (list.GetItemData(row, data)) cells[data] = list.GetItemText(row, sort.column, kCellSortChars);
  }
  list.SortItems([&](std::intptr_t a, std::intptr_t b) {
    const int order = CompareCells(kind, cells[a], cells[b]);
    if (order != 0) return sort.descending ? order > 0 : order < 0;
    return a < b;
  });
  list.SetSortArrow(sort.column, sort.descending ? -1 : 1);
}
