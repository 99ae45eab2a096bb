// The settings file through the platform's profile functions (the real ones under Windows): its path, the connection
// fields, the [Desk] and [AutoAccept] sections, damaged values; the place on screen and auto-accept's match of an
// offer.
#include "desk/Settings.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "DeskFakes.h"
#include "desk/AutoAccept.h"
#include "desk/DeskSettings.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "support/TempDir.h"

namespace {

std::vector<std::string> Of(const IniFile& ini) { return {ini.IPAddress, ini.Port, ini.Login, ini.Password}; }

class SettingsFile : public ::testing::Test {
 protected:
  std::string Written(const std::string& content) { return platform::WriteWholeFile(path, content) ? path : ""; }
  std::string Content() {
    std::string c;
    return platform::ReadWholeFile(path, c) ? c : "(unreadable)";
  }
  TempDir dir;
  const std::string path = std::filesystem::absolute(dir.file("desk.ini")).string();
};

TEST_F(SettingsFile, PathAndConnectionFieldsRoundTripCutAt2549CharactersBesideTheRestOfAWindowsFile) {
  EXPECT_EQ(Fields(SettingsPathFor("C:\\Taxi\\desk.exe"), SettingsPathFor("/opt/my.desk/desk"),
                   SettingsPathFor("/opt/desk/desk"), SettingsFilePath()),
            Fields("C:\\Taxi\\desk.ini", "/opt/my.ini", "", SettingsPathFor(platform::ExecutablePath())));
  // Without a path nothing is read or written; without the section all is empty.
  for (const std::string& source : {std::string(), path + ".none", Written("[Other]\r\nIPAddress=elsewhere\r\n")}) {
    IniFile ini{"host", "1", "me", "pw"};
    ReadIniFrom(ini, source);
    WriteIniTo(ini, "");  // must not create a file named ".ini" or similar
    EXPECT_EQ(Of(ini), source.empty() ? Of({"host", "1", "me", "pw"}) : Of({})) << source;
  }
  EXPECT_FALSE(std::filesystem::exists(".ini"));
  IniFile ini;
  const auto read = [&] { return ReadIniFrom(ini, path), Of(ini); };
  Written("[Other]\r\nIPAddress=elsewhere\r\n[common]\r\nPort = 7001 \r\nLogin=\"operator\"\r\n[Last]\r\nKey=kept\r\n");
  EXPECT_EQ(read(), Of({"", "7001", "operator", ""}));
  WriteIniTo({"exchange.example", "7001", std::string(3000, 'L'), "pa=ss \xD0\xE0\xE7"}, path);
  EXPECT_EQ(read(), Of({"exchange.example", "7001", std::string(2549, 'L'), "pa=ss \xD0\xE0\xE7"}));
  WriteIniTo({"10.0.0.5", "7001", "", "pa=ss"}, path);  // a second save replaces the values instead of adding keys
  EXPECT_EQ(read(), Of({"10.0.0.5", "7001", "", "pa=ss"}));
  EXPECT_EQ(Content(),
            "[Other]\r\nIPAddress=elsewhere\r\n[common]\r\nPort=7001\r\nLogin=\r\nIPAddress=10.0.0.5\r\n"
            "Password=pa=ss\r\n[Last]\r\nKey=kept\r\n");
#if !defined(_WIN32)
  // The POSIX profile writer edits the file in place, as Windows does.
  Written("; settings of the desk\r\n[Common]\r\n; the exchange\r\nIPAddress=old\r\n\r\n[Tail]\nx=1");
  ASSERT_TRUE(platform::WriteProfileValue("Common", "IPAddress", "new", path));
  ASSERT_TRUE(platform::WriteProfileValue("Common", "Port", "7001", path));
  ASSERT_TRUE(platform::WriteProfileValue("Fresh", "Key", "line\r\nInjected=1", path));
  EXPECT_EQ(Content(),
            "; settings of the desk\r\n[Common]\r\n; the exchange\r\nIPAddress=new\r\nPort=7001\r\n\r\n"
            "[Tail]\nx=1\r\n[Fresh]\r\nKey=line\r\n");
#endif
}

TEST_F(SettingsFile, DeskSectionRoundTripsBesideTheConnectionFieldsDamagedValuesGiveDefaultsAPlaceIsFitOnScreen) {
  WriteIniTo(IniFile{"h", "1", "me", "pw"}, path);
  DeskSettings written;
  written.window = {-20, 30, 900, 700, true}, written.quietSuccess = true, written.sound = false;
  FakeListView list, restored;
  SetColumn(list), SetColumn(restored);
  list.SetColumnWidth(9, 123), list.SetColumnWidth(0, 50);  // the id column is never shown
  for (int c = kOrderColumnCount - 1; c >= 0; --c) list.order.push_back(c);
  ReadListColumns(list, written.myOrders);
  written.myOrders.sort = {9, true};
  WriteDeskSettingsTo(written, path);
  const DeskSettings read = ReadDeskSettingsFrom(path);
  ApplyListColumns(restored, read.myOrders);
  const WindowPlacement& w = read.window;
  EXPECT_EQ(
      Fields(w.left, w.top, w.width, w.height, w.maximized, read.quietSuccess, read.sound, read.newOrders.widths.size(),
             restored.ColumnWidth(9), restored.ColumnWidth(0), restored.sortArrow.first, restored.sortArrow.second,
             restored.order == list.order, platform::ReadProfileValue("Common", "Login", path)),
      Fields(-20, 30, 900, 700, true, true, false, 0, 123, 0, 9, -1, true, "me"));
  for (const char* entry :
       {"Window=10,10,0,500", "Window=1,2,3", "Window=a,b,c,d", "Window=99999999999,0,800,600", "NewOrdersWidths=80,80",
        "NewOrdersWidths=", "NewOrdersOrder=0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0",
        "NewOrdersOrder=0,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22", "NewOrdersSort=24,0",
        "NewOrdersSort=9,2", "NewOrdersSort=9,", "QuietSuccess=yes", "Sound=no"}) {
    const DeskSettings read = ReadDeskSettingsFrom(Written(std::string("[Desk]\r\n") + entry + "\r\n"));
    EXPECT_EQ(Fields(read.window.width, read.newOrders.widths.size(), read.newOrders.order.size(),
                     read.newOrders.sort.column, read.quietSuccess, read.sound),
              Fields(0, 0, 0, -1, false, true))
        << entry;
  }
  const std::pair<WindowPlacement, WindowPlacement> cases[] = {
      {{100, 50, 800, 600, false}, {100, 50, 800, 600, false}},
      {{-300, -40, 800, 600, true}, {0, 0, 800, 600, true}},        // off the top left
      {{1200, 900, 800, 600, false}, {480, 400, 800, 600, false}},  // off the bottom right
      {{10, 10, 5000, 4000, false}, {0, 0, 1280, 1000, false}},     // larger than the screen
      {{10, 10, 100, 100, false}, {10, 10, 762, 560, false}},       // below the smallest size
  };
  const auto shown = [](const WindowPlacement& p) { return Fields(p.left, p.top, p.width, p.height, p.maximized); };
  for (const auto& [saved, fitted] : cases)
    EXPECT_EQ(shown(FitOnScreen(saved, {0, 0, 1280, 1000}, 762, 560)), shown(fitted));
}

// A whole record after its read's problem: enabled, cities, carrier types, price, preliminary, limit.
std::vector<std::string> Shown(const AutoAcceptRules& r, const std::string& problem = "") {
  return Fields(problem, r.Enabled, IdListText(r.Cities), IdListText(r.CarrierTypes), MinPriceText(r.MinPrice),
                static_cast<int>(r.Preliminary), r.MaxOpen);
}

TEST_F(SettingsFile, AutoAcceptMatchesAnOfferFieldByFieldAndItsSectionReadsWholeOrNamesADamagedValueAndStaysOff) {
  using P = PreliminaryRule;
  constexpr std::int64_t kLater = 2000000000;  // a preliminary time the lists show
  // Rules: enabled, cities, carrier types, minimum price, preliminary; then the offer's fields.
  const std::tuple<const char*, AutoAcceptRules, std::int32_t, std::int32_t, float, std::int64_t, bool> cases[] = {
      {"empty lists take any", {true, {}, {}, 0, P::Any}, 9, 9, 0, 0, true},
      {"city not listed", {true, {1, 7}, {}, 0, P::Any}, 2, 9, 10, 0, false},
      {"type not listed", {true, {}, {2}, 0, P::Any}, 9, 3, 10, 0, false},
      {"price a kopeck below", {true, {}, {}, 300, P::Any}, 1, 1, 299.99f, 0, false},
      {"float below its decimal", {true, {}, {}, 3.3, P::Any}, 1, 1, 3.3f, 0, true},
      {"now refuses preliminary", {true, {}, {}, 0, P::Now}, 1, 1, 1, kLater, false},
      {"later takes preliminary", {true, {}, {}, 0, P::Later}, 1, 1, 1, kLater, true},
      {"later refuses now", {true, {}, {}, 0, P::Later}, 1, 1, 1, 0, false},
      {"all fields pass, the price at the minimum", {true, {1, 7}, {2}, 250.5, P::Now}, 7, 2, 250.5f, 0, true},
  };
  for (const auto& [what, rules, city, type, price, time, match] : cases) {
    KestoOrder offer;
    offer.CityIdFrom = city, offer.CarrierType = type, offer.Price = price, offer.PreliminaryTime = time;
    EXPECT_EQ(RulesMatch(rules, offer), match) << what;
  }
  AutoAcceptRules rules, written;
  EXPECT_EQ(Shown(rules, ReadAutoAcceptFrom(rules, path + ".none")), Fields("", 0, "", "", "0.00", 0, 3));
  Written(
      "[AutoAccept]\r\nEnabled=1\r\nCities= 1, 7\r\nCarrierTypes=2\r\nMinPrice=300,50\r\nPreliminary=later\r\n"
      "MaxOpen=0\r\n");
  EXPECT_EQ(Shown(rules, ReadAutoAcceptFrom(rules, path)), Fields("", 1, "1,7", "2", "300.50", 2, 0));
  for (const std::string entry : {"Enabled=yes", "Cities=1,x", "Cities=1,,2", "CarrierTypes=-2", "MinPrice=сто",
                                  "MinPrice=1e99", "Preliminary=soon", "MaxOpen=-1"}) {
    const std::string problem =
        ReadAutoAcceptFrom(rules, Written("[Common]\r\nLogin=me\r\n[AutoAccept]\r\n" + entry + "\r\nEnabled=1\r\n"));
    EXPECT_EQ(problem + (rules.Enabled ? " and on" : ""),
              "Автопринятие выключено: в файле настроек неверное значение " + entry);
  }
  // Written back whole beside the rest of the file.
  written.Enabled = true, written.CarrierTypes = {4, 5}, written.MinPrice = 99.9,
  written.Preliminary = PreliminaryRule::Now;
  WriteAutoAcceptTo(written, path);
  EXPECT_EQ(Shown(rules, ReadAutoAcceptFrom(rules, path)), Shown(written));
  EXPECT_EQ(platform::ReadProfileValue("Common", "Login", path), "me");
}

}  // namespace
