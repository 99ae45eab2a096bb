// The JSON messages the exchange sends: the envelope every message carries,
// and the payloads of order, removal, tariff and directory messages.
#pragma once

#include <json/json.h>

#include <cstdint>
#include <string>

#include "exchange/ExchangeData.h"
#include "exchange/ExchangeOrder.h"
#include "protocol/KestoRecords.h"  // WireTime

// Kind of the plain answer that carries only a status, a text and a number;
// the desk shows it in a status box.
constexpr std::int32_t kReasonPlainAnswer = 7;

// Who a message answers: the request's "CommandId" and "CommandCode", both 0
// for a notification nobody asked for.
struct AnswerTo {
  std::uint32_t CommandId = 0;
  std::int32_t CommandCode = 0;
};

Json::Value Envelope(std::int32_t reason, const AnswerTo& to, std::int32_t status, std::int32_t num,
                     const std::string& errorString);

// The authentication block that opens every connection.
Json::Value AuthenticationMessage(const std::string& rndStr);

// Kinds 3, 5, 10 and 11: every order member, with the state that `viewer`
// sees. The publisher's own key is shown to the publisher alone.
Json::Value OrderMessage(std::int32_t reason, const AnswerTo& to, const ExchangeOrder& order, std::int32_t viewer);

// Kinds 4 and 6.
Json::Value RemovalMessage(std::int32_t reason, const AnswerTo& to, std::int32_t orderId);

// Kind 9 for the three keys asked about.
Json::Value TariffMessage(const AnswerTo& to, const Tariff& tariff, std::int32_t publisher, std::int32_t acceptor,
                          std::int32_t cityId);

// Kind 2: the four directories, ids as member names.
Json::Value DirectoriesMessage(const AnswerTo& to, const ExchangeData& data, std::int32_t num);
