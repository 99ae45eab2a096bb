// The code tables: every command has its request name and queueing line, and
// only the named status codes have a printable name.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "protocol/KBRCodes.h"
#include "protocol/KBRStatus.h"

TEST(CodeTables, EveryCommandHasANameAndALogLineAndOthersHaveNone) {
  std::set<std::string> names;
  for (const KBRCommand code : kAllCommands) {
    const char* name = KBRCommandName(code);
    const char* logLine = KBRCommandLogLine(code);
    ASSERT_NE(name, nullptr) << code;
    ASSERT_NE(logLine, nullptr) << code;
    EXPECT_EQ(std::string(name).rfind("KBRCommand_", 0), 0u) << name;
    EXPECT_EQ(std::string(logLine).rfind("Add ", 0), 0u) << logLine;
    EXPECT_TRUE(names.insert(name).second) << name;
  }
  EXPECT_EQ(names.size(), 12u);
  for (const std::int32_t code : {KBRCommand_Disconnect + 0, 13, -1}) {
    EXPECT_EQ(KBRCommandName(code), nullptr) << code;
    EXPECT_EQ(KBRCommandLogLine(code), nullptr) << code;
  }
}

TEST(CodeTables, OnlyTheStatusesFromMinus12To1HaveANameLookedUpByValue) {
  const std::pair<std::int32_t, const char*> cases[] = {
      {-2147483647 - 1, nullptr},          {-13, nullptr},
      {-12, "KBRStatus_IOCtlSocketError"}, {0, "KBRStatus_Ok"},
      {1, "KBRStatus_TimeOutNotify"},      {KBRStatus_NoData, nullptr},
      {KBRStatus_PartialBlock, nullptr},   {2147483647, nullptr},
  };
  for (const auto& [value, name] : cases) {
    if (name == nullptr)
      EXPECT_EQ(KBRStatusName(value), nullptr) << value;
    else
      EXPECT_STREQ(KBRStatusName(value), name) << value;
  }
}
