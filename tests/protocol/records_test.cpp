// The records' constructed values and Clear.
#include "protocol/KestoRecords.h"

#include <gtest/gtest.h>

#include "OrderFields.h"

namespace {

TEST(Order, ConstructedAndClearedDifferInExactlyFourFields) {
  KestoOrder constructed;
  EXPECT_EQ(constructed.CityIdFrom, -1);
  EXPECT_EQ(constructed.CityIdTo, -1);
  EXPECT_EQ(constructed.StatusId, -1);
  EXPECT_EQ(constructed.Time0Km1Fixed2, 1);
  constructed.CityIdFrom = constructed.CityIdTo = constructed.StatusId = constructed.Time0Km1Fixed2 = 0;
  EXPECT_EQ(Dump(constructed), ZeroDump());

  KestoOrder used = FullOrder(true);
  used.Clear();
  EXPECT_EQ(Dump(used), ZeroDump());
}

TEST(Response, ConstructedAwaitsAnAnswer) {
  KestoBrimo_AsyncResponce r;
  EXPECT_EQ(r.OperationStatus, KBRStatus_UnknownResponse);
  EXPECT_EQ(r.reason, 0);
  EXPECT_EQ(r.CommandId, 0u);
}

}  // namespace
