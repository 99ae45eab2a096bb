// Auto-accept's rules: the match of an offer field by field and together,
// and the [AutoAccept] section read, damaged and written back.
#include <gtest/gtest.h>

#include <filesystem>

#include "desk/AutoAccept.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "support/TempDir.h"

namespace {

constexpr std::int64_t kTomorrowish = 2000000000;  // a preliminary time the lists show

TEST(AutoAcceptRules, EachFieldAloneAndTogether) {
  using P = PreliminaryRule;
  const struct {
    const char* what;
    AutoAcceptRules rules;  // Enabled, Cities, CarrierTypes, MinPrice, Preliminary
    std::int32_t city, carrierType;
    float price;
    std::int64_t preliminaryTime;
    bool match;
  } cases[] = {
      {"empty lists take any", {true, {}, {}, 0, P::Any}, 9, 9, 0, 0, true},
      {"city listed", {true, {1, 7}, {}, 0, P::Any}, 7, 9, 10, 0, true},
      {"city not listed", {true, {1, 7}, {}, 0, P::Any}, 2, 9, 10, 0, false},
      {"type listed", {true, {}, {2}, 0, P::Any}, 9, 2, 10, 0, true},
      {"type not listed", {true, {}, {2}, 0, P::Any}, 9, 3, 10, 0, false},
      {"price at the minimum", {true, {}, {}, 300, P::Any}, 1, 1, 300.0f, 0, true},
      {"price a kopeck below", {true, {}, {}, 300, P::Any}, 1, 1, 299.99f, 0, false},
      {"float below its decimal", {true, {}, {}, 3.3, P::Any}, 1, 1, 3.3f, 0, true},
      {"now takes no time", {true, {}, {}, 0, P::Now}, 1, 1, 1, 0, true},
      {"now refuses preliminary", {true, {}, {}, 0, P::Now}, 1, 1, 1, kTomorrowish, false},
      {"later takes preliminary", {true, {}, {}, 0, P::Later}, 1, 1, 1, kTomorrowish, true},
      {"later refuses now", {true, {}, {}, 0, P::Later}, 1, 1, 1, 0, false},
      {"all fields pass", {true, {1}, {2}, 250.5, P::Now}, 1, 2, 250.5f, 0, true},
      {"all but the price", {true, {1}, {2}, 250.5, P::Now}, 1, 2, 250.49f, 0, false},
      {"all but the city", {true, {1}, {2}, 250.5, P::Now}, 4, 2, 900, 0, false},
  };
  for (const auto& c : cases) {
    KestoOrder offer;
    offer.CityIdFrom = c.city, offer.CarrierType = c.carrierType, offer.Price = c.price;
    offer.PreliminaryTime = c.preliminaryTime;
    EXPECT_EQ(RulesMatch(c.rules, offer), c.match) << c.what;
  }
}

// A whole record as one text: enabled, cities, carrier types, price, preliminary, limit.
std::string Shown(const AutoAcceptRules& r) {
  return std::to_string(r.Enabled) + " [" + IdListText(r.Cities) + "] [" + IdListText(r.CarrierTypes) + "] " +
         MinPriceText(r.MinPrice) + " " + std::to_string(static_cast<int>(r.Preliminary)) + " " +
         std::to_string(r.MaxOpen);
}

TEST(AutoAcceptSettings, ReadsTheSectionAndADamagedValueLeavesItOff) {
  TempDir dir;
  const std::string path = std::filesystem::absolute(dir.file("desk.ini")).string();
  const struct {
    const char* section;
    const char* damagedKey;  // null: read whole
    const char* read;
  } cases[] = {
      {"[Common]\r\nLogin=me\r\n", nullptr, "0 [] [] 0.00 0 3"},
      {"[AutoAccept]\r\nEnabled=1\r\nCities= 1, 7\r\nCarrierTypes=2\r\nMinPrice=300,50\r\nPreliminary=later\r\n"
       "MaxOpen=0\r\n",
       nullptr, "1 [1,7] [2] 300.50 2 0"},
      {"[AutoAccept]\r\nEnabled=yes\r\n", "Enabled", ""},
      {"[AutoAccept]\r\nEnabled=1\r\nCities=1,x\r\n", "Cities", ""},
      {"[AutoAccept]\r\nEnabled=1\r\nCities=1,,2\r\n", "Cities", ""},
      {"[AutoAccept]\r\nEnabled=1\r\nCarrierTypes=-2\r\n", "CarrierTypes", ""},
      {"[AutoAccept]\r\nEnabled=1\r\nMinPrice=сто\r\n", "MinPrice", ""},
      {"[AutoAccept]\r\nEnabled=1\r\nMinPrice=1e99\r\n", "MinPrice", ""},
      {"[AutoAccept]\r\nEnabled=1\r\nPreliminary=soon\r\n", "Preliminary", ""},
      {"[AutoAccept]\r\nEnabled=1\r\nMaxOpen=-1\r\n", "MaxOpen", ""},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(platform::WriteWholeFile(path, c.section));
    AutoAcceptRules rules;
    const std::string problem = ReadAutoAcceptFrom(rules, path);
    // A damaged value is named and leaves auto-accept off; a sound section reads whole.
    EXPECT_EQ(problem.empty(), c.damagedKey == nullptr) << problem;
    EXPECT_TRUE(!c.damagedKey ||
                problem.find(std::string("неверное значение ") + c.damagedKey + "=") != std::string::npos)
        << problem;
    EXPECT_EQ(c.damagedKey ? (rules.Enabled ? "on" : "") : Shown(rules), c.read) << c.section;
  }

  // Written back whole beside the rest of the file.
  ASSERT_TRUE(platform::WriteWholeFile(path, cases[0].section));
  AutoAcceptRules written;
  ReadAutoAcceptFrom(written, path);
  written.Enabled = true, written.CarrierTypes = {4, 5}, written.MinPrice = 99.9;
  written.Preliminary = PreliminaryRule::Now;
  WriteAutoAcceptTo(written, path);
  AutoAcceptRules read;
  EXPECT_EQ(ReadAutoAcceptFrom(read, path), "");
  EXPECT_EQ(Shown(read), Shown(written));
  EXPECT_EQ(platform::ReadProfileValue("Common", "Login", path), "me");
}

}  // namespace
