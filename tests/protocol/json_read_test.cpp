// The strict conversions at the edges of each field's range, member names as
// ids, and the parse that refuses whatever is not strict JSON.
#include <gtest/gtest.h>

#include <cfloat>
#include <string>
#include <vector>

#include "protocol/JsonRead.h"

namespace {

// Each element of the JSON array `taken` converts to the matching one of
// `expected`; each of `refused` is refused and leaves the field untouched.
template <typename T>
void ExpectConversions(bool (*convert)(const Json::Value&, T&), const std::string& taken,
                       const std::vector<T>& expected, const std::string& refused, const T& untouched) {
  Json::Value values;
  ASSERT_TRUE(ParseJsonText(taken, values) && values.size() == expected.size()) << taken;
  for (Json::ArrayIndex i = 0; i < values.size(); ++i) {
    T out = untouched;
    EXPECT_TRUE(convert(values[i], out)) << taken << " #" << i;
    EXPECT_EQ(out, expected[i]) << taken << " #" << i;
  }
  ASSERT_TRUE(ParseJsonText(refused, values)) << refused;
  for (Json::ArrayIndex i = 0; i < values.size(); ++i) {
    T out = untouched;
    EXPECT_FALSE(convert(values[i], out)) << refused << " #" << i;
    EXPECT_EQ(out, untouched) << refused << " #" << i;
  }
}

TEST(JsonConversion, EachFieldTypeTakesExactlyItsRange) {
  ExpectConversions<std::int32_t>(JsonToInt32, "[-2147483648, 2147483647, 2147483647.0, -0.0, 1e3, null, true, false]",
                                  {-2147483647 - 1, 2147483647, 2147483647, 0, 1000, 0, 1, 0},
                                  "[2147483648, -2147483649, 1.5, 1e10, 18446744073709551615, \"5\", [5], {}]", 99);
  ExpectConversions<std::uint32_t>(JsonToUInt32, "[0, 4294967295, 4294967295.0, true]",
                                   {0, 4294967295u, 4294967295u, 1}, "[4294967296, -1, 0.5, \"1\"]", 99);
  ExpectConversions<float>(
      JsonToFloat, "[55.76, 3.4028234663852886e38, 1e-60, 18446744073709551615, -9223372036854775808, null, true]",
      {55.76f, FLT_MAX, 0, 18446744073709551615.0f, -9223372036854775808.0f, 0, 1}, "[3.5e38, -1e300, \"1.5\", []]", 7);
  ExpectConversions<std::string>(JsonToText, "[true, false, null, \"a\\u0000b\"]",
                                 {"true", "false", "", std::string("a\0b", 3)}, "[5, 1.5, [], {}]", "kept");
}

TEST(JsonConversion, MemberNamesFollowTheAtoiRuleWithinThirtyTwoBits) {
  ExpectConversions<std::int32_t>(
      [](const Json::Value& name, std::int32_t& id) { return IdFromMemberName(name.asString(), id); },
      R"(["15", "07", " \t\n12x", "abc", "", "-", "+-1", "-5", "+6", "x12", "2147483647", "-2147483648",
          "00000000000000000000001"])",
      {15, 7, 12, 0, 0, 0, 0, -5, 6, 0, 2147483647, -2147483647 - 1, 1}, R"(["2147483648", "-2147483649"])", 99);
}

TEST(JsonParse, RefusesWhatIsNotStrictJsonOrNestsTooDeepAndNeverThrows) {
  Json::Value root;
  for (const char* text : {"", "{", "[1,]", "{\"a\":1,}", "//c\n{}", "{} {}", "'a'", "[NaN]", "[1e400]"})
    EXPECT_FALSE(ParseJsonText(text, root)) << text;
  EXPECT_FALSE(ParseJsonText(std::string(1000000, '['), root));
  EXPECT_FALSE(ParseJsonText(std::string(70, '[') + std::string(70, ']'), root));
  EXPECT_TRUE(ParseJsonText(std::string(60, '[') + std::string(60, ']'), root));
  EXPECT_TRUE(ParseJsonText(" {\"a\":[1,2],\"a\":[3,4]} \n", root));
  EXPECT_EQ(root["a"][1].asInt(), 4);     // the last of equal names wins
  EXPECT_TRUE(ParseJsonText("5", root));  // the caller judges the root
}

}  // namespace
