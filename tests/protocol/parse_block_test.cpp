// ParseBlock: the envelope, the members each kind of message reads, the
// directories and the login answer, Authorized and the response queue; and
// the malformed blocks, which must change nothing.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "client/KestoBrimoClientAsync.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "support/ClientTestAccess.h"

using Access = KestoBrimoClientTestAccess;
using Names = std::map<std::int32_t, std::string>;

namespace {

// Every field of an order, so that whole orders compare (and print) field by field.
auto Fields(const KestoOrder& o) {
  return std::tie(o.UniKey, o.BrimoOrderState, o.CityIdFrom, o.CityIdTo, o.StreetFrom, o.AdditionalFrom, o.LatitudeFrom,
                  o.LongitudeFrom, o.StreetTo, o.AdditionalTo, o.LatitudeTo, o.LongitudeTo, o.CarrierType, o.Price,
                  o.ClientPhone, o.PhoneId, o.Comment, o.CarDescription, o.CarGovNumber, o.CarCallNumber,
                  o.PreliminaryTime, o.Time0Km1Fixed2, o.StatusId, o.OrderId, o.WriteTime, o.Publisher, o.Acceptor,
                  o.ServiceComission, o.PublisherComission, o.AcceptTime, o.TimeToLiveSec, o.ToCarMin,
                  o.SetCarInfoTime);
}

// The members of FullOrder(), as the exchange sends them; every value differs from the constructed one.
const char* const kOrderMembers =
    "\"UniKey\":77,\"BrimoOrderState\":3,\"CityIdFrom\":10,\"CityIdTo\":11,\"StreetFrom\":\"Тверская\","
    "\"AdditionalFrom\":\"д. 1\",\"LatitudeFrom\":55.5,\"LongitudeFrom\":37.25,\"StreetTo\":\"Арбат\","
    "\"AdditionalTo\":\"под. 2\",\"LatitudeTo\":-1.5,\"LongitudeTo\":2.75,\"CarrierType\":4,\"Price\":150.5,"
    "\"ClientPhone\":\"+7 900\",\"PhoneId\":12,\"Comment\":\"тихо\",\"CarDescription\":\"Лада\","
    "\"CarGovNumber\":\"А123ВС\",\"CarCallNumber\":13,\"PreliminaryTime\":4294967295,\"Time0Km1Fixed2\":2,"
    "\"StatusId\":5,\"OrderId\":815,\"WriteTime\":1000,\"Publisher\":6,\"Acceptor\":7,\"ServiceComission\":1.25,"
    "\"PublisherComission\":2.5,\"AcceptTime\":2000,\"TimeToLiveSec\":600,\"ToCarMin\":8,\"SetCarInfoTime\":3000";
const char* const kTariffMembers =
    "\"Publisher\":1,\"Acceptor\":2,\"CityId\":3,\"TariffId\":\"Т-1\",\"ServicePercent\":4.5,\"ServiceFixed\":5,"
    "\"PublisherPercent\":6.25,\"PublisherFixed\":7,\"ServiceReturnForeit\":8,\"PublisherReturnForeit\":9.5,"
    "\"MinOrderPrice\":100,\"Price\":\"not read\",\"UniKey\":77";

KestoOrder FullOrder() {
  KestoOrder o;
  o.UniKey = 77, o.BrimoOrderState = 3, o.CityIdFrom = 10, o.CityIdTo = 11, o.StreetFrom = "Тверская";
  o.AdditionalFrom = "д. 1", o.LatitudeFrom = 55.5f, o.LongitudeFrom = 37.25f, o.StreetTo = "Арбат";
  o.AdditionalTo = "под. 2", o.LatitudeTo = -1.5f, o.LongitudeTo = 2.75f, o.CarrierType = 4, o.Price = 150.5f;
  o.ClientPhone = "+7 900", o.PhoneId = 12, o.Comment = "тихо", o.CarDescription = "Лада", o.CarGovNumber = "А123ВС";
  o.CarCallNumber = 13, o.PreliminaryTime = 4294967295LL, o.Time0Km1Fixed2 = 2, o.StatusId = 5, o.OrderId = 815;
  o.WriteTime = 1000, o.Publisher = 6, o.Acceptor = 7, o.ServiceComission = 1.25f, o.PublisherComission = 2.5f;
  o.AcceptTime = 2000, o.TimeToLiveSec = 600, o.ToCarMin = 8, o.SetCarInfoTime = 3000;
  return o;
}

TEST(Order, ClearSetsEveryNumberToZeroAndEveryTextEmpty) {
  KestoOrder cleared = FullOrder(), zero;
  cleared.Clear();
  zero.CityIdFrom = zero.CityIdTo = zero.StatusId = zero.Time0Km1Fixed2 = 0;  // constructed as -1 and 1
  EXPECT_EQ(Fields(cleared), Fields(zero));
}

// The order a message of kind `reason` with kOrderMembers (kTariffMembers for 9) gives.
KestoOrder ExpectedOrder(int reason) {
  const KestoOrder full = FullOrder();
  KestoOrder expected;
  switch (reason) {
    case 3:
    case 5:
      expected = full;
      expected.UniKey = 0;  // these kinds take the order without "UniKey"
      break;
    case 10:
      return full;
    case 11:  // state, price, car and acceptance
      expected.BrimoOrderState = full.BrimoOrderState, expected.Price = full.Price;
      expected.ClientPhone = full.ClientPhone, expected.PhoneId = full.PhoneId;
      expected.CarDescription = full.CarDescription, expected.CarGovNumber = full.CarGovNumber;
      expected.CarCallNumber = full.CarCallNumber, expected.StatusId = full.StatusId, expected.OrderId = full.OrderId;
      expected.Acceptor = full.Acceptor, expected.AcceptTime = full.AcceptTime;
      expected.ServiceComission = full.ServiceComission, expected.PublisherComission = full.PublisherComission;
      expected.ToCarMin = full.ToCarMin, expected.SetCarInfoTime = full.SetCarInfoTime;
      break;
    case 4:
    case 6:
      expected.OrderId = full.OrderId;
      break;
    default:
      expected.UniKey = full.UniKey;  // kinds without an order keep the envelope's
  }
  return expected;
}

// A message written in code page 1251: the envelope with every member at the edge of its range, then `payload`.
std::string Message(int reason, const std::string& payload = "", int status = 0,
                    std::uint32_t commandId = 4294967295u) {
  return "{\"reason\":" + std::to_string(reason) + ",\"CommandId\":" + std::to_string(commandId) +
         ",\"CommandCode\":11,\"Num\":-2147483648,\"ErrorString\":\"Ошибка\",\"OperationStatus\":" +
         std::to_string(status) + (payload.empty() ? "" : "," + payload) + "}";
}

std::string Directories(const std::string& carriers, const std::string& states, const std::string& cities,
                        const std::string& services, int status = 0, std::uint32_t commandId = 0) {
  return Message(2,
                 "\"CarrierTypeDirectory\":" + carriers + ",\"OrderStatusDirectory\":" + states +
                     ",\"CityDirectory\":" + cities + ",\"ClientDbDirectory\":" + services,
                 status, commandId);
}

// `message` with the plain value of `member` replaced, or the member left out when `value` is nullptr.
std::string With(std::string message, const std::string& member, const char* value) {
  const std::size_t at = message.find("\"" + member + "\":");
  const std::size_t end = message.find_first_of(",}", at);
  if (value != nullptr) return message.replace(at, end - at, "\"" + member + "\":" + value);
  return message.erase(message[end] == ',' ? at : at - 1, end - at + 1);
}

// Received as the exchange sends it, in UTF-8.
std::string Block(const std::string& message) { return platform::Utf8FromAnsi(message); }

KestoBrimo_AsyncResponce ParseUtf8(const std::string& block) {
  KestoBrimoClientAsync client;
  EXPECT_EQ(client.ParseBlock(block), KBRStatus_Ok) << block;
  KestoBrimo_AsyncResponce record;
  EXPECT_TRUE(client.GetClientResponce(record));
  EXPECT_FALSE(client.GetClientResponce(record)) << "one record per block";
  return record;
}

KestoBrimo_AsyncResponce ParseOne(const std::string& message) { return ParseUtf8(Block(message)); }

TEST(ParseBlock, TheEnvelopeTakesEveryMemberAtTheEdgesOfItsRangeAndIgnoresAnUnusableUniKey) {
  const KestoBrimo_AsyncResponce r = ParseOne(Message(7, "\"UniKey\":\"77\""));
  EXPECT_EQ(r.reason, 7);
  EXPECT_EQ(r.CommandId, 4294967295u);
  EXPECT_EQ(r.CommandCode, 11);
  EXPECT_EQ(r.Num, -2147483647 - 1);
  EXPECT_EQ(r.ErrorString, "Ошибка");
  EXPECT_EQ(r.OperationStatus, KBRStatus_Ok);
  EXPECT_EQ(Fields(r.Order), Fields(KestoOrder()));
}

TEST(ParseBlock, EachKindReadsTheOrderMembersItCarriesAndNoOthers) {
  for (int reason : {3, 5, 10, 11, 4, 6, 0, 1, 7, 8, 9, 12, 1000, -3}) {
    const KestoBrimo_AsyncResponce r = ParseOne(Message(reason, reason == 9 ? kTariffMembers : kOrderMembers));
    EXPECT_EQ(Fields(r.Order), Fields(ExpectedOrder(reason))) << reason;
  }
}

TEST(ParseBlock, TheTariffReadsItsElevenMembers) {
  const KestoTariffStruct t = ParseOne(Message(9, kTariffMembers)).Tariff;
  EXPECT_EQ(std::make_tuple(t.Publisher, t.Acceptor, t.CityId, t.TariffId), std::make_tuple(1, 2, 3, "Т-1"));
  EXPECT_EQ((std::vector<float>{t.ServicePercent, t.ServiceFixed, t.PublisherPercent, t.PublisherFixed,
                                t.ServiceReturnForeit, t.PublisherReturnForeit, t.MinOrderPrice}),
            (std::vector<float>{4.5f, 5, 6.25f, 7, 8, 9.5f, 100}));
}

TEST(ParseBlock, StatusZeroOfAnyKindAuthorizesForGoodAndRecordsLeaveInArrivalOrder) {
  KestoBrimoClientAsync client;
  const struct {
    int reason, status;
    std::uint32_t id;
  } answers[] = {{7, 3, 9}, {4, 0, 2}, {7, -7, 5}};
  for (const auto& a : answers) {
    ASSERT_EQ(client.ParseBlock(Block(Message(a.reason, "\"OrderId\":1", a.status, a.id))), KBRStatus_Ok);
    EXPECT_EQ(client.Authorized.load(), a.id != 9) << a.id;  // set by the first status 0, never cleared
  }
  std::vector<std::uint32_t> ids;
  KestoBrimo_AsyncResponce r;
  while (client.GetClientResponce(r)) ids.push_back(r.CommandId);
  EXPECT_EQ(ids, (std::vector<std::uint32_t>{9, 2, 5}));
  r.ErrorString = "kept";
  EXPECT_FALSE(client.GetClientResponce(r));
  EXPECT_EQ(r.ErrorString, "kept");
}

// Names are ids by the atoi rule, visited in byte order; a later name of the same number wins.
const char* const kService15 =
    "{\"15\":{\"ClientId\":16,\"FullName\":\"ООО Такси\",\"ShortName\":\"Такси\",\"LeaderName\":\"Иванов\","
    "\"Comment\":\"нет\",\"TimeZone\":3,\"CityIdList\":{\"12\":0,\"3\":\"x\",\"7\":[]}}}";

std::string FirstDirectories(int status = 0, std::uint32_t commandId = 5) {
  return Directories("{\"1\":\"Легковой\",\"2\":\"Минивэн\"}", "{\"07\":\"раньше\",\"7\":\"позже\"}",
                     "{\"10\":\"Тверь\",\"2\":\"Москва\"}", kService15, status, commandId);
}

TEST(ParseDirectories, FillAllFourMapsAndAnOrdinaryAnswerIsQueued) {
  KestoBrimoClientAsync client;
  ASSERT_EQ(client.ParseBlock(Block(FirstDirectories())), KBRStatus_Ok);
  EXPECT_EQ(client.GetCarrierTypeDirectory(), (Names{{1, "Легковой"}, {2, "Минивэн"}}));
  EXPECT_EQ(client.GetOrderStatusDirectory(), (Names{{7, "позже"}}));
  EXPECT_EQ(client.GetCityDirectory(), (Names{{2, "Москва"}, {10, "Тверь"}}));
  const auto services = client.GetTaxiDirectory();
  ASSERT_EQ(services.size(), 1u);
  const KestoDirectoryItem& item = services.at(15);
  EXPECT_EQ(std::make_tuple(item.ClientId, item.FullName, item.ShortName, item.LeaderName, item.Comment, item.TimeZone),
            std::make_tuple(16, "ООО Такси", "Такси", "Иванов", "нет", 3));
  EXPECT_EQ(item.CityIdList, (std::vector<std::int32_t>{12, 3, 7}));
  KestoBrimo_AsyncResponce record;
  ASSERT_TRUE(client.GetClientResponce(record));
  EXPECT_EQ(record.CommandId, 5u);
}

// A later message replaces every entry, and null empties a map. The login
// answer (CommandId 0, status 0) does its work and is not queued; a refused
// login still replaces the directories and is queued.
TEST(ParseDirectories, ALaterMessageReplacesEveryEntryAndOnlyTheSuccessfulLoginAnswerIsAbsorbed) {
  for (int status : {0, -7}) {
    KestoBrimoClientAsync client;
    ASSERT_EQ(client.ParseBlock(Block(FirstDirectories(1))), KBRStatus_Ok);
    Access::ClearQueues(client);
    ASSERT_EQ(client.ParseBlock(
                  Block(Directories("{\"3\":\"Грузовой\"}", "null", "{\"5\":\"Псков\"}",
                                    "{\"20\":{\"ClientId\":20,\"TimeZone\":0,\"CityIdList\":null}}", status, 0))),
              KBRStatus_Ok);
    EXPECT_EQ(client.GetCarrierTypeDirectory(), (Names{{3, "Грузовой"}}));
    EXPECT_TRUE(client.GetOrderStatusDirectory().empty());
    EXPECT_EQ(client.GetCityDirectory(), (Names{{5, "Псков"}}));
    const auto services = client.GetTaxiDirectory();
    ASSERT_EQ(services.size(), 1u);
    EXPECT_TRUE(services.at(20).CityIdList.empty());
    EXPECT_EQ(client.Authorized.load(), status == 0);
    KestoBrimo_AsyncResponce record;
    EXPECT_EQ(client.GetClientResponce(record), status != 0);
    ASSERT_EQ(client.ParseBlock(Block(Directories("{}", "{}", "{}", "null"))), KBRStatus_Ok);
    EXPECT_TRUE(client.GetTaxiDirectory().empty());
  }
}

class MalformedBlocks : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(client.ParseBlock(Block(FirstDirectories(1))), KBRStatus_Ok);  // status 1: not authorized
    Access::ClearQueues(client);
  }

  void ExpectRefused(const std::string& block) {
    SCOPED_TRACE(block.substr(0, 200));
    Access::LastError(client) = "";
    EXPECT_EQ(client.ParseBlock(block), KBRStatus_ParseError);
    EXPECT_EQ(Access::LastError(client), "JSON parsing not success");
    KestoBrimo_AsyncResponce record;
    EXPECT_FALSE(client.GetClientResponce(record));
    EXPECT_FALSE(client.Authorized.load());
    EXPECT_EQ(client.GetCarrierTypeDirectory().size(), 2u);
    EXPECT_EQ(client.GetOrderStatusDirectory().size(), 1u);
    EXPECT_EQ(client.GetCity(10), "Тверь");
    EXPECT_EQ(client.GetTaxiDirectory().at(15).CityIdList.size(), 3u);
  }

  KestoBrimoClientAsync client;
};

TEST_F(MalformedBlocks, ABlockThatIsNotJsonOrDoesNotConvertWholeChangesNothing) {
  const std::string plain = Message(7), order = Message(3, kOrderMembers), partial = Message(11, kOrderMembers);
  const std::string tariff = Message(9, kTariffMembers), ok = "{\"1\":\"a\"}";
  const std::string service = "{\"1\":{\"ClientId\":1,\"TimeZone\":0,\"CityIdList\":{}}}";
  // Not JSON or not an object; then the envelope; each kind's payload; and directories that fail part-way.
  const std::string blocks[] = {
      "",
      "{",
      "[]",
      With(plain, "reason", nullptr),
      With(plain, "CommandId", nullptr),
      With(plain, "OperationStatus", nullptr),
      With(plain, "ErrorString", "5"),
      With(order, "Price", nullptr),
      With(order, "PreliminaryTime", "-1"),
      With(Message(10, kOrderMembers), "UniKey", nullptr),
      With(partial, "AcceptTime", "4294967296"),
      Message(4),
      With(Message(6, kOrderMembers), "OrderId", "\"815\""),
      With(tariff, "TariffId", "5"),
      With(tariff, "MinOrderPrice", nullptr),
      Message(2, "\"CarrierTypeDirectory\":{},\"OrderStatusDirectory\":{},\"ClientDbDirectory\":{}"),
      Message(2, "\"CarrierTypeDirectory\":{},\"OrderStatusDirectory\":{},\"CityDirectory\":{}"),
      Directories(ok, ok, ok, "{\"99999999999\":{\"ClientId\":1,\"TimeZone\":0,\"CityIdList\":{}}}"),
      Directories(ok, ok, "[]", service),
      Directories(ok, ok, "{\"1\":5}", service),
      Directories(ok, ok, "{\"99999999999\":\"a\"}", service),
      Directories(ok, ok, ok, "{\"1\":null}"),
      Directories(ok, ok, ok, "{\"1\":{\"TimeZone\":0,\"CityIdList\":{}}}"),
      Directories(ok, ok, ok, "{\"1\":{\"ClientId\":1,\"TimeZone\":0}}"),
      Directories(ok, ok, ok, "{\"1\":{\"ClientId\":1,\"TimeZone\":0,\"CityIdList\":[1,2]}}"),
      Directories(ok, ok, ok, "{\"1\":{\"ClientId\":1,\"TimeZone\":0,\"CityIdList\":{\"-3000000000\":1}}}"),
      Directories(ok, ok, ok, "{\"1\":{\"ClientId\":1,\"TimeZone\":0,\"FullName\":1,\"CityIdList\":{}}}")};
  for (const std::string& block : blocks) ExpectRefused(Block(block));
}

// The public JSON test suite, read where it lies beside the repository: no
// file there holds a whole message, so every one is refused, none crashes.
TEST(ParseBlock, EveryFileOfTheJsonTestSuiteIsRefused) {
  const std::filesystem::path folder = KB_JSON_TEST_SUITE_DIR;
  std::error_code error;
  ASSERT_TRUE(std::filesystem::is_directory(folder, error)) << "no JSON test suite at " << folder.string();
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    std::string content;
    ASSERT_TRUE(platform::ReadWholeFile(entry.path().string(), content)) << entry.path().string();
    KestoBrimoClientAsync client;
    EXPECT_EQ(client.ParseBlock(content), KBRStatus_ParseError) << entry.path().string();
    ++files;
  }
  EXPECT_GT(files, 100);
}

}  // namespace
