// The payloads of the order messages (kinds 3, 4, 5, 6, 10, 11) and of the
// tariff message (kind 9), read from the top level of the message object.
#pragma once

#include <json/value.h>

#include <cstdint>

#include "protocol/KestoRecords.h"

// Reads the order members that `reason` carries into `order`, which the caller
// passes freshly constructed: the members a kind does not carry keep their
// constructed values. False on a conversion error.
bool ReadOrderPayload(const Json::Value& message, std::int32_t reason, KestoOrder& order);

// Reads the eleven tariff members. False on a conversion error.
bool ReadTariffPayload(const Json::Value& message, KestoTariffStruct& tariff);
