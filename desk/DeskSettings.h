// The desk's own preferences, section "Desk" of the settings file beside the
// four connection fields: the main window's place and size, each order
// list's columns and sort, whether successful answers stay quiet, and the
// sound for a new offer.
// Read at start and written back on exit; a damaged or missing value gives
// its default.
#pragma once

#include <string>
#include <vector>

#include "desk/OrderSort.h"

struct WindowPlacement {
  int left = 0;
  int top = 0;
  int width = 0;  // 0: no saved place, the window opens where the system puts it
  int height = 0;
  bool maximized = false;
};

struct ListColumns {
  std::vector<int> widths;  // one per column at 96 DPI; empty: the defaults
  std::vector<int> order;   // a permutation of the columns; empty: as inserted
  ListSort sort;
};

struct DeskSettings {
  WindowPlacement window;
  ListColumns newOrders;
  ListColumns myOrders;
  // A successful answer to an order command goes only into the journal.
  bool quietSuccess = false;
  // A short sound when an order is offered for the first time; on unless "Sound=0".
  bool sound = true;
};

DeskSettings ReadDeskSettingsFrom(const std::string& path);
void WriteDeskSettingsTo(const DeskSettings& settings, const std::string& path);

// The screen area a window may take, in pixels.
struct ScreenArea {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

// A saved place brought within `area` and to at least the minimum size:
// too large shrinks to the area, off the area moves onto it.
WindowPlacement FitOnScreen(WindowPlacement placement, const ScreenArea& area, int minWidth, int minHeight);

// Puts the saved widths, order and sort arrow on a freshly prepared order list.
void ApplyListColumns(KestoListView& list, const ListColumns& columns);
// What the operator has made of the list's columns, to be saved.
void ReadListColumns(KestoListView& list, ListColumns& columns);
