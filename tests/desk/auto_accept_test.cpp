// Auto-accept's rules: the match of an offer field by field and together,
// and the [AutoAccept] section read, damaged and written back.
#include <gtest/gtest.h>

#include <filesystem>

#include "desk/AutoAccept.h"
#include "platform/files.h"
#include "support/TempDir.h"

namespace {

constexpr std::int64_t kTomorrowish = 2000000000;  // a preliminary time the lists show

KestoOrder Offer(std::int32_t city, std::int32_t carrierType, float price, std::int64_t preliminary = 0) {
  KestoOrder offer;
  offer.CityIdFrom = city;
  offer.CarrierType = carrierType;
  offer.Price = price;
  offer.PreliminaryTime = preliminary;
  return offer;
}

AutoAcceptRules Rules(std::set<std::int32_t> cities, std::set<std::int32_t> types, double minPrice,
                      PreliminaryRule preliminary = PreliminaryRule::Any) {
  AutoAcceptRules rules;
  rules.Cities = cities;
  rules.CarrierTypes = types;
  rules.MinPrice = minPrice;
  rules.Preliminary = preliminary;
  return rules;
}

TEST(AutoAcceptRules, EachFieldAloneAndTogether) {
  const struct {
    const char* what;
    AutoAcceptRules rules;
    KestoOrder offer;
    bool match;
  } cases[] = {
      {"empty lists take any", Rules({}, {}, 0), Offer(9, 9, 0), true},
      {"city listed", Rules({1, 7}, {}, 0), Offer(7, 9, 10), true},
      {"city not listed", Rules({1, 7}, {}, 0), Offer(2, 9, 10), false},
      {"type listed", Rules({}, {2}, 0), Offer(9, 2, 10), true},
      {"type not listed", Rules({}, {2}, 0), Offer(9, 3, 10), false},
      {"price at the minimum", Rules({}, {}, 300), Offer(1, 1, 300.0f), true},
      {"price a kopeck below", Rules({}, {}, 300), Offer(1, 1, 299.99f), false},
      {"float below its decimal", Rules({}, {}, 3.3), Offer(1, 1, 3.3f), true},
      {"now takes no time", Rules({}, {}, 0, PreliminaryRule::Now), Offer(1, 1, 1), true},
      {"now refuses preliminary", Rules({}, {}, 0, PreliminaryRule::Now), Offer(1, 1, 1, kTomorrowish), false},
      {"later takes preliminary", Rules({}, {}, 0, PreliminaryRule::Later), Offer(1, 1, 1, kTomorrowish), true},
      {"later refuses now", Rules({}, {}, 0, PreliminaryRule::Later), Offer(1, 1, 1), false},
      {"all fields pass", Rules({1}, {2}, 250.5, PreliminaryRule::Now), Offer(1, 2, 250.5f), true},
      {"all but the price", Rules({1}, {2}, 250.5, PreliminaryRule::Now), Offer(1, 2, 250.49f), false},
      {"all but the city", Rules({1}, {2}, 250.5, PreliminaryRule::Now), Offer(4, 2, 900), false},
  };
  for (const auto& c : cases) EXPECT_EQ(RulesMatch(c.rules, c.offer), c.match) << c.what;
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
