// Auto-accept's rules: the match of an offer field by field and together,
// and the [AutoAccept] section read, damaged and written back.
#include <gtest/gtest.h>

#include <filesystem>

#include "desk/AutoAccept.h"
#include "platform/files.h"
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
    offer.CityIdFrom = c.city;
    offer.CarrierType = c.carrierType;
    offer.Price = c.price;
    offer.PreliminaryTime = c.preliminaryTime;
    EXPECT_EQ(RulesMatch(c.rules, offer), c.match) << c.what;
  }
}

TEST(AutoAcceptSettings, ReadsTheSectionAndADamagedValueLeavesItOff) {
  TempDir dir;
  const std::string path = std::filesystem::absolute(dir.file("desk.ini")).string();
  const struct {
    const char* section;
    const char* damagedKey;  // null: read whole
  } cases[] = {
      {"", nullptr},
      {"[AutoAccept]\r\nEnabled=1\r\nCities= 1, 7\r\nCarrierTypes=2\r\nMinPrice=300,50\r\nPreliminary=later\r\n"
       "MaxOpen=0\r\n",
       nullptr},
      {"[AutoAccept]\r\nEnabled=yes\r\n", "Enabled"},
      {"[AutoAccept]\r\nEnabled=1\r\nCities=1,x\r\n", "Cities"},
      {"[AutoAccept]\r\nEnabled=1\r\nCities=1,,2\r\n", "Cities"},
      {"[AutoAccept]\r\nEnabled=1\r\nCarrierTypes=-2\r\n", "CarrierTypes"},
      {"[AutoAccept]\r\nEnabled=1\r\nMinPrice=сто\r\n", "MinPrice"},
      {"[AutoAccept]\r\nEnabled=1\r\nMinPrice=1e99\r\n", "MinPrice"},
      {"[AutoAccept]\r\nEnabled=1\r\nPreliminary=soon\r\n", "Preliminary"},
      {"[AutoAccept]\r\nEnabled=1\r\nMaxOpen=-1\r\n", "MaxOpen"},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(platform::WriteWholeFile(path, c.section));
    AutoAcceptRules rules;
    const std::string problem = ReadAutoAcceptFrom(rules, path);
    if (c.damagedKey == nullptr) {
      EXPECT_EQ(problem, "") << c.section;
    } else {
      EXPECT_NE(problem.find(std::string("неверное значение ") + c.damagedKey + "="), std::string::npos) << problem;
      EXPECT_FALSE(rules.Enabled) << c.section;
    }
  }
  AutoAcceptRules whole;
  ASSERT_TRUE(platform::WriteWholeFile(path, cases[1].section));
  ReadAutoAcceptFrom(whole, path);
  EXPECT_TRUE(whole.Enabled);
  EXPECT_EQ(whole.Cities, (std::set<std::int32_t>{1, 7}));
  EXPECT_EQ(whole.MinPrice, 300.5);
  EXPECT_EQ(whole.Preliminary, PreliminaryRule::Later);
  EXPECT_EQ(whole.MaxOpen, 0);

  // Defaults come back as they went; the rest of the file stays.
  ASSERT_TRUE(platform::WriteWholeFile(path, "[Common]\r\nLogin=me\r\n"));
  WriteAutoAcceptTo(AutoAcceptRules(), path);
  AutoAcceptRules read = whole;
  EXPECT_EQ(ReadAutoAcceptFrom(read, path), "");
  EXPECT_FALSE(read.Enabled);
  EXPECT_TRUE(read.Cities.empty());
  EXPECT_EQ(read.MaxOpen, 3);
  WriteAutoAcceptTo(whole, path);
  EXPECT_EQ(ReadAutoAcceptFrom(read, path), "");
  EXPECT_EQ(read.Cities, whole.Cities);
  EXPECT_EQ(read.CarrierTypes, whole.CarrierTypes);
  EXPECT_EQ(read.MinPrice, whole.MinPrice);
  std::string content;
  ASSERT_TRUE(platform::ReadWholeFile(path, content));
  EXPECT_NE(content.find("Login=me"), std::string::npos);
}

}  // namespace
