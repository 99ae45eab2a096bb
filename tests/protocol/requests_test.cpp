// The exact text of every request as it is queued and the bytes it goes out as, the login form with its digest, and the
// one command counter of all clients, which callers on several threads never share a number of.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "client/KestoBrimoClientAsync.h"
#include "protocol/Framing.h"
#include "support/ClientTestAccess.h"

using Access = KestoBrimoClientTestAccess;
using C = KestoBrimoClientAsync;

namespace {

// Every member an insert sends, and some it must not send.
KestoOrder SampleOrder() {
  KestoOrder o;
  o.CityIdFrom = 1, o.StreetFrom = "ул. \"Тверская\"", o.AdditionalFrom = "д. 7, под. 2", o.LatitudeFrom = 55.5f;
  o.LongitudeFrom = 37.25f, o.CityIdTo = 2, o.StreetTo = "Ленинградский пр.", o.LatitudeTo = -0.125f;
  o.LongitudeTo = 150, o.CarrierType = 3, o.Price = 150, o.ClientPhone = "+7 495 123\t45", o.StatusId = 4;
  o.PreliminaryTime = 4294967296LL * 3 + 1700000000, o.Time0Km1Fixed2 = 2, o.Comment = "тихо\nбыстро";
  o.TimeToLiveSec = 600, o.OrderId = 99, o.Publisher = 98, o.CarDescription = "нет", o.WriteTime = 5;
  return o;
}

TEST(RequestText, EveryCommandQueuesItsExactTextUnderTheNextNumber) {
  const std::pair<int (*)(C&), const char*> cases[] = {
      {[](C& c) { return c.AcceptOrder(4711); },
       R"({"CommandCode":3,"CommandId":5,"CommandStr":"KBRCommand_AcceptOrder","OrderId":4711})"},
      {[](C& c) { return c.ReturnMyOrder(-3); },
       R"({"CommandCode":6,"CommandId":5,"CommandStr":"KBRCommand_ReturnOrder","OrderId":-3})"},
      {[](C& c) { return c.ReturnForeignOrder(2147483647); },
       R"({"CommandCode":7,"CommandId":5,"CommandStr":"KBRCommand_ForceReturnOrder","OrderId":2147483647})"},
      {[](C& c) { return c.GetOrderFullInfo(12); },
       R"({"CommandCode":11,"CommandId":5,"CommandStr":"KBRCommand_GetOrderFullInfo","OrderId":12})"},
      {[](C& c) { return c.GetOrderpartialInfo(INT32_MIN); },
       R"({"CommandCode":12,"CommandId":5,"CommandStr":"KBRCommand_GetOrderPartialInfo","OrderId":-2147483648})"},
      {[](C& c) { return c.GetStatement(); },
       R"({"CommandCode":5,"CommandId":5,"CommandStr":"KBRCommand_GetStatement"})"},
      {[](C& c) { return c.GetDirectory(false); },
       R"({"CommandCode":2,"CommandId":5,"CommandStr":"KBRCommand_GetDirectory"})"},
      // A real carries the single-precision value widened, not its short decimal form.
      {[](C& c) { return c.ChangeOrderStatus(815, 3, 55.76f); },
       R"({"CommandCode":4,"CommandId":5,"CommandStr":"KBRCommand_SetOrderStatus","OrderId":815,)"
       R"("Price":55.7599983215332,"StatusId":3})"},
      {[](C& c) { return c.ChangeOrderStatus(1, 2, INFINITY); },
       R"({"CommandCode":4,"CommandId":5,"CommandStr":"KBRCommand_SetOrderStatus","OrderId":1,"Price":null,"StatusId":2})"},
      {[](C& c) { return c.GetTariff(10, 20, 30); },
       R"({"Acceptor":20,"CityId":30,"CommandCode":9,"CommandId":5,)"
       R"("CommandStr":"KBRCommand_GetTariffByPubisherAndAcceptor","Publisher":10})"},
      {[](C& c) { return c.SetOrderNotifyMode(2, 1700000000, 4294967296LL + 7); },
       R"({"BeginTime":1700000000,"CommandCode":10,"CommandId":5,"CommandStr":"KBRCommand_SetOrderNotifyMode",)"
       R"("EndTime":7,"Mode":2})"},
      {[](C& c) { return c.SetOrderNotifyMode(1, -1, 0); },
       R"({"BeginTime":4294967295,"CommandCode":10,"CommandId":5,"CommandStr":"KBRCommand_SetOrderNotifyMode",)"
       R"("EndTime":0,"Mode":1})"},
      // Control characters are escaped; every other byte, 0x7F and code page 1251 letters included, goes as it is.
      {[](C& c) { return c.AddCarDescription(9, "Лада \"Калина\"\\серая", "\x01\x1f\x7f\b\f\r/\xFF", 17, 5); },
       "{\"CallNumber\":17,\"CommandCode\":8,\"CommandId\":5,\"CommandStr\":\"KBRCommand_AddCarDescription\","
       "\"FullDescription\":\"Лада \\\"Калина\\\"\\\\серая\",\"GovNumber\":\"\\u0001\\u001f\x7f\\b\\f\\r/\xFF\","
       "\"OrderId\":9,\"ToCarMin\":5}"},
      {[](C& c) { return c.InsertOrder(SampleOrder()); },
       R"({"AdditionalFrom":"д. 7, под. 2","AdditionalTo":"","CarrierType":3,"CityIdFrom":1,"CityIdTo":2,)"
       R"("ClientPhone":"+7 495 123\t45","CommandCode":1,"CommandId":5,"CommandStr":"KBRCommand_InsertOrder",)"
       R"("Comment":"тихо\nбыстро","LatitudeFrom":55.5,"LatitudeTo":-0.125,"LongitudeFrom":37.25,"LongitudeTo":150.0,)"
       R"("PreliminaryTime":1700000000,"Price":150.0,"StatusId":4,"StreetFrom":"ул. \"Тверская\"",)"
       R"("StreetTo":"Ленинградский пр.","Time0Km1Fixed2":2,"TimeToLiveSec":600,"UniKey":0})"},
      // The digest is of the random string (Q7fz) and then the password, both in code page 1251.
      {[](C& c) { return c.GetDirectory(true); },
       R"({"CommandCode":2,"CommandId":0,"CommandStr":"KBRCommand_GetDirectory","Login":"оператор",)"
       R"("PassHash":"21B5563CD9EDF2125BACE79B6006BA1A"})"},
  };
  for (const auto& [issue, text] : cases) {
    SCOPED_TRACE(text);
    SetNextCommandIdForTesting(5);
    C client;
    client.SetConnectionParam("127.0.0.1", 1, "оператор", "пароль");
    Access::RndStr(client) = "Q7fz";
    const std::int32_t id = issue(client);
    const auto queue = Access::Requests(client);
    ASSERT_EQ(queue.size(), 1u);
    // Framed with the terminator and a zero byte; the code and number kept are the ones sent and returned, and
    // only the login takes no number from the counter.
    EXPECT_EQ(FrameRequest(queue[0].Text), text + std::string("\n\x08\0", 3));
    EXPECT_NE(queue[0].Text.find("\"CommandCode\":" + std::to_string(queue[0].CommandCode) +
                                 ",\"CommandId\":" + std::to_string(id) + ","),
              std::string::npos);
    EXPECT_EQ(std::make_pair(queue[0].CommandId, PeekNextCommandId()), std::make_pair(id, id == 0 ? 5 : 6));
  }
}

// One counter serves every client and goes on from one after the largest id;
// callers on several threads never share a number, and the queue is in number order.
TEST(RequestNumberingThreads, OneCounterServesEveryClientAndThreadWithoutSharingANumber) {
  SetNextCommandIdForTesting(2147483647);
  C client, other;
  EXPECT_EQ(std::vector<int>({other.GetStatement(), other.GetDirectory(true), client.AcceptOrder(3)}),
            std::vector<int>({2147483647, 0, 1}));
  auto issue = [&client] {
    for (int i = 0; i < 500; ++i) client.AcceptOrder(i);
  };
  std::thread first(issue), second(issue);
  for (int i = 0; i < 500; ++i) client.GetDirectory(true);  // the worker's login request meanwhile
  first.join();
  second.join();
  std::int32_t last = 0, logins = 0;  // every number from 1 on, once each, in queue order
  for (const KestoBrimo_AsyncRequest& r : Access::Requests(client)) {
    EXPECT_NE(r.Text.find("\"CommandId\":" + std::to_string(r.CommandId) + ","), std::string::npos);
    if (r.CommandId == 0)
      ++logins;
    else
      EXPECT_EQ(r.CommandId, ++last);
  }
  EXPECT_EQ(std::make_tuple(logins, last, PeekNextCommandId()), std::make_tuple(500, 1001, 1002));
}

}  // namespace
