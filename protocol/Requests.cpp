// Building the request objects: the envelope from the command table, then
// each command's own members.
#include "protocol/Requests.h"

#include <initializer_list>
#include <utility>

#include "protocol/Md5.h"
#include "protocol/RequestJson.h"

namespace {

KestoRequestJson Envelope(KBRCommand code, std::int32_t commandId) {
  KestoRequestJson request;
  request.SetText("CommandStr", KBRCommandName(code));
  request.SetInteger("CommandCode", code);
  request.SetInteger("CommandId", commandId);
  return request;
}

KestoRequestJson OrderIdRequest(KBRCommand code, std::int32_t commandId, std::int32_t orderId) {
  KestoRequestJson request = Envelope(code, commandId);
  request.SetInteger("OrderId", orderId);
  return request;
}

// The envelope and whole-number members, each given by its name.
std::string IntegersRequestText(KBRCommand code, std::int32_t commandId,
                                std::initializer_list<std::pair<const char*, std::int64_t>> members) {
  KestoRequestJson request = Envelope(code, commandId);
  for (const auto& member : members) request.SetInteger(member.first, member.second);
  return request.Serialize();
}

}  // namespace

std::string LoginRequestText(const std::string& login, const std::string& rndStr, const std::string& password) {
  KestoRequestJson request = Envelope(KBRCommand_GetDirectory, 0);
  request.SetText("Login", login);
  request.SetText("PassHash", PassHash(rndStr, password));
  return request.Serialize();
}

std::string PlainRequestText(KBRCommand code, std::int32_t commandId) { return Envelope(code, commandId).Serialize(); }

std::string OrderIdRequestText(KBRCommand code, std::int32_t commandId, std::int32_t orderId) {
  return OrderIdRequest(code, commandId, orderId).Serialize();
}

std::string InsertOrderRequestText(std::int32_t commandId, const KestoOrder& order) {
  KestoRequestJson request = Envelope(KBRCommand_InsertOrder, commandId);
  request.SetInteger("CityIdFrom", order.CityIdFrom);
  request.SetText("StreetFrom", order.StreetFrom);
  request.SetText("AdditionalFrom", order.AdditionalFrom);
  request.SetReal("LatitudeFrom", order.LatitudeFrom);
  request.SetReal("LongitudeFrom", order.LongitudeFrom);
  request.SetInteger("CityIdTo", order.CityIdTo);
  request.SetText("StreetTo", order.StreetTo);
  request.SetText("AdditionalTo", order.AdditionalTo);
  request.SetReal("LatitudeTo", order.LatitudeTo);
  request.SetReal("LongitudeTo", order.LongitudeTo);
  request.SetInteger("CarrierType", order.CarrierType);
  request.SetReal("Price", order.Price);
  request.SetInteger("UniKey", order.UniKey);
  request.SetText("ClientPhone", order.ClientPhone);
  request.SetInteger("StatusId", order.StatusId);
  request.SetInteger("PreliminaryTime", WireTime(order.PreliminaryTime));
  request.SetInteger("Time0Km1Fixed2", order.Time0Km1Fixed2);
  request.SetText("Comment", order.Comment);
  request.SetInteger("TimeToLiveSec", order.TimeToLiveSec);
  return request.Serialize();
}

std::string SetOrderStatusRequestText(std::int32_t commandId, std::int32_t orderId, std::int32_t statusId,
                                      float price) {
  KestoRequestJson request = OrderIdRequest(KBRCommand_SetOrderStatus, commandId, orderId);
  request.SetInteger("StatusId", statusId);
  request.SetReal("Price", price);
  return request.Serialize();
}

std::string AddCarDescriptionRequestText(std::int32_t commandId, std::int32_t orderId,
                                         const std::string& fullDescription, const std::string& govNumber,
                                         std::int32_t callNumber, std::int32_t toCarMin) {
  KestoRequestJson request = OrderIdRequest(KBRCommand_AddCarDescription, commandId, orderId);
  request.SetText("FullDescription", fullDescription);
  request.SetText("GovNumber", govNumber);
  request.SetInteger("CallNumber", callNumber);
  request.SetInteger("ToCarMin", toCarMin);
  return request.Serialize();
}

std::string GetTariffRequestText(std::int32_t commandId, std::int32_t publisher, std::int32_t acceptor,
                                 std::int32_t cityId) {
  return IntegersRequestText(KBRCommand_GetTariffByPubisherAndAcceptor, commandId,
                             {{"Publisher", publisher}, {"Acceptor", acceptor}, {"CityId", cityId}});
}

std::string SetOrderNotifyModeRequestText(std::int32_t commandId, std::int32_t mode, std::int64_t beginTime,
                                          std::int64_t endTime) {
  return IntegersRequestText(KBRCommand_SetOrderNotifyMode, commandId,
                             {{"Mode", mode}, {"BeginTime", WireTime(beginTime)}, {"EndTime", WireTime(endTime)}});
}
