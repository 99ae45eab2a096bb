// Status names are looked up by value; only -12 to 1 have one.
#include "client/KBRStatus.h"

#include <gtest/gtest.h>

TEST(StatusName, EveryNamedValueSpellsItsOwnNameAndOthersHaveNone) {
  const std::pair<std::int32_t, const char*> all[] = {
      {-2147483647 - 1, nullptr},           {-13, nullptr},
      {-12, "KBRStatus_IOCtlSocketError"},  {-11, "KBRStatus_SetOrderStatusError"},
      {-10, "KBRStatus_InsertOrderError"},  {-9, "KBRStatus_UnknownResponse"},
      {-8, "KBRStatus_ParseError"},         {-7, "KBRStatus_AuthentError"},
      {-6, "KBRStatus_SendError"},          {-5, "KBRStatus_RecvNo"},
      {-4, "KBRStatus_RecvError"},          {-3, "KBRStatus_ConnectError"},
      {-2, "KBRStatus_SocketError"},        {-1, "KBRStatus_CommonError"},
      {0, "KBRStatus_Ok"},                  {1, "KBRStatus_TimeOutNotify"},
      {KBRStatus_NoData, nullptr},          {KBRStatus_PartialBlock, nullptr},
      {2147483647, nullptr},
  };
  for (const auto& [value, name] : all) {
    if (name == nullptr) EXPECT_EQ(KBRStatusName(value), nullptr) << value;
    else EXPECT_STREQ(KBRStatusName(value), name) << value;
  }
}
