// Code page 1251 <-> UTF-8. Under Wine the tests run with a Russian locale,
// so the ANSI code page is 1251 there too.
#include "platform/codepage.h"

#include <gtest/gtest.h>

namespace {

TEST(CodePage, LettersAndSignsConvertBothWays) {
  // "Тверская" (two bytes each in UTF-8); "№", "…" and "€" (three bytes each); a zero byte inside.
  const std::pair<std::string, std::string> cases[] = {
      {"\xD2\xE2\xE5\xF0\xF1\xEA\xE0\xFF", "\xD0\xA2\xD0\xB2\xD0\xB5\xD1\x80\xD1\x81\xD0\xBA\xD0\xB0\xD1\x8F"},
      {"\xB9\x85\x88", "\xE2\x84\x96\xE2\x80\xA6\xE2\x82\xAC"},
      {"", ""},
      {std::string("a\0b", 3), std::string("a\0b", 3)}};
  for (const auto& [ansi, utf8] : cases) {
    EXPECT_EQ(platform::Utf8FromAnsi(ansi), utf8);
    EXPECT_EQ(platform::AnsiFromUtf8(utf8), ansi);
  }
  EXPECT_EQ(platform::Utf8FromAnsi(std::string(1000, '\xB9')).size(), 3000u);
  // Every byte but the unassigned 0x98 comes back as it went.
  for (int b = 1; b < 256; ++b) {
    if (b == 0x98) continue;
    const std::string one(1, static_cast<char>(b));
    EXPECT_EQ(platform::AnsiFromUtf8(platform::Utf8FromAnsi(one)), one) << "byte " << b;
  }
}

TEST(CodePage, WhatTheCodePageLacksOrMalformedUtf8BecomesAQuestionMark) {
  EXPECT_EQ(platform::AnsiFromUtf8("\xE4\xB8\xAD"), "?");  // a Chinese character
  EXPECT_EQ(platform::AnsiFromUtf8("a\xFF\x62"), "a?b");   // not UTF-8 at all
}

}  // namespace
