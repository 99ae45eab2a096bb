// The plain value records that carry what the exchange sends: an order, a
// tariff, a taxi-service directory entry, and the envelope of one message.
// Wire fields bear their JSON key names, spelling included.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "protocol/KBRStatus.h"

// Seconds since 1970-01-01 00:00:00 UTC; on the wire an unsigned 32-bit number.
using KestoTime = std::int64_t;

// A time's low 32 bits, as they go on the wire.
constexpr std::uint32_t WireTime(KestoTime time) {
  return static_cast<std::uint32_t>(static_cast<std::uint64_t>(time));
}

struct KestoOrder {
  std::int32_t UniKey = 0;
  std::int32_t BrimoOrderState = 0;  // 0 new, 1 accepted by us, 2 returned, 3 accepted by another, 4 not published
  std::int32_t CityIdFrom = -1;      // -1: none
  std::int32_t CityIdTo = -1;
  std::string StreetFrom;
  std::string AdditionalFrom;
  float LatitudeFrom = 0;
  float LongitudeFrom = 0;
  std::string StreetTo;
  std::string AdditionalTo;
  float LatitudeTo = 0;
  float LongitudeTo = 0;
  std::int32_t CarrierType = 0;
  float Price = 0;
  std::string ClientPhone;
  std::int32_t PhoneId = 0;
  std::string Comment;
  std::string CarDescription;
  std::string CarGovNumber;
  std::int32_t CarCallNumber = 0;
  KestoTime PreliminaryTime = 0;
  std::int32_t Time0Km1Fixed2 = 1;  // 0 by time, 1 by mileage, 2 fixed
  std::int32_t StatusId = -1;       // -1: none
  std::int32_t OrderId = 0;
  KestoTime WriteTime = 0;
  std::int32_t Publisher = 0;
  std::int32_t Acceptor = 0;
  float ServiceComission = 0;
  float PublisherComission = 0;
  KestoTime AcceptTime = 0;
  std::int32_t TimeToLiveSec = 0;
  std::int32_t ToCarMin = 0;
  KestoTime SetCarInfoTime = 0;

  // Every number to 0 (the -1 and 1 defaults included), every text empty:
  // the blank the new-order dialog starts from.
  void Clear();
};

struct KestoTariffStruct {
  std::int32_t Publisher = 0;
  std::int32_t Acceptor = 0;
  std::int32_t CityId = 0;
  std::string TariffId;  // a text, not a number
  float ServicePercent = 0;
  float ServiceFixed = 0;
  float PublisherPercent = 0;
  float PublisherFixed = 0;
  float ServiceReturnForeit = 0;
  float PublisherReturnForeit = 0;
  float MinOrderPrice = 0;
};

struct KestoDirectoryItem {
  std::int32_t ClientId = 0;
  std::string FullName;
  std::string ShortName;
  std::string LeaderName;
  std::string Comment;
  std::int32_t TimeZone = 0;
  std::vector<std::int32_t> CityIdList;
};

struct KestoBrimo_AsyncResponce {
  std::uint32_t CommandId = 0;
  std::int32_t CommandCode = 0;
  std::int32_t Num = 0;
  std::int32_t OperationStatus = KBRStatus_UnknownResponse;
  std::string ErrorString;
  std::int32_t reason = 0;
  KestoOrder Order;
  KestoTariffStruct Tariff;
};
