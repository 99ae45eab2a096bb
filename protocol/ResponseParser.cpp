// Reading a received block: the envelope every message carries, then the
// payload its "reason" names.
#include "protocol/ResponseParser.h"

#include <utility>

#include "protocol/JsonRead.h"
#include "protocol/KBRCodes.h"
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

bool ReadPayload(const Json::Value& message, KestoParsedBlock& parsed) {
  KestoBrimo_AsyncResponce& record = parsed.Record;
  if (record.reason == KBRReason_Directories) {
    parsed.HasDirectories = true;
    return ReadDirectories(message, parsed.Directories);
  }
  if (ReasonCarriesOrder(record.reason)) {
    KestoOrder order;
    if (!ReadOrderPayload(message, record.reason, order)) return false;
    record.Order = std::move(order);
  } else if (record.reason == KBRReason_Tariff) {
    KestoTariffStruct tariff;
    if (!ReadTariffPayload(message, tariff)) return false;
    record.Tariff = std::move(tariff);
  }
  return true;
}

}  // namespace

KestoParsedBlock ParseResponseBlock(const std::string& block) {
  KestoParsedBlock parsed;
  Json::Value message;
  if (!ParseJsonText(block, message) || !message.isObject() || !ReadEnvelope(message, parsed.Record) ||
      !ReadPayload(message, parsed)) {
    return KestoParsedBlock();
  }
  const KestoBrimo_AsyncResponce& record = parsed.Record;
  parsed.IsLoginAnswer =
      record.reason == KBRReason_Directories && record.CommandId == 0 && record.OperationStatus == KBRStatus_Ok;
  parsed.Status = KBRStatus_Ok;
  return parsed;
}
