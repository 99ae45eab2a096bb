// The strict conversions at the edges of each field's range, member names as
// ids, and the parse that refuses whatever is not strict JSON.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "protocol/JsonRead.h"

namespace {

// Each element of the JSON array `values` converted into a field that held
// `before`: the field after it, marked "!" when the conversion refused.
template <typename T>
std::string Convert(bool (*convert)(const Json::Value&, T&), const T& before, const std::string& values) {
  Json::Value array;
  EXPECT_TRUE(ParseJsonText(values, array)) << values;
  std::ostringstream out;
  out.precision(9);
  for (const Json::Value& value : array) {
    T field = before;
    out << (convert(value, field) ? "" : "!") << field << ' ';
  }
  return out.str();
}

TEST(JsonConversion, EachFieldTypeAndMemberNameIdTakesExactlyItsRange) {
  EXPECT_EQ(Convert<std::int32_t>(JsonToInt32, 99, R"([-2147483648, 2147483647, 2147483647.0, -0.0, 1e3, null, true,
            false, 2147483648, -2147483649, 1.5, 1e10, 18446744073709551615, "5", [5], {}])"),
            "-2147483648 2147483647 2147483647 0 1000 0 1 0 !99 !99 !99 !99 !99 !99 !99 !99 ");
  EXPECT_EQ(
      Convert<std::uint32_t>(JsonToUInt32, 99, R"([0, 4294967295, 4294967295.0, true, 4294967296, -1, 0.5, "1"])"),
      "0 4294967295 4294967295 1 !99 !99 !99 !99 ");
  EXPECT_EQ(Convert<float>(JsonToFloat, 7, R"([55.76, 3.4028234663852886e38, 1e-60, 18446744073709551615,
            -9223372036854775808, null, true, 3.5e38, -1e300, "1.5", []])"),
            "55.7599983 3.40282347e+38 0 1.84467441e+19 -9.22337204e+18 0 1 !7 !7 !7 !7 ");
  EXPECT_EQ(Convert<std::string>(JsonToText, "kept", R"([true, false, null, "a\u0000b", 5, 1.5, [], {}])"),
            std::string("true false  a\0b !kept !kept !kept !kept ", 40));
  // Member names as ids follow the atoi rule within 32 bits.
  const auto id = [](const Json::Value& name, std::int32_t& id) { return IdFromMemberName(name.asString(), id); };
  EXPECT_EQ(Convert<std::int32_t>(id, 99, R"(["15", "07", " \t\n12x", "abc", "", "-", "+-1", "-5", "+6", "x12",
            "2147483647", "-2147483648", "00000000000000000000001", "2147483648", "-2147483649"])"),
            "15 7 12 0 0 0 0 -5 6 0 2147483647 -2147483648 1 !99 !99 ");
}

TEST(JsonParse, RefusesWhatIsNotStrictJsonOrNestsTooDeepAndNeverThrows) {
  Json::Value root;
  for (const std::string& text :
       std::vector<std::string>{"", "{", "[1,]", "{\"a\":1,}", "//c\n{}", "{} {}", "'a'", "[NaN]", "[1e400]",
                                std::string(1000000, '['), std::string(70, '[') + std::string(70, ']')})
    EXPECT_FALSE(ParseJsonText(text, root)) << text.substr(0, 80);
  EXPECT_TRUE(ParseJsonText(std::string(60, '[') + std::string(60, ']'), root));
  EXPECT_TRUE(ParseJsonText(" {\"a\":[1,2],\"a\":[3,4]} \n", root) && root["a"][1] == 4);  // the last equal name wins
  EXPECT_TRUE(ParseJsonText("5", root));                                                   // the caller judges the root
}

}  // namespace
