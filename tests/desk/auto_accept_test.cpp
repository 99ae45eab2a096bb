// Auto-accept's rules: the match of an offer field by field, and the
// [AutoAccept] section read, damaged and written back.
#include <gtest/gtest.h>

#include <filesystem>

#include "desk/AutoAccept.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "support/TempDir.h"

namespace {

TEST(AutoAcceptRules, EachFieldAloneAndTogether) {
  using P = PreliminaryRule;
  constexpr std::int64_t kLater = 2000000000;  // a preliminary time the lists show
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
      {"now refuses preliminary", {true, {}, {}, 0, P::Now}, 1, 1, 1, kLater, false},
      {"later takes preliminary", {true, {}, {}, 0, P::Later}, 1, 1, 1, kLater, true},
      {"later refuses now", {true, {}, {}, 0, P::Later}, 1, 1, 1, 0, false},
      {"all fields pass", {true, {1}, {2}, 250.5, P::Now}, 1, 2, 250.5f, 0, true},
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

TEST(AutoAcceptSettings, ReadsTheSectionAndADamagedValueIsNamedAndLeavesItOff) {
  TempDir dir;
  const std::string path = std::filesystem::absolute(dir.file("desk.ini")).string();
  const std::string damaged = "Автопринятие выключено: в файле настроек неверное значение ";
  // A sound section reads whole; after a damaged value, what the problem names.
  const std::pair<const char*, std::string> cases[] = {
      {"", "0 [] [] 0.00 0 3"},
      {"Enabled=1\r\nCities= 1, 7\r\nCarrierTypes=2\r\nMinPrice=300,50\r\nPreliminary=later\r\nMaxOpen=0\r\n",
       "1 [1,7] [2] 300.50 2 0"},
      {"Enabled=yes\r\n", "Enabled=yes"},
      {"Enabled=1\r\nCities=1,x\r\n", "Cities=1,x"},
      {"Enabled=1\r\nCities=1,,2\r\n", "Cities=1,,2"},
      {"Enabled=1\r\nCarrierTypes=-2\r\n", "CarrierTypes=-2"},
      {"Enabled=1\r\nMinPrice=сто\r\n", "MinPrice=сто"},
      {"Enabled=1\r\nMinPrice=1e99\r\n", "MinPrice=1e99"},
      {"Enabled=1\r\nPreliminary=soon\r\n", "Preliminary=soon"},
      {"Enabled=1\r\nMaxOpen=-1\r\n", "MaxOpen=-1"},
  };
  for (const auto& [section, read] : cases) {
    ASSERT_TRUE(platform::WriteWholeFile(path, std::string("[Common]\r\nLogin=me\r\n[AutoAccept]\r\n") + section));
    AutoAcceptRules rules;
    const std::string problem = ReadAutoAcceptFrom(rules, path);
    EXPECT_EQ(problem.empty() ? Shown(rules) : (rules.Enabled ? "on " : "") + problem.substr(damaged.size()), read);
    EXPECT_EQ(problem.substr(0, damaged.size()), problem.empty() ? "" : damaged);
  }
  // Written back whole beside the rest of the file.
  AutoAcceptRules written, read;
  written.Enabled = true, written.CarrierTypes = {4, 5}, written.MinPrice = 99.9,
  written.Preliminary = PreliminaryRule::Now;
  WriteAutoAcceptTo(written, path);
  EXPECT_EQ(ReadAutoAcceptFrom(read, path), "");
  EXPECT_EQ(Shown(read) + " " + platform::ReadProfileValue("Common", "Login", path), Shown(written) + " me");
}

}  // namespace
