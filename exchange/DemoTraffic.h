// Simulated services for the demo: each step one of them publishes, re-prices
// or withdraws an order, and now and then one accepts an order that a real
// service published, so an open desk shows live traffic.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

#include "exchange/Exchange.h"

class DemoTraffic {
 public:
  // Acts for the services marked simulated in the data, or for none.
  DemoTraffic(Exchange& exchange, std::uint64_t seed);

  bool HasActors() const { return !actors_.empty(); }
  void Step(std::int64_t now);

 private:
  void Publish(std::int32_t serviceId, std::int64_t now);
  int Pick(int count) { return std::uniform_int_distribution<int>(0, count - 1)(random_); }

  Exchange& exchange_;
  std::mt19937_64 random_;
  std::vector<std::int32_t> actors_;
  std::int32_t publishStatus_ = 0;
};
