// The directory message: ids travel as member names, visited in byte order
// of the names; a later name with the same number replaces the earlier entry.
#include "protocol/Directories.h"

#include "protocol/JsonRead.h"

namespace {

// A directory member must be an object or null (an empty directory).
const Json::Value* DirectoryMember(const Json::Value& holder, const char* name) {
  const Json::Value* member = FindJsonMember(holder, name);
  if (member == nullptr || !(member->isObject() || member->isNull())) return nullptr;
  return member;
}

bool ReadTextDirectory(const Json::Value& message, const char* name, std::map<std::int32_t, std::string>& out) {
  const Json::Value* directory = DirectoryMember(message, name);
  if (directory == nullptr) return false;
  if (directory->isNull()) return true;
  for (auto it = directory->begin(); it != directory->end(); ++it) {
    std::int32_t id;
    std::string text;
    if (!IdFromMemberName(it.name(), id) || !JsonToText(*it, text)) return false;
    out[id] = std::move(text);
  }
  return true;
}

bool ReadService(const Json::Value& service, KestoDirectoryItem& item) {
  JsonMemberReader reader(service);
  reader.Int32("ClientId", item.ClientId);
  reader.Text("FullName", item.FullName);
  reader.Text("ShortName", item.ShortName);
  reader.Text("LeaderName", item.LeaderName);
  reader.Text("Comment", item.Comment);
  reader.Int32("TimeZone", item.TimeZone);
  if (!reader.Ok()) return false;
  const Json::Value* cities = DirectoryMember(service, "CityIdList");
  if (cities == nullptr) return false;
  if (cities->isNull()) return true;
  for (auto it = cities->begin(); it != cities->end(); ++it) {
    std::int32_t cityId;
    if (!IdFromMemberName(it.name(), cityId)) return false;
    item.CityIdList.push_back(cityId);
  }
  return true;
}

bool ReadTaxiDirectory(const Json::Value& message, std::map<std::int32_t, KestoDirectoryItem>& out) {
  const Json::Value* directory = DirectoryMember(message, "ClientDbDirectory");
  if (directory == nullptr) return false;
  if (directory->isNull()) return true;
  for (auto it = directory->begin(); it != directory->end(); ++it) {
    std::int32_t id;
    if (!IdFromMemberName(it.name(), id) || !it->isObject()) return false;
    KestoDirectoryItem item;
    if (!ReadService(*it, item)) return false;
    out[id] = std::move(item);
  }
  return true;
}

}  // namespace

bool ReadDirectories(const Json::Value& message, KestoDirectories& out) {
  return ReadTextDirectory(message, "CarrierTypeDirectory", out.CarrierTypeDirectory) &&
         ReadTextDirectory(message, "OrderStatusDirectory", out.OrderStatusDirectory) &&
         ReadTextDirectory(message, "CityDirectory", out.CityDirectory) && ReadTaxiDirectory(message, out.TaxiDirectory);
}
