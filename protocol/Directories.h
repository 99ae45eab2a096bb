// Reading the four directories of a directory message (kind 2) into fresh maps,
// which the client then swaps in under its lock.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include <json/value.h>

#include "protocol/KestoRecords.h"

struct KestoDirectories {
  std::map<std::int32_t, std::string> CarrierTypeDirectory;
  std::map<std::int32_t, std::string> OrderStatusDirectory;
  std::map<std::int32_t, std::string> CityDirectory;
  std::map<std::int32_t, KestoDirectoryItem> TaxiDirectory;
};

// Fills `out` from the message. False on a conversion error: a directory that
// is absent or neither an object nor null, a value of the wrong type, an id
// beyond 32 bits. `out` is then unusable.
bool ReadDirectories(const Json::Value& message, KestoDirectories& out);
