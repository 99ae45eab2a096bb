// The records' constructed values, Clear, and value semantics.
#include "protocol/KestoRecords.h"

#include <gtest/gtest.h>

namespace {

// Every field except the four whose constructed and cleared values differ.
void ExpectCommonFieldsZero(const KestoOrder& o) {
  EXPECT_EQ(o.UniKey, 0);
  EXPECT_EQ(o.BrimoOrderState, 0);
  EXPECT_EQ(o.StreetFrom, "");
  EXPECT_EQ(o.AdditionalFrom, "");
  EXPECT_EQ(o.LatitudeFrom, 0.0f);
  EXPECT_EQ(o.LongitudeTo, 0.0f);
  EXPECT_EQ(o.CarrierType, 0);
  EXPECT_EQ(o.Price, 0.0f);
  EXPECT_EQ(o.ClientPhone, "");
  EXPECT_EQ(o.Comment, "");
  EXPECT_EQ(o.CarCallNumber, 0);
  EXPECT_EQ(o.PreliminaryTime, 0);
  EXPECT_EQ(o.OrderId, 0);
  EXPECT_EQ(o.WriteTime, 0);
  EXPECT_EQ(o.Publisher, 0);
  EXPECT_EQ(o.Acceptor, 0);
  EXPECT_EQ(o.PublisherComission, 0.0f);
  EXPECT_EQ(o.AcceptTime, 0);
  EXPECT_EQ(o.TimeToLiveSec, 0);
  EXPECT_EQ(o.ToCarMin, 0);
  EXPECT_EQ(o.SetCarInfoTime, 0);
}

TEST(Order, ConstructedAndClearedDifferInExactlyFourFields) {
  KestoOrder constructed;
  ExpectCommonFieldsZero(constructed);
  EXPECT_EQ(constructed.CityIdFrom, -1);
  EXPECT_EQ(constructed.CityIdTo, -1);
  EXPECT_EQ(constructed.StatusId, -1);
  EXPECT_EQ(constructed.Time0Km1Fixed2, 1);

  KestoOrder used;
  used.OrderId = 815;
  used.StreetFrom = "Тверская";
  used.Price = 12.5f;
  used.AcceptTime = 4294967295LL;
  used.Clear();
  ExpectCommonFieldsZero(used);
  EXPECT_EQ(used.CityIdFrom, 0);
  EXPECT_EQ(used.CityIdTo, 0);
  EXPECT_EQ(used.StatusId, 0);
  EXPECT_EQ(used.Time0Km1Fixed2, 0);
}

TEST(Response, ConstructedAwaitsAnAnswer) {
  KestoBrimo_AsyncResponce r;
  EXPECT_EQ(r.OperationStatus, KBRStatus_UnknownResponse);
  EXPECT_EQ(r.reason, 0);
  EXPECT_EQ(r.CommandId, 0u);
  EXPECT_EQ(r.Order.CityIdFrom, -1);
  EXPECT_EQ(r.Order.Time0Km1Fixed2, 1);
  EXPECT_EQ(r.Tariff.TariffId, "");
}

TEST(ValueSemantics, CopiesOwnTheirTextsAndLists) {
  KestoDirectoryItem item;
  item.ShortName = "Такси-1";
  item.CityIdList = {12, 3};
  KestoDirectoryItem copy = item;
  copy.CityIdList.push_back(7);
  copy.ShortName += "!";
  EXPECT_EQ(item.CityIdList, (std::vector<std::int32_t>{12, 3}));
  EXPECT_EQ(item.ShortName, "Такси-1");

  KestoBrimo_AsyncResponce a;
  a.Order.Comment = "у подъезда";
  a.Tariff.TariffId = "T-1";
  KestoBrimo_AsyncResponce b;
  b = a;
  b.Order.Comment.clear();
  b.Tariff.TariffId = "T-2";
  EXPECT_EQ(a.Order.Comment, "у подъезда");
  EXPECT_EQ(a.Tariff.TariffId, "T-1");
}

}  // namespace
