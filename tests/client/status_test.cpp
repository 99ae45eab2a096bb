// Status names are looked up by value; only -12 to 1 have one.
#include "client/KBRStatus.h"

#include <gtest/gtest.h>

#include <string>

TEST(StatusName, NamedRangeAndItsEdges) {
  EXPECT_EQ(KBRStatusName(-13), nullptr);
  EXPECT_STREQ(KBRStatusName(-12), "KBRStatus_IOCtlSocketError");
  EXPECT_STREQ(KBRStatusName(-9), "KBRStatus_UnknownResponse");
  EXPECT_STREQ(KBRStatusName(-1), "KBRStatus_CommonError");
  EXPECT_STREQ(KBRStatusName(0), "KBRStatus_Ok");
  EXPECT_STREQ(KBRStatusName(1), "KBRStatus_TimeOutNotify");
  EXPECT_EQ(KBRStatusName(KBRStatus_NoData), nullptr);
  EXPECT_EQ(KBRStatusName(KBRStatus_PartialBlock), nullptr);
  EXPECT_EQ(KBRStatusName(2147483647), nullptr);
  EXPECT_EQ(KBRStatusName(-2147483647 - 1), nullptr);
}

TEST(StatusName, EveryNameSpellsItsOwnValue) {
  const std::pair<KBRStatus, const char*> all[] = {
      {KBRStatus_SetOrderStatusError, "KBRStatus_SetOrderStatusError"},
      {KBRStatus_InsertOrderError, "KBRStatus_InsertOrderError"},
      {KBRStatus_ParseError, "KBRStatus_ParseError"},
      {KBRStatus_AuthentError, "KBRStatus_AuthentError"},
      {KBRStatus_SendError, "KBRStatus_SendError"},
      {KBRStatus_RecvNo, "KBRStatus_RecvNo"},
      {KBRStatus_RecvError, "KBRStatus_RecvError"},
      {KBRStatus_ConnectError, "KBRStatus_ConnectError"},
      {KBRStatus_SocketError, "KBRStatus_SocketError"},
  };
  for (const auto& [value, name] : all) EXPECT_STREQ(KBRStatusName(value), name) << value;
}
