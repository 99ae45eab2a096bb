// Building the exchange's outgoing messages.
#include "exchange/Messages.h"

#include "protocol/KBRCodes.h"

Json::Value Envelope(std::int32_t reason, const AnswerTo& to, std::int32_t status, std::int32_t num,
                     const std::string& errorString) {
  Json::Value m(Json::objectValue);
  m["reason"] = reason;
  m["CommandId"] = Json::UInt(to.CommandId);
  m["CommandCode"] = to.CommandCode;
  m["Num"] = num;
  m["ErrorString"] = errorString;
  m["OperationStatus"] = status;
  return m;
}

Json::Value AuthenticationMessage(const std::string& rndStr) {
  Json::Value m(Json::objectValue);
  m["reason"] = KBRReason_Authentication;
  m["RndStr"] = rndStr;
  return m;
}

Json::Value OrderMessage(std::int32_t reason, const AnswerTo& to, const ExchangeOrder& o, std::int32_t viewer) {
  Json::Value m = Envelope(reason, to, 0, o.OrderId, "");
  m["UniKey"] = viewer == o.Publisher ? o.UniKey : 0;
  m["BrimoOrderState"] = o.StateFor(viewer);
  m["CityIdFrom"] = o.CityIdFrom;
  m["CityIdTo"] = o.CityIdTo;
  m["StreetFrom"] = o.StreetFrom;
  m["AdditionalFrom"] = o.AdditionalFrom;
  m["LatitudeFrom"] = o.LatitudeFrom;
  m["LongitudeFrom"] = o.LongitudeFrom;
  m["StreetTo"] = o.StreetTo;
  m["AdditionalTo"] = o.AdditionalTo;
  m["LatitudeTo"] = o.LatitudeTo;
  m["LongitudeTo"] = o.LongitudeTo;
  m["CarrierType"] = o.CarrierType;
  m["Price"] = o.Price;
  m["ClientPhone"] = o.ClientPhone;
  m["PhoneId"] = o.PhoneId;
  m["Comment"] = o.Comment;
  m["CarDescription"] = o.CarDescription;
  m["CarGovNumber"] = o.CarGovNumber;
  m["CarCallNumber"] = o.CarCallNumber;
  m["PreliminaryTime"] = WireTime(o.PreliminaryTime);
  m["Time0Km1Fixed2"] = o.Time0Km1Fixed2;
  m["StatusId"] = o.StatusId;
  m["OrderId"] = o.OrderId;
  m["WriteTime"] = WireTime(o.WriteTime);
  m["Publisher"] = o.Publisher;
  m["Acceptor"] = o.Acceptor;
  m["ServiceComission"] = o.ServiceComission;
  m["PublisherComission"] = o.PublisherComission;
  m["AcceptTime"] = WireTime(o.AcceptTime);
  m["TimeToLiveSec"] = o.TimeToLiveSec;
  m["ToCarMin"] = o.ToCarMin;
  m["SetCarInfoTime"] = WireTime(o.SetCarInfoTime);
  return m;
}

Json::Value RemovalMessage(std::int32_t reason, const AnswerTo& to, std::int32_t orderId) {
  Json::Value m = Envelope(reason, to, 0, orderId, "");
  m["OrderId"] = orderId;
  return m;
}

Json::Value TariffMessage(const AnswerTo& to, const Tariff& t, std::int32_t publisher, std::int32_t acceptor,
                          std::int32_t cityId) {
  Json::Value m = Envelope(KBRReason_Tariff, to, 0, 0, "");
  m["Publisher"] = publisher;
  m["Acceptor"] = acceptor;
  m["CityId"] = cityId;
  m["TariffId"] = t.TariffId;
  m["ServicePercent"] = t.ServicePercent;
  m["ServiceFixed"] = t.ServiceFixed;
  m["PublisherPercent"] = t.PublisherPercent;
  m["PublisherFixed"] = t.PublisherFixed;
  m["ServiceReturnForeit"] = t.ServiceReturnForeit;
  m["PublisherReturnForeit"] = t.PublisherReturnForeit;
  m["MinOrderPrice"] = t.MinOrderPrice;
  return m;
}

namespace {

Json::Value NameDirectory(const std::map<std::int32_t, std::string>& names) {
  Json::Value dir(Json::objectValue);
  for (const auto& entry : names) dir[std::to_string(entry.first)] = entry.second;
  return dir;
}

}  // namespace

Json::Value DirectoriesMessage(const AnswerTo& to, const ExchangeData& data, std::int32_t num) {
  Json::Value m = Envelope(KBRReason_Directories, to, 0, num, "");
  m["CarrierTypeDirectory"] = NameDirectory(data.CarrierTypes);
  m["OrderStatusDirectory"] = NameDirectory(data.OrderStatuses);
  m["CityDirectory"] = NameDirectory(data.Cities);
  Json::Value services(Json::objectValue);
  for (const auto& entry : data.Services) {
    const ServiceInfo& s = entry.second;
    Json::Value item(Json::objectValue);
    item["ClientId"] = s.Id;
    item["FullName"] = s.FullName;
    item["ShortName"] = s.ShortName;
    item["LeaderName"] = s.LeaderName;
    item["Comment"] = s.Comment;
    item["TimeZone"] = s.TimeZone;
    Json::Value cities(Json::objectValue);
    for (std::int32_t city : s.Cities) cities[std::to_string(city)] = 1;
    item["CityIdList"] = cities;
    services[std::to_string(s.Id)] = item;
  }
  m["ClientDbDirectory"] = services;
  return m;
}
