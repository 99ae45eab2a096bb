// The settings file: its path rule, and values read and written through the
// platform's profile functions (the real ones under Windows).
#include "desk/Settings.h"

#include <gtest/gtest.h>

#include <filesystem>

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
                                       "[Desk]\r\n"
                                       "Sound=0\r\n"
                                       "[Last]\r\n"
                                       "Key=kept\r\n"));
  IniFile ini;
  ReadIniFrom(ini, path);
  DeskSettings desk;
  ReadDeskSettingsFrom(desk, path);
  EXPECT_FALSE(desk.Sound);
  EXPECT_EQ(ini.IPAddress, "");
  EXPECT_EQ(ini.Port, "7001");
  EXPECT_EQ(ini.Login, "operator");
  EXPECT_EQ(ini.Password, "");

  ini.IPAddress = "10.0.0.5";
  ini.Password = "secret";
  WriteIniTo(ini, path);
  desk.Sound = true;
  WriteDeskSettingsTo(desk, path);

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
  EXPECT_EQ(platform::ReadProfileValue("Desk", "Sound", path), "1");
  // Without the key, or with a value it does not know, the sound stays on.
  for (const char* value : {"", "yes"}) {
    platform::WriteProfileValue("Desk", "Sound", value, path);
    DeskSettings read;
    read.Sound = true;
    ReadDeskSettingsFrom(read, path);
    EXPECT_TRUE(read.Sound) << value;
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
