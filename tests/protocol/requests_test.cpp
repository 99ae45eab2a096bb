// The exact text of every request, the numbering of requests, and the login
// form with its digest.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include <json/reader.h>

#include "client/KestoBrimoClientAsync.h"
#include "platform/codepage.h"
#include "support/ClientTestAccess.h"

using Access = KestoBrimoClientTestAccess;

namespace {

KestoBrimo_AsyncRequest OnlyRequest(KestoBrimoClientAsync& client) {
  const auto queue = Access::Requests(client);
  EXPECT_EQ(queue.size(), 1u);
  return queue.empty() ? KestoBrimo_AsyncRequest() : queue.back();
}

TEST(RequestText, CommandsWithTheirOwnMembers) {
  KestoBrimoClientAsync client;
  const struct {
    int (*issue)(KestoBrimoClientAsync&);
    KBRCommand code;
    const char* text;
  } cases[] = {
      {[](KestoBrimoClientAsync& c) { return c.AcceptOrder(4711); }, KBRCommand_AcceptOrder,
       "{\"CommandCode\":3,\"CommandId\":5,\"CommandStr\":\"KBRCommand_AcceptOrder\",\"OrderId\":4711}\n"},
      {[](KestoBrimoClientAsync& c) { return c.ReturnMyOrder(-3); }, KBRCommand_ReturnOrder,
       "{\"CommandCode\":6,\"CommandId\":5,\"CommandStr\":\"KBRCommand_ReturnOrder\",\"OrderId\":-3}\n"},
      {[](KestoBrimoClientAsync& c) { return c.ReturnForeignOrder(2147483647); }, KBRCommand_ForceReturnOrder,
       "{\"CommandCode\":7,\"CommandId\":5,\"CommandStr\":\"KBRCommand_ForceReturnOrder\",\"OrderId\":2147483647}\n"},
      {[](KestoBrimoClientAsync& c) { return c.GetOrderFullInfo(12); }, KBRCommand_GetOrderFullInfo,
       "{\"CommandCode\":11,\"CommandId\":5,\"CommandStr\":\"KBRCommand_GetOrderFullInfo\",\"OrderId\":12}\n"},
      {[](KestoBrimoClientAsync& c) { return c.GetOrderpartialInfo(-2147483647 - 1); }, KBRCommand_GetOrderPartialInfo,
       "{\"CommandCode\":12,\"CommandId\":5,\"CommandStr\":\"KBRCommand_GetOrderPartialInfo\",\"OrderId\":-2147483648}\n"},
      {[](KestoBrimoClientAsync& c) { return c.GetStatement(); }, KBRCommand_GetStatement,
       "{\"CommandCode\":5,\"CommandId\":5,\"CommandStr\":\"KBRCommand_GetStatement\"}\n"},
      {[](KestoBrimoClientAsync& c) { return c.GetDirectory(false); }, KBRCommand_GetDirectory,
       "{\"CommandCode\":2,\"CommandId\":5,\"CommandStr\":\"KBRCommand_GetDirectory\"}\n"},
      {[](KestoBrimoClientAsync& c) { return c.ChangeOrderStatus(815, 3, 150.5f); }, KBRCommand_SetOrderStatus,
       "{\"CommandCode\":4,\"CommandId\":5,\"CommandStr\":\"KBRCommand_SetOrderStatus\",\"OrderId\":815,"
       "\"Price\":150.5,\"StatusId\":3}\n"},
      {[](KestoBrimoClientAsync& c) { return c.GetTariff(10, 20, 30); }, KBRCommand_GetTariffByPubisherAndAcceptor,
       "{\"Acceptor\":20,\"CityId\":30,\"CommandCode\":9,\"CommandId\":5,"
       "\"CommandStr\":\"KBRCommand_GetTariffByPubisherAndAcceptor\",\"Publisher\":10}\n"},
      {[](KestoBrimoClientAsync& c) { return c.SetOrderNotifyMode(2, 1700000000, 4294967296LL + 7); },
       KBRCommand_SetOrderNotifyMode,
       "{\"BeginTime\":1700000000,\"CommandCode\":10,\"CommandId\":5,\"CommandStr\":\"KBRCommand_SetOrderNotifyMode\","
       "\"EndTime\":7,\"Mode\":2}\n"},
      {[](KestoBrimoClientAsync& c) { return c.SetOrderNotifyMode(1, -1, 0); }, KBRCommand_SetOrderNotifyMode,
       "{\"BeginTime\":4294967295,\"CommandCode\":10,\"CommandId\":5,\"CommandStr\":\"KBRCommand_SetOrderNotifyMode\","
       "\"EndTime\":0,\"Mode\":1}\n"},
      {[](KestoBrimoClientAsync& c) { return c.AddCarDescription(9, "Лада \"Калина\"\\серая", "", 17, 5); },
       KBRCommand_AddCarDescription,
       "{\"CallNumber\":17,\"CommandCode\":8,\"CommandId\":5,\"CommandStr\":\"KBRCommand_AddCarDescription\","
       "\"FullDescription\":\"Лада \\\"Калина\\\"\\\\серая\",\"GovNumber\":\"\",\"OrderId\":9,\"ToCarMin\":5}\n"},
  };
  for (const auto& c : cases) {
    SetNextCommandIdForTesting(5);
    KestoBrimoClientAsync fresh;
    EXPECT_EQ(c.issue(fresh), 5);
    const KestoBrimo_AsyncRequest request = OnlyRequest(fresh);
    EXPECT_EQ(request.Text, c.text);
    EXPECT_EQ(request.CommandId, 5);
    EXPECT_EQ(request.CommandCode, c.code);
    EXPECT_EQ(PeekNextCommandId(), 6);
  }
}

KestoOrder SampleOrder() {
  KestoOrder order;
  order.Clear();
  order.CityIdFrom = 1;
  order.StreetFrom = "ул. \"Тверская\"";
  order.AdditionalFrom = "д. 7, под. 2";
  order.LatitudeFrom = 55.5f;
  order.LongitudeFrom = 37.25f;
  order.CityIdTo = 2;
  order.StreetTo = "Ленинградский пр.";
  order.AdditionalTo = "";
  order.LatitudeTo = -0.125f;
  order.LongitudeTo = 150;
  order.CarrierType = 3;
  order.Price = 150;
  order.ClientPhone = "+7 495 123\t45";
  order.StatusId = 4;
  order.PreliminaryTime = 4294967296LL * 3 + 1700000000;
  order.Time0Km1Fixed2 = 2;
  order.Comment = "тихо\nбыстро";
  order.TimeToLiveSec = 600;
  // Not sent.
  order.OrderId = 99;
  order.Publisher = 98;
  order.CarDescription = "нет";
  order.WriteTime = 5;
  return order;
}

TEST(RequestText, InsertOrderSendsNineteenMembersInNameOrderWithRawCyrillic) {
  SetNextCommandIdForTesting(41);
  KestoBrimoClientAsync client;
  KestoOrder order = SampleOrder();
  EXPECT_EQ(client.InsertOrder(order), 41);
  EXPECT_EQ(order.StreetFrom, "ул. \"Тверская\"");  // the caller's record is untouched
  const std::string expected =
      "{\"AdditionalFrom\":\"д. 7, под. 2\",\"AdditionalTo\":\"\",\"CarrierType\":3,\"CityIdFrom\":1,\"CityIdTo\":2,"
      "\"ClientPhone\":\"+7 495 123\\t45\",\"CommandCode\":1,\"CommandId\":41,\"CommandStr\":\"KBRCommand_InsertOrder\","
      "\"Comment\":\"тихо\\nбыстро\",\"LatitudeFrom\":55.5,\"LatitudeTo\":-0.125,\"LongitudeFrom\":37.25,"
      "\"LongitudeTo\":150.0,\"PreliminaryTime\":1700000000,\"Price\":150.0,\"StatusId\":4,"
      "\"StreetFrom\":\"ул. \\\"Тверская\\\"\",\"StreetTo\":\"Ленинградский пр.\",\"Time0Km1Fixed2\":2,"
      "\"TimeToLiveSec\":600,\"UniKey\":0}\n";
  const KestoBrimo_AsyncRequest request = OnlyRequest(client);
  EXPECT_EQ(request.Text, expected);
  EXPECT_EQ(request.CommandCode, KBRCommand_InsertOrder);
  // Code page 1251 bytes, never escapes: "Т" is the single byte 0xD2.
  EXPECT_NE(request.Text.find("\"\xD2"), std::string::npos);
  EXPECT_EQ(request.Text.find("\\u"), std::string::npos);
}

TEST(RequestText, TheExchangeReadsTheRealLettersAfterTheTransportsConversion) {
  KestoBrimoClientAsync client;
  client.InsertOrder(SampleOrder());
  const std::string onTheWire = platform::Utf8FromAnsi(OnlyRequest(client).Text);
  Json::Value parsed;
  std::string errors;
  std::istringstream in(onTheWire);
  ASSERT_TRUE(Json::parseFromStream(Json::CharReaderBuilder(), in, &parsed, &errors)) << errors;
  // "ул. "Тверская"" in UTF-8.
  EXPECT_EQ(parsed["StreetFrom"].asString(),
            "\xD1\x83\xD0\xBB. \"\xD0\xA2\xD0\xB2\xD0\xB5\xD1\x80\xD1\x81\xD0\xBA\xD0\xB0\xD1\x8F\"");
  EXPECT_EQ(parsed["Comment"].asString(), "\xD1\x82\xD0\xB8\xD1\x85\xD0\xBE\n\xD0\xB1\xD1\x8B\xD1\x81\xD1\x82\xD1\x80\xD0\xBE");
  EXPECT_EQ(parsed.size(), 22u);
}

TEST(RequestText, RealsCarryTheWidenedSinglePrecisionValue) {
  KestoBrimoClientAsync client;
  for (float price : {55.76f, 37.6173f, 0.1f, 1e-30f, 3.4028235e38f, -7.0f}) {
    client.ChangeOrderStatus(1, 2, price);
    const std::string text = Access::Requests(client).back().Text;
    const std::size_t at = text.find("\"Price\":") + 8;
    const std::string number = text.substr(at, text.find(',', at) - at);
    EXPECT_EQ(std::strtod(number.c_str(), nullptr), static_cast<double>(price)) << number;
  }
}

TEST(RequestText, ControlCharactersAreEscapedAndHighBytesKept) {
  KestoBrimoClientAsync client;
  client.AddCarDescription(1, std::string("a\x01\x1f\x7f\b\f\r/\xFF", 9), "", 0, 0);
  const std::string text = OnlyRequest(client).Text;
  EXPECT_NE(text.find("\"FullDescription\":\"a\\u0001\\u001f\x7f\\b\\f\\r/\xFF\""), std::string::npos) << text;
}

TEST(RequestText, LoginFormCarriesLoginAndDigestAndCommandIdZero) {
  KestoBrimoClientAsync client;
  client.SetConnectionParam("127.0.0.1", 1, "оператор", "пароль");
  Access::RndStr(client) = "Q7fz";
  SetNextCommandIdForTesting(17);
  EXPECT_EQ(client.GetDirectory(true), 0);
  EXPECT_EQ(PeekNextCommandId(), 17);
  const KestoBrimo_AsyncRequest request = OnlyRequest(client);
  EXPECT_EQ(request.Text,
            "{\"CommandCode\":2,\"CommandId\":0,\"CommandStr\":\"KBRCommand_GetDirectory\",\"Login\":\"оператор\","
            "\"PassHash\":\"21B5563CD9EDF2125BACE79B6006BA1A\"}\n");
  EXPECT_EQ(request.CommandId, 0);
  EXPECT_EQ(request.CommandCode, KBRCommand_GetDirectory);
}

TEST(RequestText, LoginWithoutRandomStringDigestsThePasswordAlone) {
  KestoBrimoClientAsync client;
  client.SetConnectionParam("h", 1, "", "abc");
  client.GetDirectory(true);
  EXPECT_NE(OnlyRequest(client).Text.find("\"Login\":\"\",\"PassHash\":\"900150983CD24FB0D6963F7D28E17F72\""),
            std::string::npos);
}

TEST(RequestNumbering, LoginTakesZeroAndTheOthersCountOnInQueueOrder) {
  KestoBrimoClientAsync client;
  SetNextCommandIdForTesting(7);
  EXPECT_EQ(client.AcceptOrder(1), 7);
  EXPECT_EQ(client.GetDirectory(true), 0);
  EXPECT_EQ(client.GetStatement(), 8);
  KestoBrimoClientAsync other;  // the counter is shared by every client
  EXPECT_EQ(other.GetStatement(), 9);
  std::vector<std::int32_t> ids;
  for (const auto& r : Access::Requests(client)) ids.push_back(r.CommandId);
  EXPECT_EQ(ids, (std::vector<std::int32_t>{7, 0, 8}));
}

TEST(RequestNumbering, AfterTheLargestIdItGoesOnFromOne) {
  KestoBrimoClientAsync client;
  SetNextCommandIdForTesting(2147483647);
  EXPECT_EQ(client.GetStatement(), 2147483647);
  EXPECT_EQ(client.GetDirectory(true), 0);
  EXPECT_EQ(client.AcceptOrder(3), 1);
  EXPECT_NE(Access::Requests(client).front().Text.find("\"CommandId\":2147483647,"), std::string::npos);
}

}  // namespace
