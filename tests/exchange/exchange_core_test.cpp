// The exchange's logic driven directly: logins, the order life cycle among services, what each service is
// shown, money, notify modes, expiry, refused and malformed requests, the memory of answers given, the saved
// book; then its parts: block cutting, the data file, the wire form, the demo traffic and the command line.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>
#include <tuple>

#include "ExchangeTestData.h"
#include "exchange/BlockReader.h"
#include "exchange/CommandLine.h"
#include "exchange/DemoTraffic.h"
#include "platform/codepage.h"
#include "protocol/AnswerMemoryLimits.h"

namespace {

constexpr std::int64_t kNow = 1700000000;

// An exchange with named sessions, at first alpha's two desks "a" and "a2", beta's "b" and gamma's "g", all
// logged in; and the messages each session got since the last step.
struct Floor {
  Floor() {
    for (const auto& [name, login, password] : kDesks) Login(name, login, password);
  }
  // Opens a session under `name`, and logs in unless `login` is empty.
  void Login(const std::string& name, const std::string& login = "", const std::string& password = "") {
    fresh.clear();
    id[name] = core.OpenSession("test");
    Collect();
    if (!login.empty()) SendText(name, JsonText(LoginRequest(login, password, Got(name)["RndStr"].asString())));
  }
  Exchange::Verdict SendText(const std::string& name, const std::string& text, std::int64_t now = kNow) {
    const Exchange::Verdict v = core.HandleBlock(id[name], text, now);
    Collect();
    return v;
  }
  // Sends a request and checks who was told what (see Expect) unless `told` is "*"; the requester's first message.
  Json::Value Step(const std::string& name, const Json::Value& request, const std::string& told = "*",
                   std::int64_t now = kNow) {
    fresh.clear();
    SendText(name, JsonText(request) + "\n", now);
    if (told != "*") Expect(told);
    return fresh[id[name]].empty() ? Json::Value() : Got(name);
  }
  // Expires orders and checks who was told what, unless `told` is "*".
  void Expire(std::int64_t now, const std::string& told) {
    fresh.clear();
    core.ExpireOrders(now);
    Collect();
    if (told != "*") Expect(told);
  }
  // `told` lists, by name, the sessions told something and their messages, as in "a:5#1.3 b:5#1.1,4#1": the kind,
  // then the order's id and state if the message carries them.
  void Expect(const std::string& told) {
    std::string got;
    for (const auto& [name, session] : id) {
      std::string kinds;
      for (const Json::Value& m : fresh[session]) {
        kinds += (kinds.empty() ? "" : ",") + m["reason"].asString() + (m.isMember("OrderId") ? "#" : "") +
                 m["OrderId"].asString() + (m.isMember("BrimoOrderState") ? "." : "") + m["BrimoOrderState"].asString();
      }
      if (!kinds.empty()) got += (got.empty() ? "" : " ") + name + ":" + kinds;
    }
    EXPECT_EQ(got, told);
  }
  const Json::Value& Got(const std::string& name, std::size_t i = 0) { return fresh[id[name]].at(i); }
  // Every queued block is one JSON object on one line ended by the terminator, its texts raw UTF-8, not escaped.
  void Collect() {
    for (OutgoingBlock& b : core.TakeOutgoing()) {
      const std::string& s = b.Bytes;
      EXPECT_TRUE(!s.empty() && s.find_first_of("\\\n\x08") == s.size() - 1 && s.back() == '\x08');
      ParseJsonText(s.substr(0, s.size() - 1), fresh[b.Session].emplace_back());
    }
  }
  static constexpr const char* kDesks[4][3] = {
      {"a", "alpha", "a-pass"}, {"a2", "alpha2", "a2-pass"}, {"b", "beta", "b-pass"}, {"g", "gamma", "g-pass"}};
  Exchange core{TestExchangeData()};
  std::map<std::string, SessionId> id;
  std::map<SessionId, std::vector<Json::Value>> fresh;
};

// Publishes a standard order from the named session and returns its order id. Each request has a number of its
// own, as a client's do: a repeat would only be answered again.
int Publish(Floor& f, const std::string& name, double price = 500, int ttl = 0, std::int64_t now = kNow) {
  static unsigned commandId = 1000;
  return f.Step(name, InsertRequest(++commandId, price, ttl), "*", now)["OrderId"].asInt();
}

TEST(ExchangeLogin, RightHashLogsInWrongOneIsRefusedAndClosed) {
  Floor f;
  f.Login("x");
  const std::string rndStr = f.Got("x")["RndStr"].asString();
  f.Login("y");
  EXPECT_NE(rndStr, f.Got("y")["RndStr"].asString());
  // Commands before the login are refused without closing.
  EXPECT_EQ(Show(f.Step("x", OrderRequest(3, 9, 1), "x:7"), "OperationStatus CommandId CommandCode"), "-7 9 3");
  f.Login("ok", "alpha", "a-pass");
  f.Expect("ok:1,2");  // the authentication block, then the directories
  EXPECT_EQ(
      Show(f.Got("ok", 1), "CommandId CommandCode OperationStatus OrderStatusDirectory.17 CarrierTypeDirectory.2"),
      "0 2 0 On exchange Van");
  EXPECT_EQ(f.Got("ok", 1)["ClientDbDirectory"]["1"]["CityIdList"].getMemberNames(),
            std::vector<std::string>({"1", "2"}));
  // The desk digests the password in code page 1251.
  f.Login("cyr", "cyr", platform::AnsiFromUtf8(u8"пароль"));
  EXPECT_EQ(f.core.ServiceOf(f.id["ok"]) * 10 + f.core.ServiceOf(f.id["cyr"]), 13);
  EXPECT_TRUE(f.core.TakeClosing().empty());
  const std::string wrong[][2] = {{"alpha", "b-pass"}, {"nobody", "a-pass"}, {"cyr", u8"пароль"}};
  for (const auto& [login, password] : wrong) {
    f.Login("refused", login, password);
    f.Expect("refused:1,7");
    EXPECT_EQ(Show(f.Got("refused", 1), "OperationStatus") + std::to_string(f.core.ServiceOf(f.id["refused"])), "-70");
    EXPECT_EQ(f.core.TakeClosing(), std::vector<SessionId>({f.id["refused"]}));
  }
}

TEST(ExchangeLifeCycle, OrdersArePublishedTakenGivenBackChangedWithdrawnAndExpiredAndTheirPartiesTold) {
  Floor f;
  // The publisher's other desk is told, unasked; the publisher's key stays its own.
  const Json::Value mine = f.Step("a", InsertRequest(31, 1000), "a:5#1.0 a2:5#1.0 b:3#1.0 g:3#1.0");
  EXPECT_EQ(
      Show(mine, "CommandId CommandCode OperationStatus Num Publisher UniKey WriteTime PreliminaryTime StreetFrom"),
      "31 1 0 1 1 4242 1700000000 4000000000 Main street");
  EXPECT_EQ(Show(f.Got("a2"), "CommandId") + " " + Show(f.Got("b"), "UniKey") + " " + Show(f.Got("g"), "UniKey"),
            "0 0 0");
  // ALPHA-BETA tariff: 1 % to the exchange, 2 % to the publisher.
  const Json::Value taken = f.Step("b", OrderRequest(3, 77, 1), "a:5#1.3 a2:5#1.3 b:5#1.1,4#1 g:4#1", kNow + 5);
  EXPECT_EQ(Show(taken, "CommandId CommandCode Acceptor AcceptTime ServiceComission PublisherComission"),
            "77 3 2 1700000005 10.0 20.0");
  EXPECT_EQ(f.core.Balance(1) * 1000 + f.core.Balance(2), 1020470);
  Publish(f, "a", 1000);
  f.Step("g", OrderRequest(3, 50, 2), "a:5#2.3 a2:5#2.3 b:4#2 g:5#2.1,4#2");  // BASE tariff: 10 % + 5, 20 % + 1
  EXPECT_EQ(f.core.Balance(3), -306);
  const Json::Value back = f.Step("g", OrderRequest(7, 52, 2), "a:5#2.2 a2:5#2.2 b:3#2.2 g:6#2,3#2.2");
  EXPECT_EQ(Show(back, "CommandId") + " " + Show(f.Got("a"), "Acceptor"), "52 0");
  // Commissions come back; the forfeits are paid instead.
  EXPECT_EQ(f.core.Balance(1), 1031);
  EXPECT_EQ(f.Step("g", Request(5, 53), "g:7")["Num"].asInt(), -18);
  f.Expire(kNow + 1, "");  // given back without a lifetime, it stays too
  EXPECT_EQ(f.Step("a", OrderRequest(6, 54, 2), "a:6#2 a2:6#2 b:4#2 g:4#2")["CommandId"].asInt(), 54);
  EXPECT_EQ(f.core.Orders().size(), 1u);
  // Re-pricing an offered order shows the others the new price; then status, price and car go to the publisher and
  // the acceptor only; withdrawing an accepted order takes it from the acceptor's list too.
  Publish(f, "a");
  const Json::Value change = OrderRequest(4, 40, 3, R"({"StatusId": 17, "Price": 650.5})");
  EXPECT_EQ(f.Step("a", change, "a:5#3.0 a2:5#3.0 b:3#3.0 g:3#3.0")["CommandId"].asInt(), 40);
  EXPECT_EQ(f.Got("g")["Price"].asDouble(), 650.5);
  f.Step("b", OrderRequest(3, 41, 3));
  const Json::Value status =
      f.Step("b", With(With(change, "StatusId", 18), "CommandId", 42), "a:5#3.3 a2:5#3.3 b:5#3.1");
  EXPECT_EQ(Show(status, "StatusId CommandId") + " " + Show(f.Got("a"), "CommandId"), "18 42 0");
  const std::string carInfo =
      R"({"FullDescription": "white sedan", "GovNumber": "A123BC", "CallNumber": 17, "ToCarMin": 7})";
  const Json::Value car = f.Step("b", OrderRequest(8, 43, 3, carInfo), "a:5#3.3 a2:5#3.3 b:5#3.1", kNow + 9);
  EXPECT_EQ(Show(car, "CarCallNumber ToCarMin SetCarInfoTime CarGovNumber") + " " + Show(f.Got("a"), "CarDescription"),
            "17 7 1700000009 A123BC white sedan");
  f.Step("a", OrderRequest(6, 56, 3), "a:6#3 a2:6#3 b:6#3");
  // Only an order given a lifetime expires, when its time is up, from every pool.
  Publish(f, "a", 500, 60);
  Publish(f, "a", 500, 0);
  f.Expire(kNow + 59, "");
  f.Expire(kNow + 60, "a:4#4,5#4.4 a2:4#4,5#4.4 b:4#4 g:4#4");
  f.Expire(kNow + 1000000, "");
}

// Every refusal is answered to the requester alone, with its status and a reason, and changes nothing.
TEST(ExchangeRequests, RefusalsAreAnsweredToTheRequesterAlone) {
  Floor f;
  const int pooled = Publish(f, "a"), taken = Publish(f, "a"), expired = Publish(f, "a", 500, 60);
  f.Step("b", OrderRequest(3, 1, taken));
  f.Expire(kNow + 60, "a:4#3,5#3.4 a2:4#3,5#3.4 b:4#3 g:4#3");
  const std::string car = R"({"FullDescription": "", "GovNumber": "", "CallNumber": 1, "ToCarMin": 1})";
  std::vector<std::tuple<const char*, Json::Value, int>> cases = {
      {"a", OrderRequest(3, 101, pooled), -1},  // its own order
      {"g", OrderRequest(3, 102, taken), -1},
      {"b", OrderRequest(3, 103, taken), -1},
      {"b", OrderRequest(3, 104, expired), -1},
      {"b", OrderRequest(3, 105, 999999), -1},
      {"b", OrderRequest(4, 106, taken, R"({"StatusId": 99, "Price": 1})"), -11},
      {"g", OrderRequest(4, 107, taken, R"({"StatusId": 21, "Price": 1})"), -11},
      {"b", OrderRequest(4, 108, taken, R"({"StatusId": 21, "Price": -1})"), -11},
      {"b", OrderRequest(4, 109, taken, R"({"StatusId": 21})"), -11},
      {"a", OrderRequest(8, 110, taken, car), -1},  // the car is the acceptor's to report
      {"g", OrderRequest(8, 111, pooled, car), -1},
      {"b", OrderRequest(8, 112, taken, R"({"FullDescription": 5})"), -1},
      {"b", OrderRequest(7, 113, pooled), -1},  // giving back what it does not hold
      {"g", OrderRequest(7, 114, taken), -1},
      {"b", OrderRequest(6, 115, pooled), -1},  // only the publisher withdraws
      {"b", OrderRequest(6, 116, 999999), -1},
      {"g", OrderRequest(11, 117, taken), -1},  // a bystander is told nothing of a taken order
      {"a", OrderRequest(12, 118, 999999), -1},
      {"b", Request(10, 119, R"({"Mode": 5, "BeginTime": 0, "EndTime": 0})"), -1},
      {"b", Request(10, 120, R"({"Mode": 0})"), -1},
      {"b", Request(9, 121, R"({"Publisher": 1})"), -1},
      {"b", Request(99, 122), -1},
      {"b", With(Request(3, 123), "OrderId", "one"), -1},
  };
  // An order with one member spoiled.
  const std::pair<const char*, Json::Value> spoiled[] = {
      {"Price", "cheap"}, {"Price", -1},    {"CityIdFrom", 77},    {"CityIdTo", 77},
      {"CarrierType", 9}, {"StatusId", 99}, {"Time0Km1Fixed2", 3}, {"Comment", std::string(kMaxTextBytes + 1, 'x')}};
  for (const auto& [member, value] : spoiled)
    cases.push_back({"a", With(InsertRequest(cases.size(), 100), member, value), -10});
  const std::string before = f.core.StateText();
  for (const auto& [who, request, status] : cases) {
    SCOPED_TRACE(JsonText(request).substr(0, 100));
    const Json::Value answer = f.Step(who, request, who + std::string(":7"));
    EXPECT_EQ(Show(answer, "OperationStatus CommandId CommandCode") + (answer["ErrorString"] == "" ? " silent" : ""),
              Show(With(request, "OperationStatus", status), "OperationStatus CommandId CommandCode"));
  }
  EXPECT_EQ(f.core.StateText(), before);
  std::string notUtf8 = JsonText(With(InsertRequest(132, 100), "StreetFrom", "STREET"));
  notUtf8.replace(notUtf8.find("STREET"), 6, "\xC0\xAF");
  f.fresh.clear();
  f.SendText("a", notUtf8);
  // A request without its number is answered as number 0; a blank block is let pass.
  EXPECT_EQ(f.SendText("a", "{\"CommandCode\":5}"), Exchange::Verdict::Keep);
  EXPECT_EQ(f.SendText("a", "  \r\n"), Exchange::Verdict::Keep);
  f.Expect("a:7,7");
  EXPECT_EQ(Show(f.Got("a"), "OperationStatus") + ";" + Show(f.Got("a", 1), "OperationStatus CommandId"), "-10;-1 0");
  f.fresh.clear();
  // A block that is no JSON object: the peer does not speak the protocol.
  for (const std::string& garbage : {std::string("not json"), std::string("[1,2]"), std::string("{\"a\":1} {}"),
                                     std::string(100000, '[') + std::string(100000, ']')})
    EXPECT_EQ(f.SendText("a", garbage), Exchange::Verdict::Drop) << garbage.substr(0, 10);
  f.Expect("");
}

TEST(ExchangeQueries, NotifyModesShowMatchingOrdersAndStatementTariffAndOrderQueriesAnswer) {
  Floor f;
  Publish(f, "a", 500, 0, kNow - 3600);
  Publish(f, "a", 500, 0, kNow - 5);
  Publish(f, "b", 500, 0, kNow - 5);
  const Json::Value mode = Request(10, 80, R"({"Mode": 1, "BeginTime": 60, "EndTime": 0})");
  EXPECT_EQ(Show(f.Step("b", mode, "b:7,3#2.0,5#3.0"), "CommandId OperationStatus Num"), "80 0 2");
  f.Step("b", With(mode, "Mode", 0), "b:7,3#1.0,3#2.0,5#3.0");
  // An interval in the past hides what is published now.
  f.Step("b", Request(10, 81, R"({"Mode": 2, "BeginTime": 1699992800, "EndTime": 1699998200})"), "b:7,3#1.0");
  f.Step("a", InsertRequest(82, 500), "a:5#4.0 a2:5#4.0 g:3#4.0");
  // A fresh login shows the pool and the service's own orders.
  f.Login("b2", "beta", "b-pass");
  f.Expect("b2:1,2,3#1.0,3#2.0,5#3.0,3#4.0");
  EXPECT_EQ(Show(f.Step("b", Request(5, 70), "b:7"), "Num OperationStatus CommandId"), "500 0 70");
  const Json::Value tariff = Request(9, 71, R"({"Publisher": 1, "Acceptor": 2, "CityId": 3})");
  const Json::Value got = f.Step("b", tariff, "b:9");
  EXPECT_EQ(Show(got, "CityId TariffId") + " " + Show(f.Step("b", With(tariff, "Acceptor", 3), "b:9"), "TariffId"),
            "3 ALPHA-BETA BASE");
  EXPECT_TRUE(got["MinOrderPrice"].isNumeric());
  Publish(f, "a");
  EXPECT_EQ(Show(f.Step("a", OrderRequest(11, 72, 5), "a:10#5.0"), "CommandId UniKey ClientPhone"),
            "72 4242 +7 900 000-00-00");
  f.Step("g", OrderRequest(12, 73, 5), "g:11#5.0");
  f.Step("b", OrderRequest(3, 74, 5));
  f.Step("b", OrderRequest(12, 76, 5), "b:11#5.1");
  // A long book shows a newcomer its newest orders only.
  for (std::size_t i = 5; i < kMaxOrdersShown + 10; ++i) Publish(f, "a");
  f.Login("new", "beta", "b-pass");
  ASSERT_EQ(f.fresh[f.id["new"]].size(), 2 + kMaxOrdersShown);
  EXPECT_EQ(Show(f.Got("new", 2), "OrderId") + " " + Show(f.Got("new", 1 + kMaxOrdersShown), "OrderId"),
            "11 " + std::to_string(kMaxOrdersShown + 10));
}

// A request sent again after a broken connection, on the account's next session: answered from memory, acted on
// once, for ten minutes and 4,096 requests.
TEST(ExchangeRequests, ARepeatedRequestIsAnsweredAgainNotHandledAgain) {
  Floor f;
  f.Step("a", InsertRequest(7, 500), "a:5#1.0 a2:5#1.0 b:3#1.0 g:3#1.0");
  f.Login("again", "alpha", "a-pass");
  // The answer, then the order as it stands; offered to nobody again.
  f.Step("again", InsertRequest(7, 500), "again:5#1.0,5#1.0", kNow + 600);
  EXPECT_EQ(Show(f.Got("again"), "CommandId") + " " + Show(f.Got("again", 1), "CommandId"), "7 0");
  // The orders after each step. Handled: a known id with another text (a desk numbering from 1 again), and the same
  // request once ten minutes have passed. The newest 4,096 are kept: the oldest is answered until one more comes.
  std::string orders = std::to_string(f.core.Orders().size());
  const auto send = [&](const Json::Value& request, std::int64_t now) {
    f.Step("again", request, "*", now);
    orders += std::to_string(f.core.Orders().size());
  };
  send(InsertRequest(7, 600), kNow);
  send(InsertRequest(7, 500), kNow + 601);
  send(InsertRequest(8, 500), kNow + 1000);
  for (unsigned id = 100; id < 100 + kAnswerMemoryCount - 1; ++id) f.Step("again", Request(5, id), "*", kNow + 1000);
  send(InsertRequest(8, 500), kNow + 1000);
  f.Step("again", Request(5, 99), "*", kNow + 1000);
  send(InsertRequest(8, 500), kNow + 1000);
  EXPECT_EQ(orders, "123445");
}

// A saved book comes back whole in a fresh exchange: every order, its expiry, the balances and the next id; a damaged
// text leaves the fresh exchange as it was.
TEST(ExchangeState, ASavedBookLoadsWholeAndADamagedOneLeavesTheBookEmpty) {
  Floor f;
  const int accepted = Publish(f, "a", 700), givenBack = Publish(f, "a", 300, 60), withdrawn = Publish(f, "a");
  f.Step("b", OrderRequest(3, 7001, accepted));
  f.Step("b", OrderRequest(3, 7002, givenBack));
  f.Step("b", OrderRequest(7, 7003, givenBack));
  f.Step("a", OrderRequest(6, 7004, withdrawn));
  const std::string saved = f.core.StateText();
  Exchange fresh(TestExchangeData()), later(TestExchangeData());
  std::string error;
  ASSERT_TRUE(fresh.LoadState(saved, kNow, error)) << error;
  EXPECT_EQ(fresh.StateText(), saved);
  // Down for longer than the given-back order had to live.
  ASSERT_TRUE(later.LoadState(saved, kNow + 60, error));
  EXPECT_EQ(later.Orders().at(givenBack).Stage, OrderStage::Expired);
  Json::Value twice, badPrice;
  ASSERT_TRUE(ParseJsonText(saved, twice) && ParseJsonText(saved, badPrice));
  twice["Orders"].append(twice["Orders"][0]);
  badPrice["Orders"][0]["Price"] = "much";
  for (const std::string& text :
       {std::string(), std::string("[]"), saved.substr(0, saved.size() / 2), JsonText(twice), JsonText(badPrice),
        std::string(R"({"NextOrderId":1,"Orders":[{"OrderId":1}],"Balances":{}})"),
        std::string(R"({"NextOrderId":1,"Orders":[],"Balances":{"1":"much"}})")}) {
    Exchange empty(TestExchangeData());
    EXPECT_FALSE(empty.LoadState(text, kNow, error)) << text;
    EXPECT_TRUE(empty.Orders().empty() && empty.Balance(1) == 1000) << text;
  }
}

// Many complete blocks in one chunk are no overflow, however long the chunk.
TEST(BlockReader, OnlyAnUnterminatedBlockPastTheLimitOverflows) {
  BlockReader limited(10), many(10);
  std::string block, terminators(100000, '\x08');
  limited.Append("0123456789", 10);
  EXPECT_FALSE(limited.Next(block) || limited.Overflowed());
  limited.Append("x", 1);
  many.Append(terminators.data(), terminators.size());
  int count = 0;
  while (many.Next(block)) ++count;
  EXPECT_EQ(std::to_string(limited.Overflowed()) + std::to_string(many.Overflowed()) + std::to_string(count),
            "10100000");
}

TEST(ExchangeData, MalformedFilesAreRefusedAndTheMostSpecificTariffWins) {
  const std::string valid = kTestExchangeText;
  const std::pair<std::string, std::string> edits[] = {
      {"\"1\": \"Car\"", "\"x\": \"Car\""},          // an id that is not a number
      {"\"Cities\": [3]", "\"Cities\": [9]"},        // a service in an unknown city
      {"\"ServiceId\": 3}]", "\"ServiceId\": 9}]"},  // an account of no service
      {"\"Id\": 1,", "\"Id\": \"1\","},              // a mistyped id
      {"\"Id\": 4,", "\"Id\": 3,"},                  // an id used twice
      {"\"Tariffs\": [", "\"Tariffs\": {}, \"T\": ["},
      {"{\"CarrierTypes\"", "[{\"CarrierTypes\""},
  };
  ExchangeData data;
  std::string error;
  for (auto [from, to] : edits)
    EXPECT_FALSE(LoadExchangeData(std::string(valid).replace(valid.find(from), from.size(), to), data, error = "") ||
                 error.empty())
        << to;
  data = TestExchangeData();
  EXPECT_EQ(FindTariff(data, 1, 2, 1)->TariffId + FindTariff(data, 2, 1, 1)->TariffId, "ALPHA-BETABASE");
  data.Tariffs.clear();
  EXPECT_EQ(FindTariff(data, 1, 2, 1), nullptr);
}

TEST(DemoTraffic, SimulatedServicesPublishRepriceAndWithdrawWithinBounds) {
  Floor f;
  DemoTraffic demo(f.core, 12345);
  ASSERT_TRUE(demo.HasActors());
  std::set<int> reasons;
  std::set<double> prices;
  std::set<int> tariffs;
  for (std::int64_t now = kNow; now < kNow + 1200; now += 4) {
    demo.Step(now);
    f.Expire(now, "*");
    for (const Json::Value& m : f.fresh[f.id["b"]]) {
      reasons.insert(m["reason"].asInt());
      if (m["reason"] == 3) prices.insert(m["Price"].asDouble()), tariffs.insert(m["Time0Km1Fixed2"].asInt());
    }
    ASSERT_LE(f.core.Orders().size(), 8u);
  }
  EXPECT_TRUE(reasons.count(3) && reasons.count(4) && prices.size() > 3);
  EXPECT_EQ(tariffs, (std::set<int>{0, 1, 2}));                             // every tariff mode, and only those
  for (double price : prices) EXPECT_EQ(std::fmod(price, 10), 0) << price;  // whole tens, repriced too
  for (const auto& entry : f.core.Orders()) EXPECT_EQ(entry.second.Publisher, 4);
}

TEST(CommandLine, OptionsAndMistakes) {
  CommandLine line;
  std::string error;
  const ServerOptions& o = line.Server;
  EXPECT_TRUE(ParseCommandLine({}, line, error) && o.Port == kDefaultExchangePort && o.BindAddress == "127.0.0.1" &&
              !o.Demo && !line.Help);
  ASSERT_TRUE(ParseCommandLine({"--port", "0", "--demo", "--data", "x.json", "--state", "s.json", "--bind", "0.0.0.0",
                                "--demo-period", "100", "--demo-for", "86400", "--help"},
                               line, error));
  EXPECT_TRUE(o.Port == 0 && o.Demo && line.Help && o.DemoPeriodMs == 100 && o.DemoForMs == 86400000);
  EXPECT_EQ(line.DataPath + line.StatePath + o.BindAddress, "x.jsons.json0.0.0.0");
  const std::vector<std::string> mistakes[] = {
      {"--port"},          {"--port", "65536"},     {"--port", "-1"}, {"--port", "12x"},
      {"--data"},          {"--state", ""},         {"--bind"},       {"--demo-period", "99"},
      {"--demo-for", "0"}, {"--demo-for", "86401"}, {"--frobnicate"}};
  // Each is refused with a word why.
  for (const auto& bad : mistakes) EXPECT_FALSE(ParseCommandLine(bad, line, error = "") || error.empty());
  EXPECT_NE(UsageText("kbexchange").find("17171"), std::string::npos);
}

}  // namespace
