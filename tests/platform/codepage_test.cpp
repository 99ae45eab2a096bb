// Code page 1251 <-> UTF-8. Under Wine the tests run with a Russian locale,
// so the ANSI code page is 1251 there too.
#include "platform/codepage.h"

#include <gtest/gtest.h>

namespace {

TEST(CodePage, RussianLettersAndPunctuationRoundTrip) {
  // "Тверская" in code page 1251 (this file's literals are stored in 1251).
  const std::string ansi = "Тверская";
  EXPECT_EQ(ansi, "\xD2\xE2\xE5\xF0\xF1\xEA\xE0\xFF");
  const std::string utf8 = platform::Utf8FromAnsi(ansi);
  EXPECT_EQ(utf8, "\xD0\xA2\xD0\xB2\xD0\xB5\xD1\x80\xD1\x81\xD0\xBA\xD0\xB0\xD1\x8F");
  EXPECT_EQ(platform::AnsiFromUtf8(utf8), ansi);
}

TEST(CodePage, ThreeByteCharactersNeedThreeTimesTheLength) {
  // "№", "…" and "€" are one byte in 1251 and three in UTF-8.
  const std::string ansi = "\xB9\x85\x88";
  EXPECT_EQ(platform::Utf8FromAnsi(ansi), "\xE2\x84\x96\xE2\x80\xA6\xE2\x82\xAC");
  const std::string many(1000, '\xB9');
  EXPECT_EQ(platform::Utf8FromAnsi(many).size(), 3000u);
}

TEST(CodePage, EveryByteExceptTheUnassignedOneRoundTrips) {
  for (int b = 1; b < 256; ++b) {
    if (b == 0x98) continue;
    const std::string one(1, static_cast<char>(b));
    EXPECT_EQ(platform::AnsiFromUtf8(platform::Utf8FromAnsi(one)), one) << "byte " << b;
  }
}

TEST(CodePage, WhatTheCodePageLacksOrMalformedUtf8BecomesAQuestionMark) {
  EXPECT_EQ(platform::AnsiFromUtf8("\xE4\xB8\xAD"), "?");         // a Chinese character
  EXPECT_EQ(platform::AnsiFromUtf8("a\xFF" "b"), "a?b");          // not UTF-8 at all
  EXPECT_EQ(platform::AnsiFromUtf8(""), "");
  EXPECT_EQ(platform::Utf8FromAnsi(""), "");
  const std::string withZero("a\0b", 3);
  EXPECT_EQ(platform::AnsiFromUtf8(withZero), withZero);
}

}  // namespace
