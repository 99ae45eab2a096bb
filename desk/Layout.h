// Where the main window's right-hand part goes for a given client area: the
// two order lists with their frames (auto-accept's controls on the top one),
// the journal under them and the state line across the bottom. The
// connection fields and the command buttons on the left stay where the
// resource puts them.
#pragma once

// Dialog units to pixels, as MapDialogRect converts them for the window's font.
struct DialogUnits {
  int baseX = 4;  // pixels per 4 horizontal units
  int baseY = 8;  // pixels per 8 vertical units
  int X(int units) const { return units * baseX / 4; }
  int Y(int units) const { return units * baseY / 8; }
};

struct LayoutRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
};

struct MainLayout {
  LayoutRect newOrdersGroup, newOrders;
  LayoutRect myOrdersGroup, myOrders;
  LayoutRect journalGroup, journal;  // empty (and hidden) when there is no room for it
  LayoutRect stateLine;
  // Auto-accept's switch and rules button, at the right end of the new orders' frame.
  LayoutRect autoAcceptSwitch, autoAcceptRules;
};

// The resource's main window (508 by 346 units) is the smallest client area.
constexpr int kMainWindowWidthUnits = 508;
constexpr int kMainWindowHeightUnits = 346;
// The journal's frame when the window has just the room for it; the window
// first opens this much taller than the resource so that it shows.
constexpr int kJournalMinUnits = 70;

MainLayout LayOutMainWindow(int clientWidth, int clientHeight, const DialogUnits& units);
