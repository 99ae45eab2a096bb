// One order as the exchange keeps it: the fields that travel in order
// messages (UTF-8 texts, times in seconds since 1970) and where the order
// stands in its life cycle.
#pragma once

#include <cstdint>
#include <string>

enum class OrderStage {
  InPool,    // offered to the other services
  Accepted,  // taken by one service
  Expired,   // its time to live ran out before anyone took it
};

// BrimoOrderState as one service sees the order.
enum BrimoOrderStateValue : std::int32_t {
  BrimoState_New = 0,
  BrimoState_AcceptedByUs = 1,
  BrimoState_Returned = 2,
  BrimoState_AcceptedByOther = 3,
  BrimoState_NotPublished = 4,
};

struct ExchangeOrder {
  std::int32_t OrderId = 0;
  std::int32_t UniKey = 0;
  std::int32_t CityIdFrom = 0;
  std::int32_t CityIdTo = 0;
  std::string StreetFrom;
  std::string AdditionalFrom;
  double LatitudeFrom = 0;
  double LongitudeFrom = 0;
  std::string StreetTo;
  std::string AdditionalTo;
  double LatitudeTo = 0;
  double LongitudeTo = 0;
  std::int32_t CarrierType = 0;
  double Price = 0;
  std::string ClientPhone;
  std::int32_t PhoneId = 0;
  std::string Comment;
  std::string CarDescription;
  std::string CarGovNumber;
  std::int32_t CarCallNumber = 0;
  std::int64_t PreliminaryTime = 0;
  std::int32_t Time0Km1Fixed2 = 0;
  std::int32_t StatusId = 0;
  std::int64_t WriteTime = 0;
  std::int32_t Publisher = 0;
  std::int32_t Acceptor = 0;
  double ServiceComission = 0;
  double PublisherComission = 0;
  std::int64_t AcceptTime = 0;
  std::int32_t TimeToLiveSec = 0;
  std::int32_t ToCarMin = 0;
  std::int64_t SetCarInfoTime = 0;

  OrderStage Stage = OrderStage::InPool;
  bool Returned = false;       // given back by an acceptor at least once
  std::int64_t ExpiresAt = 0;  // 0: lives until withdrawn

  // The state that `serviceId` is shown.
  std::int32_t StateFor(std::int32_t serviceId) const {
    switch (Stage) {
      case OrderStage::Accepted:
        return Acceptor == serviceId ? BrimoState_AcceptedByUs : BrimoState_AcceptedByOther;
      case OrderStage::Expired:
        return BrimoState_NotPublished;
      case OrderStage::InPool:
        break;
    }
    return Returned ? BrimoState_Returned : BrimoState_New;
  }
};
