// Auto-accept's rules in the settings file, the match of an offer against
// them, and the tick's step that accepts new matching offers within the limit.
#include "desk/AutoAccept.h"

#include <cmath>
#include <cstddef>
#include <cstdlib>

#include "desk/DeskGlobals.h"
#include "desk/DeskIds.h"
#include "desk/OrderList.h"
#include "desk/TextFormat.h"
#include "platform/profile.h"
#include "protocol/KBRCodes.h"

AutoAccept DeskAutoAccept;

namespace {
const char kSection[] = "AutoAccept";
constexpr std::int32_t kDefaultMaxOpen = 3;
// Prices beyond this are typing mistakes, not rules.
constexpr double kMaxPrice = 1e9;
// A damaged value is quoted in the operator's message up to this length.
constexpr std::size_t kQuotedChars = 40;

std::string Trimmed(const std::string& text) {
  const std::size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string::npos) return std::string();
  return text.substr(begin, text.find_last_not_of(" \t") - begin + 1);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A decimal number of at most nine digits, nothing else.
bool ParseDigits(const std::string& text, std::int32_t& value) {
  if (text.empty() || text.size() > 9) return false;
  std::int32_t result = 0;
  for (char c : text) {
    if (!IsDigit(c)) return false;
    result = result * 10 + (c - '0');
  }
  value = result;
  return true;
}

long long Kopecks(double price) { return std::llround(price * 100); }

const char* PreliminaryText(PreliminaryRule rule) {
  switch (rule) {
    case PreliminaryRule::Now:
      return "now";
    case PreliminaryRule::Later:
      return "later";
    default:
      return "any";
  }
}

bool ParsePreliminary(const std::string& text, PreliminaryRule& rule) {
  for (PreliminaryRule candidate : {PreliminaryRule::Any, PreliminaryRule::Now, PreliminaryRule::Later}) {
    if (text == PreliminaryText(candidate)) {
      rule = candidate;
      return true;
    }
  }
  return text.empty();
}

bool ParseEnabled(const std::string& text, bool& enabled) {
  if (text != "0" && text != "1" && !text.empty()) return false;
  enabled = text == "1";
  return true;
}

std::string DamagedValueText(const char* key, const std::string& value) {
  const std::string quoted = value.size() > kQuotedChars ? value.substr(0, kQuotedChars) + "..." : value;
  return FormatText("Автопринятие выключено: в файле настроек неверное значение %s=%s", key, quoted.c_str());
}

// "Город, улица": the non-empty parts of one end of the route.
std::string Place(const std::string& city, const std::string& street) {
  if (city.empty() || street.empty()) return city + street;
  return city + ", " + street;
}
}  // namespace

bool ParseIdList(const std::string& text, std::set<std::int32_t>& ids) {
  std::set<std::int32_t> result;
  const std::string all = Trimmed(text);
  std::size_t begin = 0;
  while (!all.empty()) {
    const std::size_t comma = all.find(',', begin);
    std::int32_t id = 0;
    if (!ParseDigits(Trimmed(all.substr(begin, comma - begin)), id)) return false;
    result.insert(id);
    if (comma == std::string::npos) break;
    begin = comma + 1;
  }
  ids = result;
  return true;
}

bool ParseMinPrice(const std::string& text, double& price) {
  const std::string value = Trimmed(text);
  if (value.empty()) {
    price = 0;
    return true;
  }
  double result = 0;
  double scale = 0;  // 0 before the separator, then the weight of the next digit
  bool digits = false;
  for (char c : value) {
    if (IsDigit(c)) {
      digits = true;
      if (scale == 0) {
        result = result * 10 + (c - '0');
      } else {
        result += (c - '0') * scale;
        scale /= 10;
      }
    } else if ((c == '.' || c == ',') && scale == 0) {
      scale = 0.1;
    } else {
      return false;
    }
    if (result > kMaxPrice) return false;
  }
  if (!digits) return false;
  price = result;
  return true;
}

bool ParseMaxOpen(const std::string& text, std::int32_t& count) {
  const std::string value = Trimmed(text);
  if (value.empty()) {
    count = kDefaultMaxOpen;
    return true;
  }
  return ParseDigits(value, count);
}

std::string IdListText(const std::set<std::int32_t>& ids) {
  std::string text;
  for (std::int32_t id : ids) text += (text.empty() ? "" : ",") + std::to_string(id);
  return text;
}

std::string MinPriceText(double price) { return FormatText("%.2f", price); }

bool RulesMatch(const AutoAcceptRules& rules, const KestoOrder& offer) {
  if (!rules.Cities.empty() && rules.Cities.count(offer.CityIdFrom) == 0) return false;
  if (!rules.CarrierTypes.empty() && rules.CarrierTypes.count(offer.CarrierType) == 0) return false;
  if (rules.MinPrice > 0) {
    const double price = offer.Price;
    if (!std::isfinite(price) || Kopecks(price) < Kopecks(rules.MinPrice)) return false;
  }
  // A preliminary order is one whose time the lists show.
  const bool preliminary = !FormatTime(offer.PreliminaryTime).empty();
  if (rules.Preliminary == PreliminaryRule::Now && preliminary) return false;
  if (rules.Preliminary == PreliminaryRule::Later && !preliminary) return false;
  return true;
}

std::string ReadAutoAcceptFrom(AutoAcceptRules& rules, const std::string& path) {
  rules = AutoAcceptRules();
  if (path.empty()) return std::string();
  const auto value = [&](const char* key) { return Trimmed(platform::ReadProfileValue(kSection, key, path)); };
  std::string problem;
  const auto check = [&](bool ok, const char* key) {
    if (!ok && problem.empty()) problem = DamagedValueText(key, value(key));
  };
  check(ParseEnabled(value("Enabled"), rules.Enabled), "Enabled");
  check(ParseIdList(value("Cities"), rules.Cities), "Cities");
  check(ParseIdList(value("CarrierTypes"), rules.CarrierTypes), "CarrierTypes");
  check(ParseMinPrice(value("MinPrice"), rules.MinPrice), "MinPrice");
  check(ParsePreliminary(value("Preliminary"), rules.Preliminary), "Preliminary");
  check(ParseMaxOpen(value("MaxOpen"), rules.MaxOpen), "MaxOpen");
  if (!problem.empty()) rules.Enabled = false;
  return problem;
}

void WriteAutoAcceptTo(const AutoAcceptRules& rules, const std::string& path) {
  if (path.empty()) return;
  platform::WriteProfileValue(kSection, "Enabled", rules.Enabled ? "1" : "0", path);
  platform::WriteProfileValue(kSection, "Cities", IdListText(rules.Cities), path);
  platform::WriteProfileValue(kSection, "CarrierTypes", IdListText(rules.CarrierTypes), path);
  platform::WriteProfileValue(kSection, "MinPrice", MinPriceText(rules.MinPrice), path);
  platform::WriteProfileValue(kSection, "Preliminary", PreliminaryText(rules.Preliminary), path);
  platform::WriteProfileValue(kSection, "MaxOpen", std::to_string(rules.MaxOpen), path);
}

void AutoAccept::Load(const std::string& path, DeskUi& ui) {
  path_ = path;
  problem_ = ReadAutoAcceptFrom(rules_, path);
  if (!problem_.empty()) ui.WriteDebugLog(problem_);
}

void AutoAccept::Store() { WriteAutoAcceptTo(rules_, path_); }

void AutoAccept::SetRules(const AutoAcceptRules& rules) {
  rules_ = rules;
  problem_.clear();
  Store();
}

void AutoAccept::Switch(DeskDialog& window, DeskUi& ui) {
  const bool on = window.IsChecked(IDC_AUTO_ACCEPT);
  if (!problem_.empty()) {
    ui.WriteDebugLog(problem_);
  } else if (rules_.Enabled != on) {
    rules_.Enabled = on;
    Store();
  }
  ShowSwitch(window);
}

void AutoAccept::ShowSwitch(DeskDialog& window) {
  const bool directories = !Client.GetCityDirectory().empty();
  window.Enable(IDC_AUTO_ACCEPT, directories);
  window.Enable(IDC_AUTO_ACCEPT_RULES, directories);
  window.SetChecked(IDC_AUTO_ACCEPT, rules_.Enabled);
}

int AutoAccept::OpenOrders() const {
  int open = static_cast<int>(awaiting_.size());
  for (std::int32_t id : accepted_) {
    const auto mine = MyOrders.find(id);
    if (mine != MyOrders.end() && mine->second.CarDescription.empty()) ++open;
  }
  return open;
}

bool AutoAccept::Takes(const KestoOrder& offer) const {
  return rules_.Enabled && problem_.empty() && RulesMatch(rules_, offer) && OpenOrders() < rules_.MaxOpen;
}

AutoAcceptStep AutoAccept::Accept(const KestoOrder& offer, DeskUi& ui) {
  AutoAcceptStep step;
  step.acceptCommandId = Client.AcceptOrder(offer.OrderId);
  answers_[static_cast<std::uint32_t>(step.acceptCommandId)] = offer.OrderId;
  accepted_.insert(offer.OrderId);
  awaiting_.insert(offer.OrderId);
  const std::string route = Place(Client.GetCity(offer.CityIdFrom), offer.StreetFrom) + " — " +
                            Place(Client.GetCity(offer.CityIdTo), offer.StreetTo);
  step.note =
      FormatText("Автопринят заказ %d: %s, %.2f", offer.OrderId, route.c_str(), static_cast<double>(offer.Price));
  ui.WriteDebugLog(step.note);
  return step;
}

AutoAcceptStep AutoAccept::OnResponse(const KestoBrimo_AsyncResponce& response, DeskUi& ui) {
  const std::int32_t orderId = response.Order.OrderId;
  AutoAcceptStep step;
  switch (response.reason) {
    case KBRReason_NewOrder:
      // Only the first offer of an id counts, and only while the list can show it.
      if (seenOffers_.insert(orderId).second && NewList != nullptr && Takes(response.Order)) {
        step = Accept(response.Order, ui);
      }
      break;
    case KBRReason_NewOrderRemoved:
      seenOffers_.insert(orderId);
      break;
    case KBRReason_MyOrder:
      awaiting_.erase(orderId);
      break;
    default:
      break;
  }
  const auto answer = answers_.find(response.CommandId);
  if (response.CommandId == 0 || answer == answers_.end()) return step;
  const std::int32_t accepted = answer->second;
  answers_.erase(answer);
  const bool listNotification = response.reason >= KBRReason_NewOrder && response.reason <= KBRReason_MyOrderRemoved;
  if (response.OperationStatus != KBRStatus_Ok) {
    // Most often another service was faster: the order no longer counts.
    accepted_.erase(accepted);
    awaiting_.erase(accepted);
    ui.WriteDebugLog(FormatText("Автопринятие: заказ %d не принят: %s", accepted, response.ErrorString.c_str()));
  } else {
    ui.WriteDebugLog(FormatText("Автопринятие: заказ %d принят биржей", accepted));
  }
  step.answered = !listNotification;
  return step;
}
