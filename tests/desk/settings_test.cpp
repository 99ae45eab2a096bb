// The settings file: its path rule, and values read and written through the
// platform's profile functions (the real ones under Windows).
#include "desk/Settings.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "DeskFakes.h"
#include "desk/DeskSettings.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "support/TempDir.h"

namespace {

std::string AbsoluteFile(const TempDir& dir, const std::string& name) {
  return std::filesystem::absolute(dir.file(name)).string();
}

TEST(SettingsPath, CutsBeforeTheLastDotOfTheWholePath) {
  EXPECT_EQ(SettingsPathFor("C:\\Taxi\\desk.exe"), "C:\\Taxi\\desk.ini");
  EXPECT_EQ(SettingsPathFor("/opt/my.desk/desk"), "/opt/my.ini");
  EXPECT_EQ(SettingsPathFor("/opt/desk/desk"), "");
  EXPECT_EQ(SettingsFilePath(), SettingsPathFor(platform::ExecutablePath()));
}

TEST(SettingsFile, WithoutAPathNothingIsReadOrWritten) {
  IniFile ini{"host", "1", "me", "pw"};
  ReadIniFrom(ini, "");
  EXPECT_EQ(ini.IPAddress, "host");
  EXPECT_EQ(ini.Password, "pw");
  WriteIniTo(ini, "");  // must not create a file named ".ini" or similar
  EXPECT_FALSE(std::filesystem::exists(".ini"));
}

TEST(SettingsFile, MissingFileOrSectionReadsAsEmptyFields) {
  TempDir dir;
  IniFile ini{"host", "1", "me", "pw"};
  ReadIniFrom(ini, AbsoluteFile(dir, "none.ini"));
  EXPECT_EQ(ini.IPAddress, "");
  EXPECT_EQ(ini.Port, "");
  EXPECT_EQ(ini.Login, "");
  EXPECT_EQ(ini.Password, "");

  const std::string path = AbsoluteFile(dir, "other.ini");
  ASSERT_TRUE(platform::WriteWholeFile(path, "[Other]\r\nIPAddress=elsewhere\r\n"));
  ini = IniFile{"host", "1", "me", "pw"};
  ReadIniFrom(ini, path);
  EXPECT_EQ(ini.IPAddress, "");
  EXPECT_EQ(ini.Login, "");
}

TEST(SettingsFile, RoundTripsAndCutsLongValuesAt2549Characters) {
  TempDir dir;
  const std::string path = AbsoluteFile(dir, "desk.ini");
  const std::string longLogin(3000, 'L');
  IniFile written{"exchange.example", "abc", longLogin, "pa=ss \xD0\xE0\xE7"};
  WriteIniTo(written, path);
  IniFile read;
  ReadIniFrom(read, path);
  EXPECT_EQ(read.IPAddress, "exchange.example");
  EXPECT_EQ(read.Port, "abc");
  EXPECT_EQ(read.Login, std::string(2549, 'L'));
  EXPECT_EQ(read.Password, "pa=ss \xD0\xE0\xE7");

  // A second save replaces the values instead of adding keys.
  written.IPAddress = "127.0.0.1";
  written.Login = "";
  WriteIniTo(written, path);
  ReadIniFrom(read, path);
  EXPECT_EQ(read.IPAddress, "127.0.0.1");
  EXPECT_EQ(read.Login, "");
  std::string content;
  ASSERT_TRUE(platform::ReadWholeFile(path, content));
  EXPECT_EQ(content.find("IPAddress="), content.rfind("IPAddress="));
}

TEST(SettingsFile, KeepsEverythingElseOfAFileWrittenOnWindows) {
  TempDir dir;
  const std::string path = AbsoluteFile(dir, "desk.ini");
  ASSERT_TRUE(platform::WriteWholeFile(path,
                                       "[Other]\r\n"
                                       "IPAddress=elsewhere\r\n"
                                       "[common]\r\n"
                                       "Port = 7001 \r\n"
                                       "Login=\"operator\"\r\n"
                                       "[Last]\r\n"
                                       "Key=kept\r\n"));
  IniFile ini;
  ReadIniFrom(ini, path);
  EXPECT_EQ(ini.IPAddress, "");
  EXPECT_EQ(ini.Port, "7001");
  EXPECT_EQ(ini.Login, "operator");
  EXPECT_EQ(ini.Password, "");

  ini.IPAddress = "10.0.0.5";
  ini.Password = "secret";
  WriteIniTo(ini, path);

  std::string content;
  ASSERT_TRUE(platform::ReadWholeFile(path, content));
  EXPECT_NE(content.find("[Other]\r\nIPAddress=elsewhere\r\n"), std::string::npos) << content;
  EXPECT_NE(content.find("[Last]\r\nKey=kept\r\n"), std::string::npos) << content;
  for (std::size_t i = content.find('\n'); i != std::string::npos; i = content.find('\n', i + 1)) {
    ASSERT_TRUE(i > 0 && content[i - 1] == '\r') << "bare line feed at " << i << " in " << content;
  }
  EXPECT_EQ(platform::ReadProfileValue("Other", "IPAddress", path), "elsewhere");
  EXPECT_EQ(platform::ReadProfileValue("Last", "Key", path), "kept");
  IniFile again;
  ReadIniFrom(again, path);
  EXPECT_EQ(again.IPAddress, "10.0.0.5");
  EXPECT_EQ(again.Port, "7001");
  EXPECT_EQ(again.Login, "operator");
  EXPECT_EQ(again.Password, "secret");
}

TEST(DeskSection, RoundTripsPlaceColumnsAndSortBesideTheConnectionFields) {
  TempDir dir;
  const std::string path = AbsoluteFile(dir, "desk.ini");
  WriteIniTo(IniFile{"h", "1", "me", "pw"}, path);
  DeskSettings written;
  written.window = {-20, 30, 900, 700, true};
  FakeListView list;
  SetColumn(list);
  list.SetColumnWidth(9, 123);
  list.SetColumnWidth(0, 50);  // the id column is never shown
  for (int c = kOrderColumnCount - 1; c >= 0; --c) list.order.push_back(c);
  ReadListColumns(list, written.myOrders);
  written.myOrders.sort = {9, true};
  written.quietSuccess = true;
  written.sound = false;
  WriteDeskSettingsTo(written, path);

  const DeskSettings read = ReadDeskSettingsFrom(path);
  EXPECT_EQ(read.window.left, -20);
  EXPECT_EQ(read.window.height, 700);
  EXPECT_TRUE(read.window.maximized);
  EXPECT_TRUE(read.quietSuccess);
  EXPECT_FALSE(read.sound);
  EXPECT_TRUE(read.newOrders.widths.empty());
  FakeListView restored;
  SetColumn(restored);
  ApplyListColumns(restored, read.myOrders);
  EXPECT_EQ(restored.ColumnWidth(9), 123);
  EXPECT_EQ(restored.ColumnWidth(0), 0);
  EXPECT_EQ(restored.order, list.order);
  EXPECT_EQ(restored.sortArrow, std::make_pair(9, -1));
  IniFile ini;
  ReadIniFrom(ini, path);
  EXPECT_EQ(ini.Login, "me");
}

TEST(DeskSection, DamagedOrMissingValuesGiveTheDefaults) {
  TempDir dir;
  const std::string path = AbsoluteFile(dir, "desk.ini");
  const std::string twentyThree = "0,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22";
  const char* damaged[][2] = {
      {"Window", "10,10,0,500"},
      {"Window", "1,2,3"},
      {"Window", "a,b,c,d"},
      {"Window", "99999999999,0,800,600"},
      {"NewOrdersWidths", "80,80"},
      {"NewOrdersWidths", ""},
      {"NewOrdersOrder", "0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0"},
      {"NewOrdersOrder", twentyThree.c_str()},
      {"NewOrdersSort", "24,0"},
      {"NewOrdersSort", "9,2"},
      {"NewOrdersSort", "9,"},
      {"QuietSuccess", "yes"},
      {"Sound", "no"},
  };
  for (const auto& entry : damaged) {
    ASSERT_TRUE(platform::WriteWholeFile(path, std::string("[Desk]\r\n") + entry[0] + "=" + entry[1] + "\r\n"));
    const DeskSettings read = ReadDeskSettingsFrom(path);
    EXPECT_EQ(read.window.width, 0) << entry[0] << "=" << entry[1];
    EXPECT_TRUE(read.newOrders.widths.empty() && read.newOrders.order.empty()) << entry[1];
    EXPECT_EQ(read.newOrders.sort.column, -1) << entry[1];
    EXPECT_FALSE(read.quietSuccess);
    EXPECT_TRUE(read.sound);
  }
  EXPECT_EQ(ReadDeskSettingsFrom(AbsoluteFile(dir, "none.ini")).window.width, 0);
}

TEST(DeskSection, ASavedPlaceIsBroughtOntoTheScreen) {
  const ScreenArea screen{0, 0, 1280, 1000};
  const struct {
    WindowPlacement saved;
    WindowPlacement fitted;
  } cases[] = {
      {{100, 50, 800, 600, false}, {100, 50, 800, 600, false}},
      {{-300, -40, 800, 600, true}, {0, 0, 800, 600, true}},        // off the top left
      {{1200, 900, 800, 600, false}, {480, 400, 800, 600, false}},  // off the bottom right
      {{10, 10, 5000, 4000, false}, {0, 0, 1280, 1000, false}},     // larger than the screen
      {{10, 10, 100, 100, false}, {10, 10, 762, 560, false}},       // below the smallest size
  };
  for (const auto& c : cases) {
    const WindowPlacement got = FitOnScreen(c.saved, screen, 762, 560);
    EXPECT_EQ(std::vector<int>({got.left, got.top, got.width, got.height, got.maximized}),
              std::vector<int>({c.fitted.left, c.fitted.top, c.fitted.width, c.fitted.height, c.fitted.maximized}))
        << c.saved.left << "," << c.saved.top;
  }
}

#if !defined(_WIN32)
// The POSIX profile writer edits the file in place, as Windows does.
TEST(ProfileFile, CommentsAndLineEndsOfOtherLinesStayByteForByte) {
  TempDir dir;
  const std::string path = AbsoluteFile(dir, "desk.ini");
  ASSERT_TRUE(platform::WriteWholeFile(path,
                                       "; settings of the desk\r\n"
                                       "[Common]\r\n"
                                       "; the exchange\r\n"
                                       "IPAddress=old\r\n"
                                       "\r\n"
                                       "[Tail]\n"
                                       "x=1"));
  ASSERT_TRUE(platform::WriteProfileValue("Common", "IPAddress", "new", path));
  ASSERT_TRUE(platform::WriteProfileValue("Common", "Port", "7001", path));
  ASSERT_TRUE(platform::WriteProfileValue("Fresh", "Key", "line\r\nInjected=1", path));
  std::string content;
  ASSERT_TRUE(platform::ReadWholeFile(path, content));
  EXPECT_EQ(content,
            "; settings of the desk\r\n"
            "[Common]\r\n"
            "; the exchange\r\n"
            "IPAddress=new\r\n"
            "Port=7001\r\n"
            "\r\n"
            "[Tail]\n"
            "x=1\r\n"
            "[Fresh]\r\n"
            "Key=line\r\n");
  EXPECT_EQ(platform::ReadProfileValue("Fresh", "Injected", path), "");
}
#endif

}  // namespace
