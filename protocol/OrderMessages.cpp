// Which members each order kind carries, and the tariff's members.
#include "protocol/OrderMessages.h"

#include "protocol/JsonRead.h"
#include "protocol/KBRCodes.h"

namespace {

// New and own orders (3, 5) and full information (10, which reads "UniKey" first).
void ReadFullOrder(JsonMemberReader& r, KestoOrder& o, bool withUniKey) {
  if (withUniKey) r.Int32("UniKey", o.UniKey);
  r.Int32("BrimoOrderState", o.BrimoOrderState);
  r.Int32("CityIdFrom", o.CityIdFrom);
  r.Int32("CityIdTo", o.CityIdTo);
  r.Text("StreetFrom", o.StreetFrom);
  r.Text("AdditionalFrom", o.AdditionalFrom);
  r.Float("LatitudeFrom", o.LatitudeFrom);
  r.Float("LongitudeFrom", o.LongitudeFrom);
  r.Text("StreetTo", o.StreetTo);
  r.Text("AdditionalTo", o.AdditionalTo);
  r.Float("LatitudeTo", o.LatitudeTo);
  r.Float("LongitudeTo", o.LongitudeTo);
  r.Int32("CarrierType", o.CarrierType);
  r.Float("Price", o.Price);
  r.Text("ClientPhone", o.ClientPhone);
  r.Int32("PhoneId", o.PhoneId);
  r.Text("Comment", o.Comment);
  r.Text("CarDescription", o.CarDescription);
  r.Text("CarGovNumber", o.CarGovNumber);
  r.Int32("CarCallNumber", o.CarCallNumber);
  r.Time("PreliminaryTime", o.PreliminaryTime);
  r.Int32("Time0Km1Fixed2", o.Time0Km1Fixed2);
  r.Int32("StatusId", o.StatusId);
  r.Int32("OrderId", o.OrderId);
  r.Time("WriteTime", o.WriteTime);
  r.Int32("Publisher", o.Publisher);
  r.Int32("Acceptor", o.Acceptor);
  r.Float("ServiceComission", o.ServiceComission);
  r.Float("PublisherComission", o.PublisherComission);
  r.Time("AcceptTime", o.AcceptTime);
  r.Int32("TimeToLiveSec", o.TimeToLiveSec);
  r.Int32("ToCarMin", o.ToCarMin);
  r.Time("SetCarInfoTime", o.SetCarInfoTime);
}

// Partial information (11): state, price, car and acceptance.
void ReadPartialOrder(JsonMemberReader& r, KestoOrder& o) {
  r.Int32("BrimoOrderState", o.BrimoOrderState);
  r.Float("Price", o.Price);
  r.Text("ClientPhone", o.ClientPhone);
  r.Int32("PhoneId", o.PhoneId);
  r.Text("CarDescription", o.CarDescription);
  r.Text("CarGovNumber", o.CarGovNumber);
  r.Int32("CarCallNumber", o.CarCallNumber);
  r.Int32("StatusId", o.StatusId);
  r.Int32("OrderId", o.OrderId);
  r.Int32("Acceptor", o.Acceptor);
  r.Time("AcceptTime", o.AcceptTime);
  r.Float("ServiceComission", o.ServiceComission);
  r.Float("PublisherComission", o.PublisherComission);
  r.Int32("ToCarMin", o.ToCarMin);
  r.Time("SetCarInfoTime", o.SetCarInfoTime);
}

}  // namespace

bool ReadOrderPayload(const Json::Value& message, std::int32_t reason, KestoOrder& order) {
  JsonMemberReader reader(message);
  switch (reason) {
    case KBRReason_NewOrder:
    case KBRReason_MyOrder:
      ReadFullOrder(reader, order, false);
      break;
    case KBRReason_OrderFullInfo:
      ReadFullOrder(reader, order, true);
      break;
    case KBRReason_OrderPartialInfo:
      ReadPartialOrder(reader, order);
      break;
    case KBRReason_NewOrderRemoved:
    case KBRReason_MyOrderRemoved:
      reader.Int32("OrderId", order.OrderId);
      break;
    default:
      break;
  }
  return reader.Ok();
}

bool ReadTariffPayload(const Json::Value& message, KestoTariffStruct& tariff) {
  JsonMemberReader reader(message);
  reader.Int32("Publisher", tariff.Publisher);
  reader.Int32("Acceptor", tariff.Acceptor);
  reader.Int32("CityId", tariff.CityId);
  reader.Text("TariffId", tariff.TariffId);
  reader.Float("ServicePercent", tariff.ServicePercent);
  reader.Float("ServiceFixed", tariff.ServiceFixed);
  reader.Float("PublisherPercent", tariff.PublisherPercent);
  reader.Float("PublisherFixed", tariff.PublisherFixed);
  reader.Float("ServiceReturnForeit", tariff.ServiceReturnForeit);
  reader.Float("PublisherReturnForeit", tariff.PublisherReturnForeit);
  reader.Float("MinOrderPrice", tariff.MinOrderPrice);
  return reader.Ok();
}
