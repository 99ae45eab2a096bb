// The exchange's state between runs: the order book, the next order id and
// the balances, written as JSON text when it stops and read back at its next start.
#include "exchange/Exchange.h"

namespace {

// Every member of a kept order, by type, under the name it is saved as.
template <typename T>
struct OrderMember {
  const char* Name;
  T ExchangeOrder::*Field;
};

const OrderMember<std::int32_t> kIntMembers[] = {
    {"OrderId", &ExchangeOrder::OrderId},
    {"UniKey", &ExchangeOrder::UniKey},
    {"CityIdFrom", &ExchangeOrder::CityIdFrom},
    {"CityIdTo", &ExchangeOrder::CityIdTo},
    {"CarrierType", &ExchangeOrder::CarrierType},
    {"PhoneId", &ExchangeOrder::PhoneId},
    {"CarCallNumber", &ExchangeOrder::CarCallNumber},
    {"Time0Km1Fixed2", &ExchangeOrder::Time0Km1Fixed2},
    {"StatusId", &ExchangeOrder::StatusId},
    {"Publisher", &ExchangeOrder::Publisher},
    {"Acceptor", &ExchangeOrder::Acceptor},
    {"TimeToLiveSec", &ExchangeOrder::TimeToLiveSec},
    {"ToCarMin", &ExchangeOrder::ToCarMin},
};
const OrderMember<std::int64_t> kTimeMembers[] = {
    {"PreliminaryTime", &ExchangeOrder::PreliminaryTime},
    {"WriteTime", &ExchangeOrder::WriteTime},
    {"AcceptTime", &ExchangeOrder::AcceptTime},
    {"SetCarInfoTime", &ExchangeOrder::SetCarInfoTime},
    {"ExpiresAt", &ExchangeOrder::ExpiresAt},
};
const OrderMember<double> kNumberMembers[] = {
    {"LatitudeFrom", &ExchangeOrder::LatitudeFrom},
    {"LongitudeFrom", &ExchangeOrder::LongitudeFrom},
    {"LatitudeTo", &ExchangeOrder::LatitudeTo},
    {"LongitudeTo", &ExchangeOrder::LongitudeTo},
    {"Price", &ExchangeOrder::Price},
    {"ServiceComission", &ExchangeOrder::ServiceComission},
    {"PublisherComission", &ExchangeOrder::PublisherComission},
};
const OrderMember<std::string> kTextMembers[] = {
    {"StreetFrom", &ExchangeOrder::StreetFrom},
    {"AdditionalFrom", &ExchangeOrder::AdditionalFrom},
    {"StreetTo", &ExchangeOrder::StreetTo},
    {"AdditionalTo", &ExchangeOrder::AdditionalTo},
    {"ClientPhone", &ExchangeOrder::ClientPhone},
    {"Comment", &ExchangeOrder::Comment},
    {"CarDescription", &ExchangeOrder::CarDescription},
    {"CarGovNumber", &ExchangeOrder::CarGovNumber},
};

Json::Value SavedOrder(const ExchangeOrder& order) {
  Json::Value saved(Json::objectValue);
  for (const auto& m : kIntMembers) saved[m.Name] = order.*m.Field;
  for (const auto& m : kTimeMembers) saved[m.Name] = Json::Int64(order.*m.Field);
  for (const auto& m : kNumberMembers) saved[m.Name] = order.*m.Field;
  for (const auto& m : kTextMembers) saved[m.Name] = order.*m.Field;
  saved["Stage"] = static_cast<int>(order.Stage);
  saved["Returned"] = order.Returned;
  return saved;
}

// False with the first unreadable member's name in `error`.
bool ReadSavedOrder(const Json::Value& saved, ExchangeOrder& order, std::string& error) {
  if (!saved.isObject()) {
    error = "not an object";
    return false;
  }
  RequestFields fields(saved);
  bool ok = true;
  for (const auto& m : kIntMembers) ok = ok && fields.Int(m.Name, order.*m.Field);
  for (const auto& m : kTimeMembers) ok = ok && fields.Int64(m.Name, order.*m.Field);
  for (const auto& m : kNumberMembers) ok = ok && fields.Number(m.Name, order.*m.Field);
  for (const auto& m : kTextMembers) ok = ok && fields.Text(m.Name, order.*m.Field, kMaxTextBytes);
  std::int32_t stage = 0;
  ok = ok && fields.Int("Stage", stage);
  const Json::Value* returned = saved.find("Returned", "Returned" + 8);
  if (!ok || stage < 0 || stage > static_cast<int>(OrderStage::Expired) || !returned || !returned->isBool()) {
    error = "member " +
            (fields.FirstBadMember().empty() ? std::string(ok ? "Returned" : "Stage") : fields.FirstBadMember());
    return false;
  }
  order.Stage = static_cast<OrderStage>(stage);
  order.Returned = returned->asBool();
  if (order.OrderId <= 0) {
    error = "member OrderId";
    return false;
  }
  return true;
}

}  // namespace

std::string Exchange::StateText() const {
  Json::Value state(Json::objectValue);
  state["NextOrderId"] = nextOrderId_;
  Json::Value& orders = state["Orders"] = Json::Value(Json::arrayValue);
  for (const auto& entry : orders_) orders.append(SavedOrder(entry.second));
  Json::Value& balances = state["Balances"] = Json::Value(Json::objectValue);
  for (const auto& entry : balances_) balances[std::to_string(entry.first)] = entry.second;
  return JsonText(state);
}

bool Exchange::LoadState(const std::string& text, std::int64_t now, std::string& error) {
  Json::Value state;
  if (!ParseJsonText(text, state) || !state.isObject()) {
    error = "not a JSON object";
    return false;
  }
  RequestFields top(state);
  std::int32_t nextOrderId = 0;
  const Json::Value* list = state.find("Orders", "Orders" + 6);
  const Json::Value* savedBalances = state.find("Balances", "Balances" + 8);
  if (!top.Int("NextOrderId", nextOrderId) || nextOrderId <= 0 || !list || !list->isArray() ||
      list->size() > kMaxOrders || !savedBalances || !savedBalances->isObject()) {
    error = "needs \"NextOrderId\" (a positive number), \"Orders\" (at most " + std::to_string(kMaxOrders) +
            ") and \"Balances\"";
    return false;
  }
  std::map<std::int32_t, ExchangeOrder> orders;
  for (Json::ArrayIndex i = 0; i < list->size(); ++i) {
    ExchangeOrder order;
    if (!ReadSavedOrder((*list)[i], order, error) || !orders.emplace(order.OrderId, order).second) {
      error = "order " + std::to_string(i) + ": " + (error.empty() ? "its id is used twice" : error);
      return false;
    }
    error.clear();
  }
  std::map<std::int32_t, double> balances = balances_;
  RequestFields balanceFields(*savedBalances);
  for (auto& entry : balances) {
    const std::string id = std::to_string(entry.first);
    if (balanceFields.Has(id.c_str()) && !balanceFields.Number(id.c_str(), entry.second)) {
      error = "balance of service " + id;
      return false;
    }
  }
  orders_.swap(orders);
  balances_.swap(balances);
  nextOrderId_ = nextOrderId;
  ExpireOrders(now);
  return true;
}
