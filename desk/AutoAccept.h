// Auto-accept: the dispatcher's rules for the offers the service always
// wants, kept in the [AutoAccept] section of the settings file, and the desk
// taking each new matching offer in the tick it arrives, up to a limit of
// automatically accepted orders still without a car.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>

#include "desk/DeskDialog.h"
#include "desk/DeskUi.h"
#include "protocol/KestoRecords.h"

enum class PreliminaryRule { Any, Now, Later };

struct AutoAcceptRules {
  bool Enabled = false;
  std::set<std::int32_t> Cities;        // pick-up city ids (CityIdFrom); empty: any
  std::set<std::int32_t> CarrierTypes;  // empty: any
  double MinPrice = 0;                  // an offer below it is left to the dispatcher; 0: any
  PreliminaryRule Preliminary = PreliminaryRule::Any;
  std::int32_t MaxOpen = 3;  // automatically accepted orders without a car at once
};

// The values as the settings file and the dialog write them; false for a
// damaged text. Blanks around values are allowed; an empty text is the default.
bool ParseIdList(const std::string& text, std::set<std::int32_t>& ids);
bool ParseMinPrice(const std::string& text, double& price);  // "150", "150.5" or "150,5"; not negative
bool ParseMaxOpen(const std::string& text, std::int32_t& count);
std::string IdListText(const std::set<std::int32_t>& ids);
std::string MinPriceText(double price);

// Whether an offer passes the city, carrier type, price and preliminary rules
// (not the switch or the limit). Prices compare in whole kopecks.
bool RulesMatch(const AutoAcceptRules& rules, const KestoOrder& offer);

// Reads the [AutoAccept] section into `rules`. Returns an empty text, or the
// operator's message about the first damaged value; then auto-accept is off.
std::string ReadAutoAcceptFrom(AutoAcceptRules& rules, const std::string& path);
void WriteAutoAcceptTo(const AutoAcceptRules& rules, const std::string& path);

// What auto-accept made of one response.
struct AutoAcceptStep {
  int acceptCommandId = 0;  // not 0: the offer was accepted at once, by this request
  std::string note;         // then "Автопринят заказ <id>: <route>, <price>"
  bool answered = false;    // the answer to an automatic accept: it opens no box
};

class AutoAccept {
 public:
  // Reads the rules from the settings file at `path`, where they are stored
  // from then on; a damaged value is told in the debug log and Problem().
  void Load(const std::string& path, DeskUi& ui);
  const AutoAcceptRules& Rules() const { return rules_; }
  // Empty, or why auto-accept stays off: the settings file holds a damaged value.
  const std::string& Problem() const { return problem_; }

  // New rules from the dialog: in force at once and stored.
  void SetRules(const AutoAcceptRules& rules);
  // The main window's switch, clicked: on or off as it now stands. A rule
  // that could not be read keeps it off and stores nothing, so the damaged
  // value is still there to mend.
  void Switch(DeskDialog& window, DeskUi& ui);
  // The switch and the rules button on the main window: the switch shows
  // the state; both work once the directories are loaded.
  void ShowSwitch(DeskDialog& window);

  // Sees every answer and notification of the tick before the lists do. An
  // offer with an id never seen before that the rules take is accepted at
  // once, with a line in the debug log.
  AutoAcceptStep OnResponse(const KestoBrimo_AsyncResponce& response, DeskUi& ui);

  // Automatically accepted orders not yet given a car: awaiting the
  // exchange, or in "Мои заказы" without a car description.
  int OpenOrders() const;
  // Whether the order was accepted automatically (and not refused).
  bool Took(std::int32_t orderId) const { return accepted_.count(orderId) != 0; }

  // Forgets the rules and every order seen (tests share one desk).
  void Reset() { *this = AutoAccept(); }

 private:
  bool Takes(const KestoOrder& offer) const;
  AutoAcceptStep Accept(const KestoOrder& offer, DeskUi& ui);
  void Store();

  std::string path_;
  AutoAcceptRules rules_;
  std::string problem_;
  std::set<std::int32_t> seenOffers_;              // offered or withdrawn, ever: never taken later
  std::set<std::int32_t> accepted_;                // accepted automatically and not refused
  std::set<std::int32_t> awaiting_;                // accepted automatically, not yet in "Мои заказы"
  std::map<std::uint32_t, std::int32_t> answers_;  // CommandId of each automatic accept -> its order
};

// The desk's one auto-accept, used by the main window and the rules dialog.
extern AutoAccept DeskAutoAccept;

// The rules dialog "Автопринятие": check-lists of cities and carrier types
// from the directories, the minimum price, now or preliminary, the limit
// and the switch. OK puts the rules in force and stores them; a price or
// limit that is not a number keeps the dialog open with a word on why.
class AutoAcceptDialog : public DeskDialogLogic {
 public:
  explicit AutoAcceptDialog(DeskUi& ui) : ui_(ui) {}
  bool Start(DeskDialog& dialog) override;
  bool Command(DeskDialog& dialog, int controlId) override;

 private:
  bool Store(DeskDialog& dialog);
  DeskUi& ui_;
};
