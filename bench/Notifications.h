// Realistic exchange traffic for the benchmarks, built with the demo
// exchange's own message code: orders with Russian addresses and comments,
// as UTF-8 JSON blocks without their terminator.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "exchange/ExchangeData.h"

// The demo exchange's data file (directories, accounts, tariffs).
ExchangeData LoadDemoData();

// `count` new-order notifications (kind 3) with distinct order ids from `firstOrderId`.
std::vector<std::string> NewOrderNotifications(int count, std::int32_t firstOrderId, std::uint32_t seed);

// A busy exchange's stream: 70% new orders (kind 3), 20% their removals
// (kind 4), 10% updates of the service's own orders (kind 5).
std::vector<std::string> NotificationMix(int count, std::uint32_t seed);

// The directory message (kind 2) of the demo data, answering `commandId`.
std::string DirectoriesText(const ExchangeData& data, std::uint32_t commandId);

// The first block of a connection, and a plain answer (kind 7) to `commandId`.
std::string AuthenticationText(const std::string& rndStr);
std::string PlainAnswerText(std::uint32_t commandId, std::int32_t commandCode, const std::string& text);
