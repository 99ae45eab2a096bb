// ParseBlock: the envelope, each kind's payload with the fields it leaves at
// their constructed values, the login answer, Authorized, and the
// equivalence of \u escapes and raw UTF-8.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "OrderFields.h"
#include "client/KestoBrimoClientAsync.h"
#include "platform/codepage.h"
#include "support/ClientTestAccess.h"

using Access = KestoBrimoClientTestAccess;

namespace {

// Messages are written here in code page 1251 and sent as the exchange sends them, in UTF-8.
std::string Block(const std::string& text) { return platform::Utf8FromAnsi(text); }

std::string Envelope(int reason, const std::string& more = "") {
  return "{\"reason\":" + std::to_string(reason) +
         ",\"CommandId\":4294967295,\"CommandCode\":11,\"Num\":-2147483648,\"ErrorString\":\"Ошибка\","
         "\"OperationStatus\":-10" +
         (more.empty() ? "" : "," + more) + "}";
}

// The members of FullOrder(true), as the exchange sends them.
const char* const kOrderMembers =
    "\"UniKey\":77,\"BrimoOrderState\":3,\"CityIdFrom\":10,\"CityIdTo\":11,\"StreetFrom\":\"Тверская\","
    "\"AdditionalFrom\":\"д. 1\",\"LatitudeFrom\":55.5,\"LongitudeFrom\":37.25,\"StreetTo\":\"Арбат\","
    "\"AdditionalTo\":\"под. 2\",\"LatitudeTo\":-1.5,\"LongitudeTo\":2.75,\"CarrierType\":4,\"Price\":150.5,"
    "\"ClientPhone\":\"+7 900\",\"PhoneId\":12,\"Comment\":\"тихо\",\"CarDescription\":\"Лада\","
    "\"CarGovNumber\":\"А123ВС\",\"CarCallNumber\":13,\"PreliminaryTime\":4294967295,\"Time0Km1Fixed2\":2,"
    "\"StatusId\":5,\"OrderId\":815,\"WriteTime\":1000,\"Publisher\":6,\"Acceptor\":7,\"ServiceComission\":1.25,"
    "\"PublisherComission\":2.5,\"AcceptTime\":2000,\"TimeToLiveSec\":600,\"ToCarMin\":8,\"SetCarInfoTime\":3000";

KestoBrimo_AsyncResponce ParseUtf8(const std::string& block) {
  KestoBrimoClientAsync client;
  EXPECT_EQ(client.ParseBlock(block), KBRStatus_Ok) << block;
  KestoBrimo_AsyncResponce record;
  EXPECT_TRUE(client.GetClientResponce(record));
  EXPECT_FALSE(client.GetClientResponce(record)) << "one record per block";
  return record;
}

KestoBrimo_AsyncResponce ParseOne(const std::string& message) { return ParseUtf8(Block(message)); }

TEST(ParseEnvelope, CopiesEveryMemberWithFullRanges) {
  const KestoBrimo_AsyncResponce r = ParseOne(Envelope(7));
  EXPECT_EQ(r.reason, 7);
  EXPECT_EQ(r.CommandId, 4294967295u);
  EXPECT_EQ(r.CommandCode, 11);
  EXPECT_EQ(r.Num, -2147483647 - 1);
  EXPECT_EQ(r.ErrorString, "Ошибка");
  EXPECT_EQ(r.OperationStatus, KBRStatus_InsertOrderError);
  EXPECT_EQ(Dump(r.Order), Dump(KestoOrder()));
}

TEST(ParseEnvelope, NullAndBooleansConvertAndAbsentTextIsEmpty) {
  const KestoBrimo_AsyncResponce r =
      ParseOne("{\"reason\":null,\"CommandId\":true,\"CommandCode\":false,\"Num\":3.0,\"OperationStatus\":-1}");
  EXPECT_EQ(r.reason, 0);
  EXPECT_EQ(r.CommandId, 1u);
  EXPECT_EQ(r.CommandCode, 0);
  EXPECT_EQ(r.Num, 3);
  EXPECT_EQ(r.ErrorString, "");
  EXPECT_EQ(ParseOne(Envelope(7, "\"ErrorString\":null")).ErrorString, "");
}

TEST(ParseEnvelope, UniKeyIsKeptOnlyByKindsWithoutAnOrderAndAnyFaultInItIsIgnored) {
  EXPECT_EQ(ParseOne(Envelope(7, "\"UniKey\":77")).Order.UniKey, 77);
  EXPECT_EQ(ParseOne(Envelope(0, "\"UniKey\":-5")).Order.UniKey, -5);
  for (const char* fault : {"\"UniKey\":\"77\"", "\"UniKey\":2147483648", "\"UniKey\":[1]", "\"UniKey\":1.5", ""})
    EXPECT_EQ(ParseOne(Envelope(7, fault)).Order.UniKey, 0) << fault;
  const std::string tariff =
      "\"Publisher\":1,\"Acceptor\":2,\"CityId\":3,\"ServicePercent\":0,\"ServiceFixed\":0,\"PublisherPercent\":0,"
      "\"PublisherFixed\":0,\"ServiceReturnForeit\":0,\"PublisherReturnForeit\":0,\"MinOrderPrice\":0";
  EXPECT_EQ(ParseOne(Envelope(9, tariff + ",\"UniKey\":77")).Order.UniKey, 77);
}

TEST(ParseOrders, NewAndOwnOrdersReadEverythingButUniKeyAndFullInformationReadsItToo) {
  for (int reason : {3, 5, 10})
    EXPECT_EQ(Dump(ParseOne(Envelope(reason, kOrderMembers)).Order), Dump(FullOrder(reason == 10))) << reason;
}

TEST(ParseOrders, PartialInformationLeavesTheOtherFieldsConstructed) {
  KestoOrder expected;
  const KestoOrder full = FullOrder(true);
  expected.BrimoOrderState = full.BrimoOrderState, expected.Price = full.Price, expected.ClientPhone = full.ClientPhone;
  expected.PhoneId = full.PhoneId, expected.CarDescription = full.CarDescription;
  expected.CarGovNumber = full.CarGovNumber, expected.CarCallNumber = full.CarCallNumber;
  expected.StatusId = full.StatusId, expected.OrderId = full.OrderId, expected.Acceptor = full.Acceptor;
  expected.AcceptTime = full.AcceptTime, expected.ServiceComission = full.ServiceComission;
  expected.PublisherComission = full.PublisherComission, expected.ToCarMin = full.ToCarMin;
  expected.SetCarInfoTime = full.SetCarInfoTime;
  EXPECT_EQ(Dump(ParseOne(Envelope(11, kOrderMembers)).Order), Dump(expected));
}

TEST(ParseOrders, RemovalsCarryOnlyTheOrderId) {
  for (int reason : {4, 6}) {
    KestoOrder expected;
    expected.OrderId = 815;
    EXPECT_EQ(Dump(ParseOne(Envelope(reason, kOrderMembers)).Order), Dump(expected)) << reason;
    EXPECT_EQ(Dump(ParseOne(Envelope(reason, "\"OrderId\":815")).Order), Dump(expected)) << reason;
  }
}

TEST(ParseOrders, MembersAKindDoesNotReadMayHoldAnything) {
  // Kind 11 does not read "Publisher" or "Comment"; kinds 4 and 6 read "OrderId" alone.
  const KestoBrimo_AsyncResponce partial =
      ParseOne(Envelope(11, std::string(kOrderMembers) + ",\"Publisher\":\"x\",\"Comment\":[1]"));
  EXPECT_EQ(partial.Order.Publisher, 0);
  EXPECT_EQ(partial.Order.Comment, "");
  EXPECT_EQ(ParseOne(Envelope(4, "\"OrderId\":1,\"Price\":\"x\"")).Order.OrderId, 1);
}

TEST(ParseOrders, AbsentTextsAreEmptyAndNullsAreZero) {
  std::string members = kOrderMembers;
  members.replace(members.find("\"StreetFrom\":\"Тверская\","), std::string("\"StreetFrom\":\"Тверская\",").size(),
                  "");
  members.replace(members.find("\"Price\":150.5"), std::string("\"Price\":150.5").size(), "\"Price\":null");
  const KestoBrimo_AsyncResponce r = ParseOne(Envelope(3, members));
  EXPECT_EQ(r.Order.StreetFrom, "");
  EXPECT_EQ(r.Order.Price, 0.0f);
  EXPECT_EQ(r.Order.StreetTo, "Арбат");
}

TEST(ParseTariff, ReadsTheElevenMembersAndNotThePrice) {
  const KestoBrimo_AsyncResponce r = ParseOne(Envelope(
      9,
      "\"Publisher\":1,\"Acceptor\":2,\"CityId\":3,\"TariffId\":\"Т-1\",\"ServicePercent\":4.5,\"ServiceFixed\":5,"
      "\"PublisherPercent\":6.25,\"PublisherFixed\":7,\"ServiceReturnForeit\":8,\"PublisherReturnForeit\":9.5,"
      "\"MinOrderPrice\":100,\"Price\":\"not read\",\"OrderId\":5"));
  EXPECT_EQ(r.Tariff.Publisher, 1);
  EXPECT_EQ(r.Tariff.Acceptor, 2);
  EXPECT_EQ(r.Tariff.CityId, 3);
  EXPECT_EQ(r.Tariff.TariffId, "Т-1");
  EXPECT_EQ(r.Tariff.ServicePercent, 4.5f);
  EXPECT_EQ(r.Tariff.ServiceFixed, 5.0f);
  EXPECT_EQ(r.Tariff.PublisherPercent, 6.25f);
  EXPECT_EQ(r.Tariff.PublisherFixed, 7.0f);
  EXPECT_EQ(r.Tariff.ServiceReturnForeit, 8.0f);
  EXPECT_EQ(r.Tariff.PublisherReturnForeit, 9.5f);
  EXPECT_EQ(r.Tariff.MinOrderPrice, 100.0f);
  EXPECT_EQ(Dump(r.Order), Dump(KestoOrder()));
}

TEST(ParseKinds, OtherKindsCarryOnlyTheEnvelope) {
  for (int reason : {0, 1, 7, 8, 12, 1000, -3}) {
    const KestoBrimo_AsyncResponce r = ParseOne(Envelope(reason, kOrderMembers));
    EXPECT_EQ(r.reason, reason);
    KestoOrder expected;
    expected.UniKey = 77;
    EXPECT_EQ(Dump(r.Order), Dump(expected)) << reason;
    EXPECT_EQ(r.Tariff.Publisher, 0);
  }
}

TEST(ParseAuthorized, AnyKindWithStatusZeroSetsItAndNothingClearsIt) {
  KestoBrimoClientAsync client;
  EXPECT_EQ(client.ParseBlock(Block("{\"reason\":7,\"CommandId\":1,\"CommandCode\":1,\"Num\":0,\"OperationStatus\":3}")),
            KBRStatus_Ok);
  EXPECT_FALSE(client.Authorized.load());
  EXPECT_EQ(client.ParseBlock(Block("{\"reason\":4,\"CommandId\":1,\"CommandCode\":1,\"Num\":0,\"OperationStatus\":0,"
                                    "\"OrderId\":1}")),
            KBRStatus_Ok);
  EXPECT_TRUE(client.Authorized.load());
  EXPECT_EQ(client.ParseBlock(Block("{\"reason\":7,\"CommandId\":1,\"CommandCode\":1,\"Num\":0,\"OperationStatus\":-7}")),
            KBRStatus_Ok);
  EXPECT_TRUE(client.Authorized.load());
}

TEST(ParseQueue, RecordsLeaveInArrivalOrderAndAnEmptyQueueLeavesTheArgumentUntouched) {
  KestoBrimoClientAsync client;
  for (int id : {9, 2, 5})
    ASSERT_EQ(client.ParseBlock(Block("{\"reason\":7,\"CommandId\":" + std::to_string(id) +
                                      ",\"CommandCode\":1,\"Num\":0,\"OperationStatus\":1}")),
              KBRStatus_Ok);
  std::vector<std::uint32_t> ids;
  KestoBrimo_AsyncResponce r;
  while (client.GetClientResponce(r)) ids.push_back(r.CommandId);
  EXPECT_EQ(ids, (std::vector<std::uint32_t>{9, 2, 5}));
  r.ErrorString = "kept";
  EXPECT_FALSE(client.GetClientResponce(r));
  EXPECT_EQ(r.CommandId, 5u);
  EXPECT_EQ(r.ErrorString, "kept");
}

TEST(ParseText, EscapedAndRawUtf8GiveTheSameCodePageLetters) {
  // "Москва" as \u escapes, and as raw UTF-8 bytes.
  const std::string escaped = "\\u041c\\u043e\\u0441\\u043a\\u0432\\u0430";
  const std::string raw = "\xD0\x9C\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0";
  for (const std::string& city : {escaped, raw}) {
    KestoBrimoClientAsync client;
    const std::string message = "{\"reason\":3,\"CommandId\":1,\"CommandCode\":1,\"Num\":0,\"OperationStatus\":1,"
                                "\"ErrorString\":\"" + city + "\"," + kOrderMembers + "}";
    // The order members are written in code page 1251; only they are converted.
    const std::string block = message.substr(0, message.find(kOrderMembers)) + Block(kOrderMembers) + "}";
    ASSERT_EQ(client.ParseBlock(block), KBRStatus_Ok);
    KestoBrimo_AsyncResponce r;
    ASSERT_TRUE(client.GetClientResponce(r));
    EXPECT_EQ(r.ErrorString, "Москва");
    EXPECT_EQ(r.ErrorString, "\xCC\xEE\xF1\xEA\xE2\xE0");
    EXPECT_EQ(r.Order.StreetFrom, "Тверская");
  }
  // Characters that code page 1251 lacks become '?', whichever way they came.
  EXPECT_EQ(ParseUtf8("{\"reason\":7,\"CommandId\":1,\"CommandCode\":1,\"Num\":0,\"OperationStatus\":1,"
                      "\"ErrorString\":\"\\u4e2d\xE4\xB8\xAD\"}")
                .ErrorString,
            "??");
}

}  // namespace
