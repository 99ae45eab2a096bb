// Fuzz entries for received JSON. ParseBlock queues at most one record for a block it accepts and none, with its error
// text, for one it refuses. A directory message that reads holds no more entries than its objects have members.
#include <string>

#include "client/KestoBrimoClientAsync.h"
#include "fuzz/entries/FuzzEntries.h"
#include "protocol/Directories.h"
#include "protocol/JsonRead.h"
#include "tests/support/ClientTestAccess.h"

void FuzzParseBlock(const std::uint8_t* data, std::size_t size) {
  static KestoBrimoClientAsync client;
  KestoBrimoClientTestAccess::LastError(client).clear();
  const KBRStatus status = client.ParseBlock(std::string(reinterpret_cast<const char*>(data), size));
  int records = 0;
  KestoBrimo_AsyncResponce record;
  while (client.GetClientResponce(record)) ++records;
  if (status == KBRStatus_Ok) return FuzzCheck(records <= 1, "an accepted block queued more than one record");
  FuzzCheck(status == KBRStatus_ParseError && records == 0 &&
                KestoBrimoClientTestAccess::LastError(client) == "JSON parsing not success",
            "a refused block gave a status other than ParseError, queued a record or left no error text");
}

void FuzzDirectories(const std::uint8_t* data, std::size_t size) {
  Json::Value message;
  KestoDirectories read;
  if (!ParseJsonText(std::string(reinterpret_cast<const char*>(data), size), message) ||
      !ReadDirectories(message, read))
    return;
  const auto members = [&message](const char* name) -> std::size_t {
    const Json::Value* member = FindJsonMember(message, name);
    return member != nullptr && member->isObject() ? member->size() : 0;
  };
  FuzzCheck(read.CarrierTypeDirectory.size() <= members("CarrierTypeDirectory") &&
                read.OrderStatusDirectory.size() <= members("OrderStatusDirectory") &&
                read.CityDirectory.size() <= members("CityDirectory") &&
                read.TaxiDirectory.size() <= members("ClientDbDirectory"),
            "a directory holds more entries than its message has members");
}
