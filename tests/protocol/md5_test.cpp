// The MD5 digest against the RFC 1321 test suite and the padding boundaries,
// and the login password hash.
#include "protocol/Md5.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

std::string LowerHex(const Md5Digest& digest) {
  std::string hex;
  char pair[3];
  for (std::uint8_t b : digest) {
    std::snprintf(pair, sizeof pair, "%02x", static_cast<unsigned>(b));
    hex += pair;
  }
  return hex;
}

std::string DigestHex(const std::string& text) {
  return LowerHex(CalcMD5(text.data(), static_cast<std::uint32_t>(text.size())));
}

TEST(Md5, Rfc1321TestSuite) {
  EXPECT_EQ(DigestHex(""), "d41d8cd98f00b204e9800998ecf8427e");
  EXPECT_EQ(DigestHex("a"), "0cc175b9c0f1b6a831c399e269772661");
  EXPECT_EQ(DigestHex("abc"), "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(DigestHex("message digest"), "f96b697d7cb7938d525a2f31aaf161d0");
  EXPECT_EQ(DigestHex("abcdefghijklmnopqrstuvwxyz"), "c3fcd3d76192e4007dfb496cca67e13b");
  EXPECT_EQ(DigestHex("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"),
            "d174ab98d277d9f5a5611c2c9f419d9f");
  EXPECT_EQ(DigestHex("12345678901234567890123456789012345678901234567890123456789012345678901234567890"),
            "57edf4a22be3c955ac49da2e2107b67a");
  EXPECT_EQ(LowerHex(CalcMD5(nullptr, 0)), "d41d8cd98f00b204e9800998ecf8427e");  // no data, no pointer
}

TEST(Md5, LengthsAroundThePaddingBoundaries) {
  // 55 is the longest tail padded in one block, 56 the shortest that needs two.
  const struct {
    std::size_t length;
    const char* hex;
  } cases[] = {
      {55, "04364420e25c512fd958a70738aa8f72"},  {56, "668a72d5ba17f08e62dabcafad6db14b"},
      {63, "7dc2ca208106a2f703567bdff99d8981"},  {64, "c1bb4f81d892b2d57947682aeb252456"},
      {65, "1bc932052302d074bdec39795fe00cf6"},  {119, "ab347a5f68c8a443cfcddc633f12c24f"},
      {120, "fb98667f98096de92620b64f46e1c5b5"}, {128, "d69cb61a6ee87200676eb0d4b90edbcb"},
  };
  for (const auto& c : cases) EXPECT_EQ(DigestHex(std::string(c.length, 'x')), c.hex) << c.length;
}

TEST(PassHash, UpperCaseDigestOfRandomStringThenPassword) {
  EXPECT_EQ(PassHash("", "abc"), "900150983CD24FB0D6963F7D28E17F72");
  EXPECT_EQ(PassHash("ab", "c"), "900150983CD24FB0D6963F7D28E17F72");
  EXPECT_EQ(PassHash("", ""), "D41D8CD98F00B204E9800998ECF8427E");
}

TEST(PassHash, CyrillicPasswordIsDigestedInItsSingleByteForm) {
  // "пароль" is held in code page 1251 (six bytes), not in UTF-8 (twelve).
  EXPECT_EQ(std::string("пароль").size(), 6u);
  EXPECT_EQ(PassHash("Q7fz", "пароль"), "21B5563CD9EDF2125BACE79B6006BA1A");
  EXPECT_EQ(PassHash("", "секрет"), "013829D285F3FD24225F43D39E643716");
}

}  // namespace
