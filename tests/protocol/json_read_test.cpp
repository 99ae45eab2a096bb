// The strict conversions at the edges of each field's range, and member names as ids.
#include "protocol/JsonRead.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <string>

namespace {

Json::Value Parsed(const std::string& text) {
  Json::Value root;
  EXPECT_TRUE(ParseJsonText("[" + text + "]", root)) << text;
  return root.isArray() && root.size() == 1 ? root[0] : Json::Value();
}

TEST(JsonConversion, Int32AcceptsExactlyItsRange) {
  const struct {
    const char* json;
    bool ok;
    std::int32_t value;
  } cases[] = {
      {"-2147483648", true, -2147483647 - 1}, {"2147483647", true, 2147483647}, {"2147483648", false, 0},
      {"-2147483649", false, 0},              {"2147483647.0", true, 2147483647}, {"-0.0", true, 0},
      {"1e3", true, 1000},                    {"1.5", false, 0},                  {"1e10", false, 0},
      {"18446744073709551615", false, 0},     {"null", true, 0},                  {"true", true, 1},
      {"false", true, 0},                     {"\"5\"", false, 0},                {"[5]", false, 0},
      {"{}", false, 0},
  };
  for (const auto& c : cases) {
    std::int32_t out = 99;
    EXPECT_EQ(JsonToInt32(Parsed(c.json), out), c.ok) << c.json;
    EXPECT_EQ(out, c.ok ? c.value : 99) << c.json;
  }
}

TEST(JsonConversion, UInt32AcceptsExactlyItsRange) {
  const struct {
    const char* json;
    bool ok;
    std::uint32_t value;
  } cases[] = {
      {"0", true, 0},          {"4294967295", true, 4294967295u}, {"4294967295.0", true, 4294967295u},
      {"4294967296", false, 0}, {"-1", false, 0},                  {"0.5", false, 0},
      {"\"1\"", false, 0},     {"true", true, 1},
  };
  for (const auto& c : cases) {
    std::uint32_t out = 99;
    EXPECT_EQ(JsonToUInt32(Parsed(c.json), out), c.ok) << c.json;
    EXPECT_EQ(out, c.ok ? c.value : 99u) << c.json;
  }
}

TEST(JsonConversion, FloatTakesAnyNumberWithinSinglePrecision) {
  float out = 0;
  EXPECT_TRUE(JsonToFloat(Parsed("55.76"), out));
  EXPECT_EQ(out, 55.76f);
  EXPECT_TRUE(JsonToFloat(Parsed("3.4028234663852886e38"), out));
  EXPECT_EQ(out, FLT_MAX);
  EXPECT_TRUE(JsonToFloat(Parsed("1e-60"), out));
  EXPECT_EQ(out, 0.0f);
  EXPECT_TRUE(JsonToFloat(Parsed("18446744073709551615"), out));
  EXPECT_TRUE(JsonToFloat(Parsed("-9223372036854775808"), out));
  out = 7;
  EXPECT_FALSE(JsonToFloat(Parsed("3.5e38"), out));
  EXPECT_FALSE(JsonToFloat(Parsed("-1e300"), out));
  EXPECT_FALSE(JsonToFloat(Parsed("\"1.5\""), out));
  EXPECT_EQ(out, 7.0f);
}

TEST(JsonConversion, TextTakesStringsNullAndBooleansOnly) {
  std::string out = "kept";
  EXPECT_FALSE(JsonToText(Parsed("5"), out));
  EXPECT_FALSE(JsonToText(Parsed("1.5"), out));
  EXPECT_FALSE(JsonToText(Parsed("[]"), out));
  EXPECT_FALSE(JsonToText(Parsed("{}"), out));
  EXPECT_EQ(out, "kept");
  EXPECT_TRUE(JsonToText(Parsed("true"), out));
  EXPECT_EQ(out, "true");
  EXPECT_TRUE(JsonToText(Parsed("null"), out));
  EXPECT_EQ(out, "");
  EXPECT_TRUE(JsonToText(Parsed("\"a\\u0000b\""), out));
  EXPECT_EQ(out, std::string("a\0b", 3));
}

TEST(JsonConversion, MemberNamesFollowTheAtoiRuleWithinThirtyTwoBits) {
  const struct {
    const char* name;
    bool ok;
    std::int32_t id;
  } cases[] = {
      {"15", true, 15},           {"07", true, 7},       {" \t\n12x", true, 12}, {"abc", true, 0},
      {"", true, 0},              {"-", true, 0},        {"+-1", true, 0},       {"-5", true, -5},
      {"+6", true, 6},            {"x12", true, 0},      {"2147483647", true, 2147483647},
      {"-2147483648", true, -2147483647 - 1},            {"2147483648", false, 0},
      {"-2147483649", false, 0},  {"00000000000000000000001", true, 1},
  };
  for (const auto& c : cases) {
    std::int32_t id = 99;
    EXPECT_EQ(IdFromMemberName(c.name, id), c.ok) << c.name;
    EXPECT_EQ(id, c.ok ? c.id : 99) << c.name;
  }
}

TEST(JsonParse, RefusesWhatIsNotStrictJsonAndNeverThrows) {
  Json::Value root;
  for (const char* text : {"", "{", "[1,]", "{\"a\":1,}", "//c\n{}", "{} {}", "'a'", "[NaN]", "[1e400]"})
    EXPECT_FALSE(ParseJsonText(text, root)) << text;
  EXPECT_FALSE(ParseJsonText(std::string(1000000, '['), root));
  EXPECT_TRUE(ParseJsonText(" {\"a\":[1,2]} \n", root));
  EXPECT_EQ(root["a"][1].asInt(), 2);
  EXPECT_TRUE(ParseJsonText("5", root));  // the caller judges the root
}

}  // namespace
