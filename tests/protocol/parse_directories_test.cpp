// Directory messages: name order, atoi keys, null directories, replacement,
// the login answer; and the malformed blocks that must change nothing.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "client/DebugLog.h"
#include "client/KestoBrimoClientAsync.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "support/ClientTestAccess.h"
#include "support/TempDir.h"

using Access = KestoBrimoClientTestAccess;

namespace {

std::string Block(const std::string& text) { return platform::Utf8FromAnsi(text); }

std::string DirectoryMessage(std::uint32_t commandId, int status, const std::string& carriers,
                             const std::string& states, const std::string& cities, const std::string& services) {
  return Block("{\"reason\":2,\"CommandId\":" + std::to_string(commandId) + ",\"CommandCode\":2,\"Num\":0," +
               "\"OperationStatus\":" + std::to_string(status) + ",\"CarrierTypeDirectory\":" + carriers +
               ",\"OrderStatusDirectory\":" + states + ",\"CityDirectory\":" + cities +
               ",\"ClientDbDirectory\":" + services + "}");
}

const char* const kService15 =
    "{\"15\":{\"ClientId\":16,\"FullName\":\"ООО Такси\",\"ShortName\":\"Такси\",\"LeaderName\":\"Иванов\","
    "\"Comment\":\"\",\"TimeZone\":3,\"CityIdList\":{\"12\":0,\"3\":\"x\",\"7\":[]}}}";

std::string FirstDirectories() {
  return DirectoryMessage(5, 1, "{\"1\":\"Легковой\",\"2\":\"Минивэн\"}", "{\"0\":\"Новый\"}",
                          "{\"10\":\"Тверь\",\"2\":\"Москва\"}", kService15);
}

TEST(ParseDirectories, FillsAllFourMapsKeyedByTheNamesNumbers) {
  KestoBrimoClientAsync client;
  ASSERT_EQ(client.ParseBlock(FirstDirectories()), KBRStatus_Ok);
  EXPECT_EQ(client.GetCarrierTypeDirectory(),
            (std::map<std::int32_t, std::string>{{1, "Легковой"}, {2, "Минивэн"}}));
  EXPECT_EQ(client.GetOrderStatusDirectory(), (std::map<std::int32_t, std::string>{{0, "Новый"}}));
  const auto cities = client.GetCityDirectory();
  ASSERT_EQ(cities.size(), 2u);
  EXPECT_EQ(cities.begin()->first, 2);  // iterated 2 then 10
  EXPECT_EQ(client.GetCity(10), "Тверь");

  const auto services = client.GetTaxiDirectory();
  ASSERT_EQ(services.count(15), 1u);
  const KestoDirectoryItem& item = services.at(15);
  EXPECT_EQ(item.ClientId, 16);  // the key is the member name, not "ClientId"
  EXPECT_EQ(item.FullName, "ООО Такси");
  EXPECT_EQ(item.ShortName, "Такси");
  EXPECT_EQ(item.LeaderName, "Иванов");
  EXPECT_EQ(item.Comment, "");
  EXPECT_EQ(item.TimeZone, 3);
  EXPECT_EQ(item.CityIdList, (std::vector<std::int32_t>{12, 3, 7}));  // byte order of the names

  KestoBrimo_AsyncResponce record;
  ASSERT_TRUE(client.GetClientResponce(record));  // CommandId 5 is an ordinary answer
  EXPECT_EQ(record.reason, 2);
  EXPECT_FALSE(client.Authorized.load());
}

TEST(ParseDirectories, NamesFollowTheAtoiRuleAndLaterNamesOfTheSameNumberWin) {
  KestoBrimoClientAsync client;
  ASSERT_EQ(client.ParseBlock(DirectoryMessage(
                5, 1, "{\"abc\":\"нет цифр\",\" 42x\":\"сорок два\",\"-5\":\"минус\",\"+6\":\"плюс\"}",
                "{\"07\":\"раньше\",\"7\":\"позже\"}", "{\"2147483647\":\"край\",\"-2147483648\":\"другой\"}",
                "{\"abc\":{\"ClientId\":1,\"TimeZone\":0,\"CityIdList\":{\"x\":1,\"09\":1}}}")),
            KBRStatus_Ok);
  EXPECT_EQ(client.GetCarrierTypeDirectory(),
            (std::map<std::int32_t, std::string>{{0, "нет цифр"}, {42, "сорок два"}, {-5, "минус"}, {6, "плюс"}}));
  EXPECT_EQ(client.GetOrderStatusDirectory(), (std::map<std::int32_t, std::string>{{7, "позже"}}));
  EXPECT_EQ(client.GetCity(2147483647), "край");
  EXPECT_EQ(client.GetCity(-2147483647 - 1), "другой");
  EXPECT_EQ(client.GetTaxiDirectory().at(0).CityIdList, (std::vector<std::int32_t>{9, 0}));
}

TEST(ParseDirectories, ASecondMessageReplacesEveryEntryAndNullEmptiesOneMap) {
  KestoBrimoClientAsync client;
  ASSERT_EQ(client.ParseBlock(FirstDirectories()), KBRStatus_Ok);
  ASSERT_EQ(client.ParseBlock(DirectoryMessage(6, 1, "{\"3\":\"Грузовой\"}", "null", "{\"5\":\"Псков\"}",
                                               "{\"20\":{\"ClientId\":20,\"TimeZone\":0,\"CityIdList\":null}}")),
            KBRStatus_Ok);
  EXPECT_EQ(client.GetCarrierTypeDirectory(), (std::map<std::int32_t, std::string>{{3, "Грузовой"}}));
  EXPECT_TRUE(client.GetOrderStatusDirectory().empty());
  EXPECT_EQ(client.GetCityDirectory(), (std::map<std::int32_t, std::string>{{5, "Псков"}}));
  EXPECT_EQ(client.GetCity(2), "");
  const auto services = client.GetTaxiDirectory();
  ASSERT_EQ(services.size(), 1u);
  EXPECT_TRUE(services.at(20).CityIdList.empty());
  EXPECT_EQ(services.at(20).FullName, "");
}

TEST(ParseDirectories, TheLoginAnswerIsAbsorbedButOthersAreQueued) {
  KestoBrimoClientAsync client;
  ASSERT_EQ(client.ParseBlock(DirectoryMessage(0, 0, "{}", "{}", "{\"1\":\"Москва\"}", "{}")), KBRStatus_Ok);
  EXPECT_TRUE(client.Authorized.load());
  EXPECT_EQ(client.GetCity(1), "Москва");
  KestoBrimo_AsyncResponce record;
  EXPECT_FALSE(client.GetClientResponce(record));

  // A refused login still replaces the directories, and is queued.
  KestoBrimoClientAsync refused;
  ASSERT_EQ(refused.ParseBlock(DirectoryMessage(0, -7, "{}", "{}", "{\"2\":\"Тверь\"}", "{}")), KBRStatus_Ok);
  EXPECT_FALSE(refused.Authorized.load());
  EXPECT_EQ(refused.GetCity(2), "Тверь");
  ASSERT_TRUE(refused.GetClientResponce(record));
  EXPECT_EQ(record.OperationStatus, -7);

  // An answer to an ordinary directory request is queued.
  KestoBrimoClientAsync asked;
  ASSERT_EQ(asked.ParseBlock(DirectoryMessage(5, 0, "{}", "{}", "{}", "{}")), KBRStatus_Ok);
  EXPECT_TRUE(asked.GetClientResponce(record));
  EXPECT_EQ(record.CommandId, 5u);
}

// Blocks that are not JSON, or whose members do not convert. Written in code page 1251.
const char* const kMalformed[] = {
    // not JSON at all
    "", " ", "{", "}", "not json", "{\"reason\":7,\"CommandId\":1", "{\"reason\":7,}", "{'reason':7}",
    "{\"reason\":7,\"CommandId\":1,\"CommandCode\":1,\"Num\":0,\"OperationStatus\":0} tail",
    "{\"reason\":7,\"CommandId\":1,\"CommandCode\":1,\"Num\":0,\"OperationStatus\":0}{}",
    "/*c*/{\"reason\":7,\"CommandId\":1,\"CommandCode\":1,\"Num\":0,\"OperationStatus\":0}",
    "{\"reason\":NaN,\"CommandId\":1,\"CommandCode\":1,\"Num\":0,\"OperationStatus\":0}",
    "{\"reason\":1e400,\"CommandId\":1,\"CommandCode\":1,\"Num\":0,\"OperationStatus\":0}",
    // roots that are not objects
    "[]", "[{\"reason\":7}]", "5", "\"text\"", "null", "true",
    // envelope members absent, of the wrong type, or out of range
    "{\"CommandId\":1,\"CommandCode\":1,\"Num\":0,\"OperationStatus\":0}",
    "{\"reason\":7,\"CommandCode\":1,\"Num\":0,\"OperationStatus\":0}",
    "{\"reason\":7,\"CommandId\":1,\"Num\":0,\"OperationStatus\":0}",
    "{\"reason\":7,\"CommandId\":1,\"CommandCode\":1,\"OperationStatus\":0}",
    "{\"reason\":7,\"CommandId\":1,\"CommandCode\":1,\"Num\":0}",
    "{\"reason\":\"7\",\"CommandId\":1,\"CommandCode\":1,\"Num\":0,\"OperationStatus\":0}",
    "{\"reason\":7.5,\"CommandId\":1,\"CommandCode\":1,\"Num\":0,\"OperationStatus\":0}",
    "{\"reason\":2147483648,\"CommandId\":1,\"CommandCode\":1,\"Num\":0,\"OperationStatus\":0}",
    "{\"reason\":7,\"CommandId\":-1,\"CommandCode\":1,\"Num\":0,\"OperationStatus\":0}",
    "{\"reason\":7,\"CommandId\":4294967296,\"CommandCode\":1,\"Num\":0,\"OperationStatus\":0}",
    "{\"reason\":7,\"CommandId\":1,\"CommandCode\":[],\"Num\":0,\"OperationStatus\":0}",
    "{\"reason\":7,\"CommandId\":1,\"CommandCode\":1,\"Num\":{},\"OperationStatus\":0}",
    "{\"reason\":7,\"CommandId\":1,\"CommandCode\":1,\"Num\":-2147483649,\"OperationStatus\":0}",
    "{\"reason\":7,\"CommandId\":1,\"CommandCode\":1,\"Num\":0,\"OperationStatus\":99999999999999999999999}",
    "{\"reason\":7,\"CommandId\":1,\"CommandCode\":1,\"Num\":0,\"OperationStatus\":0,\"ErrorString\":5}",
    "{\"reason\":7,\"CommandId\":1,\"CommandCode\":1,\"Num\":0,\"OperationStatus\":0,\"ErrorString\":[\"a\"]}",
    // order and tariff members
    "{\"reason\":4,\"CommandId\":1,\"CommandCode\":1,\"Num\":0,\"OperationStatus\":0}",
    "{\"reason\":6,\"CommandId\":1,\"CommandCode\":1,\"Num\":0,\"OperationStatus\":0,\"OrderId\":\"815\"}",
    "{\"reason\":11,\"CommandId\":1,\"CommandCode\":1,\"Num\":0,\"OperationStatus\":0,\"BrimoOrderState\":0,"
    "\"Price\":1e39,\"PhoneId\":0,\"CarCallNumber\":0,\"StatusId\":0,\"OrderId\":0,\"Acceptor\":0,\"AcceptTime\":0,"
    "\"ServiceComission\":0,\"PublisherComission\":0,\"ToCarMin\":0,\"SetCarInfoTime\":0}",
    "{\"reason\":11,\"CommandId\":1,\"CommandCode\":1,\"Num\":0,\"OperationStatus\":0,\"BrimoOrderState\":0,"
    "\"Price\":0,\"PhoneId\":0,\"CarCallNumber\":0,\"StatusId\":0,\"OrderId\":0,\"Acceptor\":0,\"AcceptTime\":-1,"
    "\"ServiceComission\":0,\"PublisherComission\":0,\"ToCarMin\":0,\"SetCarInfoTime\":0}",
    "{\"reason\":11,\"CommandId\":1,\"CommandCode\":1,\"Num\":0,\"OperationStatus\":0,\"BrimoOrderState\":0,"
    "\"Price\":0,\"PhoneId\":0,\"CarCallNumber\":0,\"StatusId\":0,\"OrderId\":0,\"Acceptor\":0,\"AcceptTime\":0,"
    "\"ServiceComission\":0,\"PublisherComission\":0,\"ToCarMin\":0,\"SetCarInfoTime\":4294967296}",
    "{\"reason\":11,\"CommandId\":1,\"CommandCode\":1,\"Num\":0,\"OperationStatus\":0,\"BrimoOrderState\":0,"
    "\"Price\":0,\"PhoneId\":0,\"CarCallNumber\":0,\"StatusId\":0,\"OrderId\":0,\"Acceptor\":0,\"AcceptTime\":0,"
    "\"ServiceComission\":0,\"PublisherComission\":0,\"ToCarMin\":0,\"SetCarInfoTime\":0,\"ClientPhone\":7}",
    "{\"reason\":3,\"CommandId\":1,\"CommandCode\":1,\"Num\":0,\"OperationStatus\":0,\"OrderId\":1}",
    "{\"reason\":10,\"CommandId\":1,\"CommandCode\":1,\"Num\":0,\"OperationStatus\":0,\"OrderId\":1}",
    "{\"reason\":9,\"CommandId\":1,\"CommandCode\":1,\"Num\":0,\"OperationStatus\":0,\"Publisher\":1,\"Acceptor\":2,"
    "\"CityId\":3,\"TariffId\":5,\"ServicePercent\":0,\"ServiceFixed\":0,\"PublisherPercent\":0,\"PublisherFixed\":0,"
    "\"ServiceReturnForeit\":0,\"PublisherReturnForeit\":0,\"MinOrderPrice\":0}",
    "{\"reason\":9,\"CommandId\":1,\"CommandCode\":1,\"Num\":0,\"OperationStatus\":0,\"Publisher\":1,\"Acceptor\":2,"
    "\"CityId\":3,\"TariffId\":\"5\",\"ServicePercent\":0,\"ServiceFixed\":0,\"PublisherPercent\":0,"
    "\"PublisherFixed\":0,\"ServiceReturnForeit\":0,\"PublisherReturnForeit\":0,\"MinOrderPrice\":\"0\"}",
};

// Directory messages that fail part-way: the old directories must stay whole.
std::vector<std::string> MalformedDirectories() {
  const std::string ok = "{\"1\":\"a\"}";
  const std::string service = "{\"1\":{\"ClientId\":1,\"TimeZone\":0,\"CityIdList\":{}}}";
  return {
      Block("{\"reason\":2,\"CommandId\":0,\"CommandCode\":2,\"Num\":0,\"OperationStatus\":0,"
            "\"CarrierTypeDirectory\":{},\"OrderStatusDirectory\":{},\"ClientDbDirectory\":{}}"),
      DirectoryMessage(0, 0, ok, ok, "[]", service),
      DirectoryMessage(0, 0, ok, ok, "\"Москва\"", service),
      DirectoryMessage(0, 0, ok, ok, "5", service),
      DirectoryMessage(0, 0, ok, ok, "{\"1\":5}", service),
      DirectoryMessage(0, 0, ok, ok, "{\"1\":{}}", service),
      DirectoryMessage(0, 0, ok, ok, "{\"99999999999\":\"a\"}", service),
      DirectoryMessage(0, 0, ok, ok, ok, "{\"1\":\"service\"}"),
      DirectoryMessage(0, 0, ok, ok, ok, "{\"1\":null}"),
      DirectoryMessage(0, 0, ok, ok, ok, "{\"1\":{\"TimeZone\":0,\"CityIdList\":{}}}"),
      DirectoryMessage(0, 0, ok, ok, ok, "{\"1\":{\"ClientId\":1,\"TimeZone\":0}}"),
      DirectoryMessage(0, 0, ok, ok, ok, "{\"1\":{\"ClientId\":1,\"TimeZone\":0,\"CityIdList\":[1,2]}}"),
      DirectoryMessage(0, 0, ok, ok, ok, "{\"1\":{\"ClientId\":1,\"TimeZone\":0,\"CityIdList\":{\"-3000000000\":1}}}"),
      DirectoryMessage(0, 0, ok, ok, ok, "{\"1\":{\"ClientId\":1,\"TimeZone\":0,\"FullName\":1,\"CityIdList\":{}}}"),
  };
}

std::vector<std::string> DeeplyNested() {
  const std::string envelope = "{\"reason\":7,\"CommandId\":1,\"CommandCode\":1,\"Num\":0,\"OperationStatus\":0,\"x\":";
  return {std::string(100000, '['), envelope + std::string(100000, '['), std::string(50000, '{') + "\"a\":1",
          envelope + std::string(70, '[') + std::string(70, ']') + "}"};
}

class MalformedBlocks : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(client.ParseBlock(FirstDirectories()), KBRStatus_Ok);
    KestoBrimo_AsyncResponce drained;
    while (client.GetClientResponce(drained)) {
    }
  }

  void ExpectRefused(const std::string& block) {
    Access::LastError(client) = "";
    EXPECT_EQ(client.ParseBlock(block), KBRStatus_ParseError) << block.substr(0, 200);
    EXPECT_EQ(Access::LastError(client), "JSON parsing not success");
    KestoBrimo_AsyncResponce record;
    EXPECT_FALSE(client.GetClientResponce(record)) << block.substr(0, 200);
    EXPECT_FALSE(client.Authorized.load());
    EXPECT_EQ(client.GetCarrierTypeDirectory().size(), 2u);
    EXPECT_EQ(client.GetOrderStatusDirectory().size(), 1u);
    EXPECT_EQ(client.GetCity(10), "Тверь");
    EXPECT_EQ(client.GetTaxiDirectory().at(15).CityIdList.size(), 3u);
  }

  KestoBrimoClientAsync client;
};

TEST_F(MalformedBlocks, TextThatIsNotJsonOrDoesNotConvertChangesNothing) {
  for (const char* text : kMalformed) ExpectRefused(Block(text));
}

TEST_F(MalformedBlocks, ADirectoryMessageThatFailsPartWayKeepsTheOldDirectories) {
  for (const std::string& block : MalformedDirectories()) ExpectRefused(block);
}

TEST_F(MalformedBlocks, DeepNestingIsRefusedWithoutExhaustingTheStack) {
  for (const std::string& block : DeeplyNested()) ExpectRefused(block);
}

TEST_F(MalformedBlocks, NestingWithinTheLimitIsFine) {
  const std::string block = "{\"reason\":7,\"CommandId\":1,\"CommandCode\":1,\"Num\":0,\"OperationStatus\":1,\"x\":" +
                            std::string(60, '[') + std::string(60, ']') + "}";
  EXPECT_EQ(client.ParseBlock(block), KBRStatus_Ok);
}

TEST_F(MalformedBlocks, TheRefusalIsLogged) {
  TempDir dir;
  ASSERT_TRUE(DebugLog.Open(dir.file("parse")));
  ExpectRefused(Block("{\"reason\":"));
  DebugLog.Close();
  std::string content;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
    ASSERT_TRUE(platform::ReadWholeFile(entry.path().string(), content));
  EXPECT_NE(content.find("]~JSON parsing not success\n"), std::string::npos) << content;
}

// The public JSON test suite, read where it lies: whatever a file holds,
// ParseBlock returns Ok or ParseError and never crashes or throws.
TEST(ParseRobustness, JsonTestSuiteFiles) {
  // The build names the suite beside the repository; CI always has it there.
  const std::filesystem::path folder = KB_JSON_TEST_SUITE_DIR;
  std::error_code error;
  if (!std::filesystem::is_directory(folder, error)) {
    if (std::getenv("CI") != nullptr) FAIL() << "no JSON test suite at " << folder.string();
    GTEST_SKIP() << "no JSON test suite at " << folder.string();
  }
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    std::string content;
    if (!platform::ReadWholeFile(entry.path().string(), content)) continue;
    KestoBrimoClientAsync client;
    const KBRStatus status = client.ParseBlock(content);
    EXPECT_TRUE(status == KBRStatus_Ok || status == KBRStatus_ParseError) << entry.path().string();
    // Only objects with every envelope member can pass; the suite's files have none.
    EXPECT_EQ(status, KBRStatus_ParseError) << entry.path().string();
    ++files;
  }
  EXPECT_GT(files, 100);
}

}  // namespace
