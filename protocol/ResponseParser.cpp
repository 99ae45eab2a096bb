// ParseBlock: one received block (UTF-8, as cut from the wire) becomes at most
// one queued response record. Any block that cannot be read whole, whether it
// is not JSON or a member does not convert, is refused the same way and
// changes nothing, so the worker drops the connection.
#include <mutex>
#include <utility>

#include "client/DebugLog.h"
#include "client/KestoBrimoClientAsync.h"
#include "protocol/Directories.h"
#include "protocol/JsonRead.h"
#include "protocol/OrderMessages.h"

namespace {

// The members every message carries. "UniKey" alone may be missing or unusable.
bool ReadEnvelope(const Json::Value& message, KestoBrimo_AsyncResponce& record) {
  JsonMemberReader reader(message);
  reader.Int32("reason", record.reason);
  reader.UInt32("CommandId", record.CommandId);
  reader.Int32("CommandCode", record.CommandCode);
  reader.Int32("Num", record.Num);
  reader.Text("ErrorString", record.ErrorString);
  reader.Int32("OperationStatus", record.OperationStatus);
  if (!reader.Ok()) return false;
  std::int32_t uniKey = 0;
  const Json::Value* member = FindJsonMember(message, "UniKey");
  if (member != nullptr && JsonToInt32(*member, uniKey)) record.Order.UniKey = uniKey;
  return true;
}

}  // namespace

KBRStatus KestoBrimoClientAsync::ParseBlock(const std::string& block) {
  Json::Value message;
  KestoBrimo_AsyncResponce record;
  KestoDirectories directories;
  bool readable = ParseJsonText(block, message) && message.isObject() && ReadEnvelope(message, record);
  if (readable) {
    if (record.reason == KBRReason_Directories) {
      readable = ReadDirectories(message, directories);
    } else if (ReasonCarriesOrder(record.reason)) {
      KestoOrder order;
      readable = ReadOrderPayload(message, record.reason, order);
      if (readable) record.Order = std::move(order);
    } else if (record.reason == KBRReason_Tariff) {
      KestoTariffStruct tariff;
      readable = ReadTariffPayload(message, tariff);
      if (readable) record.Tariff = std::move(tariff);
    }
  }
  if (!readable) {
    PrintToDebugLog("~JSON parsing not success");
    LastError = "JSON parsing not success";
    return KBRStatus_ParseError;
  }
  // Queued or absorbed, a block with a request's "CommandId" is that request's answer.
  AnswerArrived(record.CommandId);

  if (record.reason == KBRReason_Directories) {
    // One short hold; the old maps are released after it, outside the lock.
    std::lock_guard<platform::Mutex> hold(Lock);
    CarrierTypeDirectory.swap(directories.CarrierTypeDirectory);
    OrderStatusDirectory.swap(directories.OrderStatusDirectory);
    CityDirectory.swap(directories.CityDirectory);
    TaxiDirectory.swap(directories.TaxiDirectory);
  }
  if (record.OperationStatus == KBRStatus_Ok) Authorized.store(true);
  // The successful answer to the login request has done its work above.
  const bool loginAnswer =
      record.reason == KBRReason_Directories && record.CommandId == 0 && record.OperationStatus == KBRStatus_Ok;
  if (!loginAnswer) QueueResponse(std::move(record));
  return KBRStatus_Ok;
}
