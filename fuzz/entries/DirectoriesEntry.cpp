// Fuzz entry: the JSON reader and the directory reader on any text. A
// directory that reads holds no more entries than its object has members.
#include <string>

#include "fuzz/entries/FuzzEntries.h"
#include "protocol/Directories.h"
#include "protocol/JsonRead.h"

namespace {

std::size_t MemberCount(const Json::Value& message, const char* name) {
  const Json::Value* member = FindJsonMember(message, name);
  return member != nullptr && member->isObject() ? member->size() : 0;
}

}  // namespace

void FuzzDirectories(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  Json::Value message;
  if (!ParseJsonText(text, message)) return;
  KestoDirectories directories;
  if (!ReadDirectories(message, directories)) return;
  FuzzCheck(directories.CarrierTypeDirectory.size() <= MemberCount(message, "CarrierTypeDirectory") &&
                directories.OrderStatusDirectory.size() <= MemberCount(message, "OrderStatusDirectory") &&
                directories.CityDirectory.size() <= MemberCount(message, "CityDirectory") &&
                directories.TaxiDirectory.size() <= MemberCount(message, "ClientDbDirectory"),
            "a directory holds more entries than its message has members");
}
