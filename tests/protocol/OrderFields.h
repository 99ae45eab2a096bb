// Every field of an order by name, so that comparisons of whole orders name
// the field that differs, and an order whose every field is set.
#pragma once

#include <sstream>
#include <string>

#include "protocol/KestoRecords.h"

#define KB_FOR_EACH_ORDER_FIELD(X)                                                                               \
  X(UniKey) X(BrimoOrderState) X(CityIdFrom) X(CityIdTo) X(StreetFrom) X(AdditionalFrom) X(LatitudeFrom)         \
  X(LongitudeFrom) X(StreetTo) X(AdditionalTo) X(LatitudeTo) X(LongitudeTo) X(CarrierType) X(Price)              \
  X(ClientPhone) X(PhoneId) X(Comment) X(CarDescription) X(CarGovNumber) X(CarCallNumber) X(PreliminaryTime)     \
  X(Time0Km1Fixed2) X(StatusId) X(OrderId) X(WriteTime) X(Publisher) X(Acceptor) X(ServiceComission)             \
  X(PublisherComission) X(AcceptTime) X(TimeToLiveSec) X(ToCarMin) X(SetCarInfoTime)

// All the fields of an order, one per line.
inline std::string Dump(const KestoOrder& o) {
  std::ostringstream s;
#define KB_DUMP_FIELD(name) s << #name " " << o.name << "\n";
  KB_FOR_EACH_ORDER_FIELD(KB_DUMP_FIELD)
#undef KB_DUMP_FIELD
  return s.str();
}

// The dump of an order whose every number is 0 and every text empty.
inline std::string ZeroDump() {
  std::ostringstream s;
#define KB_DUMP_ZERO(name) s << #name " " << decltype(KestoOrder::name){} << "\n";
  KB_FOR_EACH_ORDER_FIELD(KB_DUMP_ZERO)
#undef KB_DUMP_ZERO
  return s.str();
}

// Values that differ from every constructed value (UniKey 0 when asked).
inline KestoOrder FullOrder(bool withUniKey) {
  KestoOrder o;
  o.UniKey = withUniKey ? 77 : 0;
  o.BrimoOrderState = 3, o.CityIdFrom = 10, o.CityIdTo = 11, o.StreetFrom = "Тверская", o.AdditionalFrom = "д. 1";
  o.LatitudeFrom = 55.5f, o.LongitudeFrom = 37.25f, o.StreetTo = "Арбат", o.AdditionalTo = "под. 2";
  o.LatitudeTo = -1.5f, o.LongitudeTo = 2.75f, o.CarrierType = 4, o.Price = 150.5f, o.ClientPhone = "+7 900";
  o.PhoneId = 12, o.Comment = "тихо", o.CarDescription = "Лада", o.CarGovNumber = "А123ВС", o.CarCallNumber = 13;
  o.PreliminaryTime = 4294967295LL, o.Time0Km1Fixed2 = 2, o.StatusId = 5, o.OrderId = 815, o.WriteTime = 1000;
  o.Publisher = 6, o.Acceptor = 7, o.ServiceComission = 1.25f, o.PublisherComission = 2.5f, o.AcceptTime = 2000;
  o.TimeToLiveSec = 600, o.ToCarMin = 8, o.SetCarInfoTime = 3000;
  return o;
}
