// The demo's simulated services and the orders they make up.
#include "exchange/DemoTraffic.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

const char* const kStreets[] = {"ул. Тверская",       "Ленинский пр-т",     "ул. Арбат",
                                "Невский пр-т",       "ул. Баумана",        "ул. Большая Покровская",
                                "пр-т Мира",          "ул. Ленина",         "Красный пр-т",
                                "ул. Садовая",        "Кутузовский пр-т",   "ул. Профсоюзная"};
const char* const kComments[] = {"",
                                 "Клиент с ребёнком, нужно детское кресло",
                                 "Багаж: два чемодана",
                                 "Встретить у подъезда",
                                 "Оплата картой",
                                 "Не курить в салоне"};
constexpr std::size_t kMaxPooledPerActor = 6;

}  // namespace

DemoTraffic::DemoTraffic(Exchange& exchange, std::uint64_t seed) : exchange_(exchange), random_(seed) {
  for (const auto& entry : exchange_.Data().Services) {
    if (entry.second.Simulated) actors_.push_back(entry.first);
  }
  const auto& statuses = exchange_.Data().OrderStatuses;
  publishStatus_ = statuses.empty() ? 0 : statuses.begin()->first;
  for (const auto& entry : statuses) {
    if (entry.second == "На сервере обмена") publishStatus_ = entry.first;
  }
}

void DemoTraffic::Publish(std::int32_t serviceId, std::int64_t now) {
  const ExchangeData& data = exchange_.Data();
  const ServiceInfo& service = data.Services.at(serviceId);
  std::vector<std::int32_t> cities = service.Cities;
  if (cities.empty()) {
    for (const auto& entry : data.Cities) cities.push_back(entry.first);
  }
  std::vector<std::int32_t> carriers;
  for (const auto& entry : data.CarrierTypes) carriers.push_back(entry.first);

  ExchangeOrder o;
  o.CityIdFrom = cities[Pick(static_cast<int>(cities.size()))];
  o.CityIdTo = Pick(4) == 0 ? cities[Pick(static_cast<int>(cities.size()))] : o.CityIdFrom;
  o.StreetFrom = kStreets[Pick(sizeof kStreets / sizeof kStreets[0])];
  o.AdditionalFrom = "д. " + std::to_string(1 + Pick(120)) + ", под. " + std::to_string(1 + Pick(8));
  o.StreetTo = kStreets[Pick(sizeof kStreets / sizeof kStreets[0])];
  o.AdditionalTo = "д. " + std::to_string(1 + Pick(120));
  o.LatitudeFrom = 55.5 + Pick(1000) / 1000.0;
  o.LongitudeFrom = 37.3 + Pick(1000) / 1000.0;
  o.LatitudeTo = 55.5 + Pick(1000) / 1000.0;
  o.LongitudeTo = 37.3 + Pick(1000) / 1000.0;
  o.CarrierType = carriers[Pick(static_cast<int>(carriers.size()))];
  o.Price = 150 + 10 * Pick(136);
  char phone[32];
  std::snprintf(phone, sizeof phone, "+7 9%02d %03d-%02d-%02d", Pick(100), Pick(1000), Pick(100), Pick(100));
  o.ClientPhone = phone;
  o.Comment = kComments[Pick(sizeof kComments / sizeof kComments[0])];
  o.PreliminaryTime = Pick(3) == 0 ? now + 3600 * (1 + Pick(3)) : 0;
  o.Time0Km1Fixed2 = Pick(3);
  o.StatusId = publishStatus_;
  o.UniKey = Pick(1000000);
  const std::int32_t lifetimes[] = {0, 90, 180, 600};
  o.TimeToLiveSec = lifetimes[Pick(4)];
  exchange_.PublishAs(serviceId, o, now);
}

void DemoTraffic::Step(std::int64_t now) {
  if (actors_.empty()) return;
  const std::int32_t actor = actors_[Pick(static_cast<int>(actors_.size()))];
  std::vector<std::int32_t> pooled, expired, foreign;
  for (const auto& entry : exchange_.Orders()) {
    const ExchangeOrder& o = entry.second;
    if (o.Publisher == actor && o.Stage == OrderStage::InPool) pooled.push_back(o.OrderId);
    if (o.Publisher == actor && o.Stage == OrderStage::Expired) expired.push_back(o.OrderId);
    const bool realPublisher = !exchange_.Data().Services.count(o.Publisher) ||
                               !exchange_.Data().Services.at(o.Publisher).Simulated;
    if (realPublisher && o.Stage == OrderStage::InPool && now - o.WriteTime >= 20) foreign.push_back(o.OrderId);
  }
  // A simulated dispatcher clears away what nobody took.
  for (std::int32_t id : expired) exchange_.WithdrawAs(actor, id);

  if (!foreign.empty() && Pick(5) == 0) {
    exchange_.AcceptAs(actor, foreign[Pick(static_cast<int>(foreign.size()))], now);
    return;
  }
  const int roll = Pick(100);
  if (pooled.size() < 2 || (roll < 45 && pooled.size() < kMaxPooledPerActor)) {
    Publish(actor, now);
  } else if (roll < 80) {
    const std::int32_t id = pooled[Pick(static_cast<int>(pooled.size()))];
    const ExchangeOrder& o = exchange_.Orders().at(id);
    const double factor = Pick(2) == 0 ? 0.9 : 1.15;
    const double price = std::max(100.0, std::round(o.Price * factor / 10) * 10);
    exchange_.ChangeStatusAs(actor, id, o.StatusId, price, now);
  } else {
    exchange_.WithdrawAs(actor, pooled.front());
  }
}
