// The MD5 digest against the RFC 1321 test suite and the padding boundaries,
// read through the login password hash that writes it in upper-case hex.
#include "protocol/Md5.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(Md5, Rfc1321TestSuiteAndLengthsAroundThePaddingBoundaries) {
  const std::pair<std::string, const char*> cases[] = {
      {"", "D41D8CD98F00B204E9800998ECF8427E"},
      {"a", "0CC175B9C0F1B6A831C399E269772661"},
      {"abc", "900150983CD24FB0D6963F7D28E17F72"},
      {"message digest", "F96B697D7CB7938D525A2F31AAF161D0"},
      {"abcdefghijklmnopqrstuvwxyz", "C3FCD3D76192E4007DFB496CCA67E13B"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "D174AB98D277D9F5A5611C2C9F419D9F"},
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       "57EDF4A22BE3C955AC49DA2E2107B67A"}};
  for (const auto& [text, hex] : cases) EXPECT_EQ(PassHash("", text), hex) << text;
  // 55 is the longest tail padded in one block, 56 the shortest that needs two.
  const std::pair<int, const char*> xs[] = {
      {55, "04364420E25C512FD958A70738AA8F72"},  {56, "668A72D5BA17F08E62DABCAFAD6DB14B"},
      {63, "7DC2CA208106A2F703567BDFF99D8981"},  {64, "C1BB4F81D892B2D57947682AEB252456"},
      {65, "1BC932052302D074BDEC39795FE00CF6"},  {119, "AB347A5F68C8A443CFCDDC633F12C24F"},
      {120, "FB98667F98096DE92620B64F46E1C5B5"}, {128, "D69CB61A6EE87200676EB0D4B90EDBCB"}};
  for (const auto& [length, hex] : xs) EXPECT_EQ(PassHash("", std::string(length, 'x')), hex) << length;
  EXPECT_EQ(CalcMD5(nullptr, 0), CalcMD5("", 0));  // no data, no pointer
  // The random string comes first, then the password.
  EXPECT_EQ(PassHash("ab", "c"), "900150983CD24FB0D6963F7D28E17F72");
  EXPECT_EQ(PassHash("abc", ""), "900150983CD24FB0D6963F7D28E17F72");
}

}  // namespace
