// Sorting an order list by one of its columns, as the operator asks by
// clicking a header: numbers and times as numbers, texts in Russian
// alphabetical order; equal cells keep the order of their order ids.
#pragma once

#include <string>

#include "desk/ListView.h"
#include "desk/OrderList.h"

struct ListSort {
  int column = -1;  // -1: not sorted
  bool descending = false;
};

// The sort after a click on `column`: that column ascending, or the other
// way round when it already sorts the list.
ListSort SortAfterClick(const ListSort& current, int column);

// <0, 0 or >0 as `a` sorts before, with or after `b` in a column of `kind`.
int CompareCells(ColumnKind kind, const std::string& a, const std::string& b);

// Code page 1251 texts in Russian alphabetical order: case aside, Latin
// before Cyrillic, Ё beside Е.
int CompareRussian(const std::string& a, const std::string& b);

// Puts the rows in the order `sort` asks for and shows its arrow; a list
// that is not sorted keeps its rows as they are.
void SortOrderList(KestoListView& list, const ListSort& sort);
