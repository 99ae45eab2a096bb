// The main window's layout as a function of its client area: the lists share
// the height left of the state line, each with at least its resource height
// when there is room, the journal taking a third of what is beyond.
#include "desk/Layout.h"

#include <algorithm>

namespace {

// The resource's right-hand part, in dialog units.
constexpr int kRightPartLeft = 143;
constexpr int kMargin = 7;
constexpr int kTop = 4;
constexpr int kGap = 4;
constexpr int kNewOrdersGroupHeight = 166;
constexpr int kMyOrdersGroupHeight = 167;
// A list inside its frame: below the frame's caption, inset on the sides.
constexpr int kListInsetX = 7;
constexpr int kListInsetTop = 12;
constexpr int kListInsetBottom = 6;
constexpr int kStateLineHeight = 11;
constexpr int kStateLineBottomMargin = 2;
// Below this the journal is not worth showing.
constexpr int kJournalHiddenBelowUnits = 30;
// Auto-accept's controls across the new orders' frame, as the resource has them.
constexpr int kRulesWidth = 110, kRulesHeight = 12, kRulesAbove = 3;
constexpr int kSwitchWidth = 62, kSwitchHeight = 10, kSwitchAbove = 2, kSwitchGap = 4;

LayoutRect ListInside(const LayoutRect& group, const DialogUnits& u) {
  return {group.left + u.X(kListInsetX), group.top + u.Y(kListInsetTop), group.right - u.X(kListInsetX),
          std::max(group.top + u.Y(kListInsetTop), group.bottom - u.Y(kListInsetBottom))};
}

}  // namespace

MainLayout LayOutMainWindow(int clientWidth, int clientHeight, const DialogUnits& u) {
  MainLayout layout;
  const int left = u.X(kRightPartLeft);
  const int right = std::max(left, clientWidth - u.X(kMargin));
  const int stateBottom = clientHeight - u.Y(kStateLineBottomMargin);
  layout.stateLine = {u.X(kMargin), stateBottom - u.Y(kStateLineHeight), clientWidth - u.X(kMargin), stateBottom};

  const int top = u.Y(kTop);
  const int bottom = layout.stateLine.top - u.Y(kGap);
  const int available = std::max(0, bottom - top);
  const int newMin = u.Y(kNewOrdersGroupHeight), myMin = u.Y(kMyOrdersGroupHeight);
  const int gap = u.Y(kGap), journalMin = u.Y(kJournalMinUnits);
  const int listsMin = newMin + gap + myMin;

  int journal = 0;
  if (available >= listsMin + gap + journalMin) {
    journal = journalMin + (available - listsMin - gap - journalMin) / 3;
  } else {
    journal = available - listsMin - gap;
  }
  if (journal < u.Y(kJournalHiddenBelowUnits)) journal = 0;

  // The lists share what the journal leaves in the proportion of their resource heights.
  const int lists = std::max(0, available - (journal > 0 ? journal + gap : 0) - gap);
  const int newHeight = lists * newMin / std::max(1, newMin + myMin);
  layout.newOrdersGroup = {left, top, right, top + newHeight};
  layout.myOrdersGroup = {left, layout.newOrdersGroup.bottom + gap, right, top + lists + gap};
  layout.newOrders = ListInside(layout.newOrdersGroup, u);
  const int rulesRight = layout.newOrders.right;
  const int rulesLeft = rulesRight - u.X(kRulesWidth);
  layout.autoAcceptRules = {rulesLeft, top - u.Y(kRulesAbove), rulesRight, top - u.Y(kRulesAbove) + u.Y(kRulesHeight)};
  const int switchRight = rulesLeft - u.X(kSwitchGap);
  layout.autoAcceptSwitch = {switchRight - u.X(kSwitchWidth), top - u.Y(kSwitchAbove), switchRight,
                             top - u.Y(kSwitchAbove) + u.Y(kSwitchHeight)};
  layout.myOrders = ListInside(layout.myOrdersGroup, u);
  if (journal > 0) {
    layout.journalGroup = {left, layout.myOrdersGroup.bottom + gap, right, layout.myOrdersGroup.bottom + gap + journal};
    layout.journal = ListInside(layout.journalGroup, u);
  }
  return layout;
}
