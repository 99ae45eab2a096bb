// The exchange's logic driven directly: logins, the order life cycle among
// services, what each service is shown, money, notify modes, expiry, and how
// malformed requests are answered.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>

#include "ExchangeTestData.h"
#include "exchange/Exchange.h"
#include "platform/codepage.h"
#include "protocol/AnswerMemoryLimits.h"

namespace {

constexpr std::int64_t kNow = 1700000000;

// An exchange with sessions, and the messages each session received.
class Desk {
 public:
  Desk() : exchange_(TestExchangeData()) {}

  SessionId Open() {
    const SessionId id = exchange_.OpenSession("test");
    Collect();
    return id;
  }
  std::string RndStr(SessionId id) {
    for (const Json::Value& m : all_[id])
      if (m["reason"].asInt() == 1) return m["RndStr"].asString();
    return "";
  }
  SessionId LoggedIn(const std::string& login, const std::string& password) {
    const SessionId id = Open();
    Send(id, LoginRequest(login, password, RndStr(id)));
    return id;
  }
  Exchange::Verdict SendText(SessionId id, const std::string& text, std::int64_t now = kNow) {
    const Exchange::Verdict v = exchange_.HandleBlock(id, text, now);
    Collect();
    return v;
  }
  Exchange::Verdict Send(SessionId id, const Json::Value& request, std::int64_t now = kNow) {
    return SendText(id, Compact(request) + "\n", now);
  }
  // Messages received since the last call.
  std::vector<Json::Value> Take(SessionId id) {
    std::vector<Json::Value> out;
    out.swap(fresh_[id]);
    return out;
  }
  void TakeAll() { fresh_.clear(); }
  void Collect() {
    for (OutgoingBlock& b : exchange_.TakeOutgoing()) {
      Json::Value m = DecodeBlock(b.Bytes);
      fresh_[b.Session].push_back(m);
      all_[b.Session].push_back(m);
    }
  }
  Exchange& Core() { return exchange_; }

 private:
  Exchange exchange_;
  std::map<SessionId, std::vector<Json::Value>> fresh_, all_;
};

std::vector<int> Reasons(const std::vector<Json::Value>& messages) {
  std::vector<int> out;
  for (const Json::Value& m : messages) out.push_back(m["reason"].asInt());
  return out;
}

// Publishes a standard order from `id` and returns its order id. Each request
// has a number of its own, as a client's do: a repeat would only be answered again.
int Publish(Desk& d, SessionId id, double price = 500, int ttl = 0, std::int64_t now = kNow) {
  static unsigned commandId = 1000;
  d.Send(id, InsertRequest(++commandId, price, ttl), now);
  const std::vector<Json::Value> got = d.Take(id);
  if (got.empty() || got.back()["reason"].asInt() != 5 || got.back()["CommandId"].asUInt() != commandId) return 0;
  return got.back()["OrderId"].asInt();
}

TEST(ExchangeLogin, RightHashLogsInWrongOneIsRefusedAndClosed) {
  Desk d;
  const SessionId a = d.Open();
  const SessionId b = d.Open();
  EXPECT_EQ(d.RndStr(a).size(), 32u);
  EXPECT_NE(d.RndStr(a), d.RndStr(b));
  d.TakeAll();

  const SessionId ok = d.LoggedIn("alpha", "a-pass");
  const std::vector<Json::Value> got = d.Take(ok);
  ASSERT_EQ(got.size(), 2u);  // the authentication block, then the directories
  const Json::Value& dirs = got[1];
  EXPECT_EQ(dirs["reason"].asInt(), 2);
  EXPECT_EQ(dirs["CommandId"].asUInt(), 0u);
  EXPECT_EQ(dirs["CommandCode"].asInt(), 2);
  EXPECT_EQ(dirs["OperationStatus"].asInt(), 0);
  EXPECT_EQ(dirs["OrderStatusDirectory"]["17"].asString(), "On exchange");
  EXPECT_EQ(dirs["CityDirectory"]["3"].asString(), "Kazan");
  EXPECT_EQ(dirs["CarrierTypeDirectory"]["2"].asString(), "Van");
  const Json::Value& alpha = dirs["ClientDbDirectory"]["1"];
  EXPECT_EQ(alpha["ClientId"].asInt(), 1);
  EXPECT_EQ(alpha["ShortName"].asString(), "Alpha");
  EXPECT_TRUE(alpha["CityIdList"].isObject());
  EXPECT_THAT(alpha["CityIdList"].getMemberNames(), testing::ElementsAre("1", "2"));
  EXPECT_EQ(d.Core().ServiceOf(ok), 1);
  EXPECT_TRUE(d.Core().TakeClosing().empty());

  for (const auto& wrong : {std::make_pair("alpha", "b-pass"), std::make_pair("nobody", "a-pass")}) {
    const SessionId bad = d.LoggedIn(wrong.first, wrong.second);
    const std::vector<Json::Value> refused = d.Take(bad);
    ASSERT_EQ(refused.size(), 2u);
    EXPECT_EQ(refused[1]["OperationStatus"].asInt(), -7);
    EXPECT_NE(refused[1]["ErrorString"].asString(), "");
    EXPECT_EQ(refused[1]["reason"].asInt(), kReasonPlainAnswer);
    EXPECT_EQ(d.Core().ServiceOf(bad), 0);
    EXPECT_THAT(d.Core().TakeClosing(), testing::ElementsAre(bad));
  }
}

TEST(ExchangeLogin, CyrillicPasswordIsDigestedInCodePage1251) {
  Desk d;
  const SessionId s = d.LoggedIn("cyr", platform::AnsiFromUtf8(u8"пароль"));
  EXPECT_EQ(d.Core().ServiceOf(s), 3);
  const SessionId utf8 = d.LoggedIn("cyr", u8"пароль");
  EXPECT_EQ(d.Core().ServiceOf(utf8), 0);
}

TEST(ExchangeLogin, CommandsBeforeLoginAreRefusedWithoutClosing) {
  Desk d;
  const SessionId s = d.Open();
  d.TakeAll();
  EXPECT_EQ(d.Send(s, OrderRequest(3, 9, 1)), Exchange::Verdict::Keep);
  const std::vector<Json::Value> got = d.Take(s);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0]["OperationStatus"].asInt(), -7);
  EXPECT_EQ(got[0]["CommandId"].asUInt(), 9u);
  EXPECT_EQ(got[0]["CommandCode"].asInt(), 3);
  EXPECT_TRUE(d.Core().TakeClosing().empty());
}

TEST(ExchangeLifeCycle, PublishOffersAcceptTakesFirstComerAndMovesMoney) {
  Desk d;
  const SessionId alpha = d.LoggedIn("alpha", "a-pass");
  const SessionId alpha2 = d.LoggedIn("alpha2", "a2-pass");
  const SessionId beta = d.LoggedIn("beta", "b-pass");
  const SessionId gamma = d.LoggedIn("gamma", "g-pass");
  d.TakeAll();

  d.Send(alpha, InsertRequest(31, 1000));
  std::vector<Json::Value> got = d.Take(alpha);
  ASSERT_EQ(got.size(), 1u);
  const Json::Value& mine = got[0];
  EXPECT_EQ(mine["reason"].asInt(), 5);
  EXPECT_EQ(mine["CommandId"].asUInt(), 31u);
  EXPECT_EQ(mine["CommandCode"].asInt(), 1);
  EXPECT_EQ(mine["OperationStatus"].asInt(), 0);
  const int id = mine["OrderId"].asInt();
  EXPECT_GT(id, 0);
  EXPECT_EQ(mine["Num"].asInt(), id);
  EXPECT_EQ(mine["Publisher"].asInt(), 1);
  EXPECT_EQ(mine["BrimoOrderState"].asInt(), 0);
  EXPECT_EQ(mine["UniKey"].asInt(), 4242);
  EXPECT_EQ(mine["WriteTime"].asUInt(), static_cast<unsigned>(kNow));
  EXPECT_EQ(mine["StreetFrom"].asString(), "Main street");
  // The publisher's other desk is told too, as a notification.
  got = d.Take(alpha2);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0]["reason"].asInt(), 5);
  EXPECT_EQ(got[0]["CommandId"].asUInt(), 0u);
  for (SessionId other : {beta, gamma}) {
    got = d.Take(other);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0]["reason"].asInt(), 3);
    EXPECT_EQ(got[0]["OrderId"].asInt(), id);
    EXPECT_EQ(got[0]["BrimoOrderState"].asInt(), 0);
    EXPECT_EQ(got[0]["UniKey"].asInt(), 0);  // the publisher's key stays its own
  }

  d.Send(beta, OrderRequest(3, 77, id), kNow + 5);
  got = d.Take(beta);
  ASSERT_THAT(Reasons(got), testing::ElementsAre(5, 4));
  EXPECT_EQ(got[0]["CommandId"].asUInt(), 77u);
  EXPECT_EQ(got[0]["CommandCode"].asInt(), 3);
  EXPECT_EQ(got[0]["BrimoOrderState"].asInt(), 1);
  EXPECT_EQ(got[0]["Acceptor"].asInt(), 2);
  EXPECT_EQ(got[0]["AcceptTime"].asUInt(), static_cast<unsigned>(kNow + 5));
  // ALPHA-BETA tariff: 1 % to the exchange, 2 % to the publisher.
  EXPECT_DOUBLE_EQ(got[0]["ServiceComission"].asDouble(), 10);
  EXPECT_DOUBLE_EQ(got[0]["PublisherComission"].asDouble(), 20);
  EXPECT_EQ(got[1]["OrderId"].asInt(), id);
  for (SessionId pub : {alpha, alpha2}) {
    got = d.Take(pub);
    ASSERT_THAT(Reasons(got), testing::ElementsAre(5));
    EXPECT_EQ(got[0]["BrimoOrderState"].asInt(), 3);
  }
  got = d.Take(gamma);
  ASSERT_THAT(Reasons(got), testing::ElementsAre(4));

  // Later acceptors lose, with a reason, and nobody else hears of it.
  d.Send(gamma, OrderRequest(3, 78, id));
  got = d.Take(gamma);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_NE(got[0]["OperationStatus"].asInt(), 0);
  EXPECT_EQ(got[0]["CommandId"].asUInt(), 78u);
  EXPECT_NE(got[0]["ErrorString"].asString(), "");
  EXPECT_TRUE(d.Take(alpha).empty());
  EXPECT_TRUE(d.Take(beta).empty());

  EXPECT_DOUBLE_EQ(d.Core().Balance(1), 1020);
  EXPECT_DOUBLE_EQ(d.Core().Balance(2), 470);

  // A service cannot take its own order.
  const int own = Publish(d, alpha);
  d.TakeAll();
  d.Send(alpha2, OrderRequest(3, 79, own));
  got = d.Take(alpha2);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_NE(got[0]["OperationStatus"].asInt(), 0);
}

TEST(ExchangeLifeCycle, StatusPriceAndCarGoToPublisherAndAcceptorOnly) {
  Desk d;
  const SessionId alpha = d.LoggedIn("alpha", "a-pass");
  const SessionId beta = d.LoggedIn("beta", "b-pass");
  const SessionId gamma = d.LoggedIn("gamma", "g-pass");
  const int id = Publish(d, alpha);

  // Re-pricing an offered order shows the others the new price.
  d.TakeAll();
  Json::Value change = OrderRequest(4, 40, id);
  change["StatusId"] = 17;
  change["Price"] = 650.5;
  d.Send(alpha, change);
  std::vector<Json::Value> got = d.Take(alpha);
  ASSERT_THAT(Reasons(got), testing::ElementsAre(5));
  EXPECT_EQ(got[0]["CommandId"].asUInt(), 40u);
  got = d.Take(gamma);
  ASSERT_THAT(Reasons(got), testing::ElementsAre(3));
  EXPECT_DOUBLE_EQ(got[0]["Price"].asDouble(), 650.5);

  d.Send(beta, OrderRequest(3, 41, id));
  d.TakeAll();

  change["StatusId"] = 18;
  change["CommandId"] = 42;
  d.Send(beta, change);
  got = d.Take(beta);
  ASSERT_THAT(Reasons(got), testing::ElementsAre(5));
  EXPECT_EQ(got[0]["StatusId"].asInt(), 18);
  EXPECT_EQ(got[0]["CommandId"].asUInt(), 42u);
  got = d.Take(alpha);
  ASSERT_THAT(Reasons(got), testing::ElementsAre(5));
  EXPECT_EQ(got[0]["CommandId"].asUInt(), 0u);
  EXPECT_TRUE(d.Take(gamma).empty());

  change["StatusId"] = 99;
  d.Send(beta, change);
  EXPECT_EQ(d.Take(beta).at(0)["OperationStatus"].asInt(), -11);
  change["StatusId"] = 21;
  d.Send(gamma, change);
  EXPECT_EQ(d.Take(gamma).at(0)["OperationStatus"].asInt(), -11);

  Json::Value car = OrderRequest(8, 43, id);
  car["FullDescription"] = "white sedan";
  car["GovNumber"] = "A123BC";
  car["CallNumber"] = 17;
  car["ToCarMin"] = 7;
  d.Send(alpha, car);  // the car is the acceptor's to report
  EXPECT_NE(d.Take(alpha).at(0)["OperationStatus"].asInt(), 0);
  d.Send(beta, car, kNow + 9);
  got = d.Take(beta);
  ASSERT_THAT(Reasons(got), testing::ElementsAre(5));
  EXPECT_EQ(got[0]["CarGovNumber"].asString(), "A123BC");
  EXPECT_EQ(got[0]["CarCallNumber"].asInt(), 17);
  EXPECT_EQ(got[0]["ToCarMin"].asInt(), 7);
  EXPECT_EQ(got[0]["SetCarInfoTime"].asUInt(), static_cast<unsigned>(kNow + 9));
  got = d.Take(alpha);
  ASSERT_THAT(Reasons(got), testing::ElementsAre(5));
  EXPECT_EQ(got[0]["CarDescription"].asString(), "white sedan");
  EXPECT_TRUE(d.Take(gamma).empty());
}

TEST(ExchangeLifeCycle, GivingBackReturnsToPoolAndWithdrawalRemovesEverywhere) {
  Desk d;
  const SessionId alpha = d.LoggedIn("alpha", "a-pass");
  const SessionId beta = d.LoggedIn("beta", "b-pass");
  const SessionId gamma = d.LoggedIn("gamma", "g-pass");
  const int id = Publish(d, alpha, 1000);
  d.Send(gamma, OrderRequest(3, 50, id));  // BASE tariff: 10 % + 5, 20 % + 1
  d.TakeAll();
  EXPECT_DOUBLE_EQ(d.Core().Balance(3), -306);

  d.Send(beta, OrderRequest(7, 51, id));  // not beta's to give back
  EXPECT_NE(d.Take(beta).at(0)["OperationStatus"].asInt(), 0);
  d.Send(gamma, OrderRequest(7, 52, id));
  std::vector<Json::Value> got = d.Take(gamma);
  ASSERT_THAT(Reasons(got), testing::ElementsAre(6, 3));
  EXPECT_EQ(got[0]["CommandId"].asUInt(), 52u);
  EXPECT_EQ(got[0]["OrderId"].asInt(), id);
  EXPECT_EQ(got[1]["BrimoOrderState"].asInt(), 2);
  got = d.Take(alpha);
  ASSERT_THAT(Reasons(got), testing::ElementsAre(5));
  EXPECT_EQ(got[0]["BrimoOrderState"].asInt(), 2);
  EXPECT_EQ(got[0]["Acceptor"].asInt(), 0);
  got = d.Take(beta);
  ASSERT_THAT(Reasons(got), testing::ElementsAre(3));
  EXPECT_EQ(got[0]["BrimoOrderState"].asInt(), 2);
  // Commissions come back; the forfeits are paid instead.
  EXPECT_DOUBLE_EQ(d.Core().Balance(3), -18);
  EXPECT_DOUBLE_EQ(d.Core().Balance(1), 1011);

  d.Send(beta, OrderRequest(6, 53, id));  // only the publisher withdraws
  EXPECT_NE(d.Take(beta).at(0)["OperationStatus"].asInt(), 0);
  d.Send(alpha, OrderRequest(6, 54, id));
  got = d.Take(alpha);
  ASSERT_THAT(Reasons(got), testing::ElementsAre(6));
  EXPECT_EQ(got[0]["CommandId"].asUInt(), 54u);
  EXPECT_THAT(Reasons(d.Take(beta)), testing::ElementsAre(4));
  EXPECT_THAT(Reasons(d.Take(gamma)), testing::ElementsAre(4));
  EXPECT_TRUE(d.Core().Orders().empty());

  // Withdrawing an accepted order takes it from the acceptor's list too.
  const int taken = Publish(d, alpha);
  d.Send(beta, OrderRequest(3, 55, taken));
  d.TakeAll();
  d.Send(alpha, OrderRequest(6, 56, taken));
  EXPECT_THAT(Reasons(d.Take(alpha)), testing::ElementsAre(6));
  EXPECT_THAT(Reasons(d.Take(beta)), testing::ElementsAre(6));
  EXPECT_TRUE(d.Take(gamma).empty());
}

TEST(ExchangeLifeCycle, TimeToLiveExpiryRemovesFromEveryPool) {
  Desk d;
  const SessionId alpha = d.LoggedIn("alpha", "a-pass");
  const SessionId beta = d.LoggedIn("beta", "b-pass");
  const int shortLived = Publish(d, alpha, 500, 60);
  const int forever = Publish(d, alpha, 500, 0);
  d.TakeAll();
  d.Core().ExpireOrders(kNow + 59);
  d.Collect();
  EXPECT_TRUE(d.Take(beta).empty());
  d.Core().ExpireOrders(kNow + 60);
  d.Collect();
  std::vector<Json::Value> got = d.Take(beta);
  ASSERT_THAT(Reasons(got), testing::ElementsAre(4));
  EXPECT_EQ(got[0]["OrderId"].asInt(), shortLived);
  got = d.Take(alpha);
  ASSERT_THAT(Reasons(got), testing::ElementsAre(4, 5));
  EXPECT_EQ(got[1]["BrimoOrderState"].asInt(), 4);
  d.Core().ExpireOrders(kNow + 1000000);
  d.Collect();
  EXPECT_TRUE(d.Take(beta).empty());
  d.Send(beta, OrderRequest(3, 60, shortLived), kNow + 61);
  EXPECT_NE(d.Take(beta).at(0)["OperationStatus"].asInt(), 0);
  d.Send(beta, OrderRequest(3, 61, forever), kNow + 61);
  EXPECT_EQ(d.Take(beta).at(0)["OperationStatus"].asInt(), 0);
}

TEST(ExchangeQueries, StatementTariffAndOrderInformation) {
  Desk d;
  const SessionId alpha = d.LoggedIn("alpha", "a-pass");
  const SessionId beta = d.LoggedIn("beta", "b-pass");
  const SessionId gamma = d.LoggedIn("gamma", "g-pass");
  d.TakeAll();
  d.Send(beta, Request(5, 70));
  std::vector<Json::Value> got = d.Take(beta);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0]["reason"].asInt(), kReasonPlainAnswer);
  EXPECT_EQ(got[0]["Num"].asInt(), 500);
  EXPECT_EQ(got[0]["OperationStatus"].asInt(), 0);
  EXPECT_EQ(got[0]["CommandId"].asUInt(), 70u);

  Json::Value tariff = Request(9, 71);
  tariff["Publisher"] = 1;
  tariff["Acceptor"] = 2;
  tariff["CityId"] = 3;
  d.Send(beta, tariff);
  got = d.Take(beta);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0]["reason"].asInt(), 9);
  EXPECT_EQ(got[0]["TariffId"].asString(), "ALPHA-BETA");
  EXPECT_EQ(got[0]["CityId"].asInt(), 3);
  EXPECT_TRUE(got[0]["MinOrderPrice"].isNumeric());
  tariff["Acceptor"] = 3;
  d.Send(beta, tariff);
  EXPECT_EQ(d.Take(beta).at(0)["TariffId"].asString(), "BASE");

  const int id = Publish(d, alpha);
  d.TakeAll();
  d.Send(alpha, OrderRequest(11, 72, id));
  got = d.Take(alpha);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0]["reason"].asInt(), 10);
  EXPECT_EQ(got[0]["CommandId"].asUInt(), 72u);
  EXPECT_EQ(got[0]["UniKey"].asInt(), 4242);
  EXPECT_EQ(got[0]["ClientPhone"].asString(), "+7 900 000-00-00");
  d.Send(gamma, OrderRequest(12, 73, id));
  got = d.Take(gamma);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0]["reason"].asInt(), 11);
  EXPECT_EQ(got[0]["BrimoOrderState"].asInt(), 0);

  // Once beta holds it, a bystander is told nothing about it.
  d.Send(beta, OrderRequest(3, 74, id));
  d.TakeAll();
  d.Send(gamma, OrderRequest(11, 75, id));
  got = d.Take(gamma);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_NE(got[0]["OperationStatus"].asInt(), 0);
  EXPECT_EQ(got[0]["reason"].asInt(), kReasonPlainAnswer);
  d.Send(beta, OrderRequest(12, 76, id));
  EXPECT_EQ(d.Take(beta).at(0)["BrimoOrderState"].asInt(), 1);
  d.Send(alpha, OrderRequest(12, 77, 999999));
  EXPECT_NE(d.Take(alpha).at(0)["OperationStatus"].asInt(), 0);
}

TEST(ExchangeQueries, NotifyModeAnswersThenShowsMatchingOrders) {
  Desk d;
  const SessionId alpha = d.LoggedIn("alpha", "a-pass");
  const SessionId beta = d.LoggedIn("beta", "b-pass");
  const int old = Publish(d, alpha, 500, 0, kNow - 3600);
  const int recent = Publish(d, alpha, 500, 0, kNow - 5);
  const int betaOwn = Publish(d, beta, 500, 0, kNow - 5);
  d.TakeAll();

  Json::Value mode = Request(10, 80);
  mode["Mode"] = 1;
  mode["BeginTime"] = 60;
  mode["EndTime"] = 0;
  d.Send(beta, mode);
  std::vector<Json::Value> got = d.Take(beta);
  ASSERT_THAT(Reasons(got), testing::ElementsAre(kReasonPlainAnswer, 3, 5));
  EXPECT_EQ(got[0]["CommandId"].asUInt(), 80u);
  EXPECT_EQ(got[0]["OperationStatus"].asInt(), 0);
  EXPECT_EQ(got[0]["Num"].asInt(), 2);
  EXPECT_EQ(got[1]["OrderId"].asInt(), recent);
  EXPECT_EQ(got[2]["OrderId"].asInt(), betaOwn);

  mode["Mode"] = 0;
  d.Send(beta, mode);
  got = d.Take(beta);
  ASSERT_THAT(Reasons(got), testing::ElementsAre(kReasonPlainAnswer, 3, 3, 5));
  EXPECT_EQ(got[1]["OrderId"].asInt(), old);

  // An interval in the past hides what is published now.
  mode["Mode"] = 2;
  mode["BeginTime"] = static_cast<unsigned>(kNow - 7200);
  mode["EndTime"] = static_cast<unsigned>(kNow - 1800);
  d.Send(beta, mode);
  ASSERT_THAT(Reasons(d.Take(beta)), testing::ElementsAre(kReasonPlainAnswer, 3));
  Publish(d, alpha);
  EXPECT_TRUE(d.Take(beta).empty());

  mode["Mode"] = 5;
  d.Send(beta, mode);
  got = d.Take(beta);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_NE(got[0]["OperationStatus"].asInt(), 0);

  // A fresh login shows the pool and the service's own orders.
  const SessionId beta2 = d.LoggedIn("beta", "b-pass");
  got = d.Take(beta2);
  ASSERT_THAT(Reasons(got), testing::ElementsAre(1, 2, 3, 3, 5, 3));
}

TEST(ExchangeQueries, ALongBookShowsANewComerItsNewestOrdersOnly) {
  Desk d;
  const SessionId alpha = d.LoggedIn("alpha", "a-pass");
  const int extra = 10;
  int last = 0;
  for (std::size_t i = 0; i < kMaxOrdersShown + extra; ++i) last = Publish(d, alpha);
  const SessionId beta = d.LoggedIn("beta", "b-pass");
  const std::vector<Json::Value> got = d.Take(beta);
  ASSERT_EQ(got.size(), 2 + kMaxOrdersShown);
  EXPECT_EQ(got[2]["OrderId"].asInt(), extra + 1);
  EXPECT_EQ(got.back()["OrderId"].asInt(), last);
}

TEST(ExchangeRequests, MalformedRequestsAreAnsweredAndGarbageDropsThePeer) {
  Desk d;
  const SessionId alpha = d.LoggedIn("alpha", "a-pass");
  d.TakeAll();
  d.Send(alpha, Request(99, 90));
  std::vector<Json::Value> got = d.Take(alpha);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_NE(got[0]["OperationStatus"].asInt(), 0);
  EXPECT_NE(got[0]["ErrorString"].asString(), "");
  EXPECT_EQ(got[0]["CommandId"].asUInt(), 90u);
  EXPECT_EQ(got[0]["CommandCode"].asInt(), 99);

  Json::Value wrongType = OrderRequest(3, 91, 1);
  wrongType["OrderId"] = "one";
  d.Send(alpha, wrongType);
  got = d.Take(alpha);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_NE(got[0]["OperationStatus"].asInt(), 0);
  EXPECT_EQ(got[0]["CommandId"].asUInt(), 91u);

  const std::pair<const char*, Json::Value> badMembers[] = {
      {"Price", "cheap"}, {"CityIdFrom", 77}, {"Comment", std::string(kMaxTextBytes + 1, 'x')}};
  for (const auto& [member, value] : badMembers) {
    Json::Value badOrder = InsertRequest(92, 100);
    badOrder[member] = value;
    d.Send(alpha, badOrder);
    EXPECT_EQ(d.Take(alpha).at(0)["OperationStatus"].asInt(), -10) << member;
  }
  Json::Value badOrder = InsertRequest(95, 100);
  badOrder["StreetFrom"] = "STREET";
  std::string text = Compact(badOrder);
  text.replace(text.find("STREET"), 6, "\xC0\xAF");  // not UTF-8
  d.SendText(alpha, text);
  EXPECT_EQ(d.Take(alpha).at(0)["OperationStatus"].asInt(), -10);

  EXPECT_EQ(d.SendText(alpha, "{\"CommandCode\":5}"), Exchange::Verdict::Keep);
  got = d.Take(alpha);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_NE(got[0]["OperationStatus"].asInt(), 0);
  EXPECT_EQ(got[0]["CommandId"].asUInt(), 0u);

  EXPECT_EQ(d.SendText(alpha, "  \r\n"), Exchange::Verdict::Keep);
  EXPECT_TRUE(d.Take(alpha).empty());
  EXPECT_EQ(d.SendText(alpha, "not json"), Exchange::Verdict::Drop);
  EXPECT_EQ(d.SendText(alpha, "[1,2]"), Exchange::Verdict::Drop);
  EXPECT_EQ(d.SendText(alpha, "{\"a\":1} {}"), Exchange::Verdict::Drop);
  EXPECT_EQ(d.SendText(alpha, std::string(100000, '[') + std::string(100000, ']')), Exchange::Verdict::Drop);
  EXPECT_TRUE(d.Take(alpha).empty());
}

// A request sent again after a broken connection, on the account's next
// session: answered from memory, acted on once, for ten minutes and 4,096 requests.
TEST(ExchangeRequests, ARepeatedRequestIsAnsweredAgainNotHandledAgain) {
  Desk d;
  const SessionId first = d.LoggedIn("alpha", "a-pass");
  const SessionId beta = d.LoggedIn("beta", "b-pass");
  d.Send(first, InsertRequest(7, 500));
  const int orderId = d.Take(first).back()["OrderId"].asInt();
  const SessionId again = d.LoggedIn("alpha", "a-pass");
  d.TakeAll();

  d.Send(again, InsertRequest(7, 500), kNow + 600);
  const std::vector<Json::Value> got = d.Take(again);
  ASSERT_THAT(Reasons(got), testing::ElementsAre(5, 5)) << "the answer, then the order as it stands";
  EXPECT_EQ(got[0]["CommandId"].asUInt(), 7u);
  EXPECT_EQ(got[1]["CommandId"].asUInt(), 0u);
  EXPECT_EQ(got[1]["OrderId"].asInt(), orderId);
  EXPECT_TRUE(d.Take(beta).empty()) << "offered once";
  EXPECT_EQ(d.Core().Orders().size(), 1u);

  // Handled: a known id with another text (a desk numbering from 1 again), and
  // the same request once ten minutes have passed.
  d.Send(again, InsertRequest(7, 600));
  EXPECT_EQ(d.Core().Orders().size(), 2u);
  d.Send(again, InsertRequest(7, 500), kNow + 601);
  EXPECT_EQ(d.Core().Orders().size(), 3u);

  // The newest 4,096 are kept: the repeat of the oldest is answered until one more comes.
  const std::int64_t later = kNow + 1000;
  d.Send(again, InsertRequest(8, 500), later);
  for (unsigned id = 100; id < 100 + kAnswerMemoryCount - 1; ++id) d.Send(again, Request(5, id), later);
  d.Send(again, InsertRequest(8, 500), later);
  EXPECT_EQ(d.Core().Orders().size(), 4u);
  d.Send(again, Request(5, 99), later);
  d.Send(again, InsertRequest(8, 500), later);
  EXPECT_EQ(d.Core().Orders().size(), 5u);
}

// A saved book comes back whole in a fresh exchange: every order as each
// service is shown it, its expiry, the balances and the next id; a damaged
// text leaves the fresh exchange as it was.
TEST(ExchangeState, ASavedBookLoadsWholeAndADamagedOneLeavesTheBookEmpty) {
  Desk d;
  const SessionId alpha = d.LoggedIn("alpha", "a-pass");
  const SessionId beta = d.LoggedIn("beta", "b-pass");
  const int accepted = Publish(d, alpha, 700);
  const int givenBack = Publish(d, alpha, 300, 60);
  const int withdrawn = Publish(d, alpha);
  d.Send(beta, OrderRequest(3, 7001, accepted));
  d.Send(beta, OrderRequest(3, 7002, givenBack));
  d.Send(beta, OrderRequest(7, 7003, givenBack));
  d.Send(alpha, OrderRequest(6, 7004, withdrawn));
  const std::string saved = d.Core().StateText();

  Exchange fresh(TestExchangeData());
  std::string error;
  ASSERT_TRUE(fresh.LoadState(saved, kNow, error)) << error;
  ASSERT_EQ(fresh.Orders().size(), 2u);
  for (const auto& entry : d.Core().Orders()) {
    const ExchangeOrder& loaded = fresh.Orders().at(entry.first);
    for (int viewer : {1, 2, 3})
      EXPECT_EQ(OrderMessage(5, {}, loaded, viewer), OrderMessage(5, {}, entry.second, viewer));
    EXPECT_EQ(loaded.ExpiresAt, entry.second.ExpiresAt);
  }
  for (int service : {1, 2}) EXPECT_EQ(fresh.Balance(service), d.Core().Balance(service));
  ExchangeOrder next = fresh.Orders().at(accepted);
  fresh.PublishAs(3, next, kNow);
  EXPECT_EQ(fresh.Orders().rbegin()->first, withdrawn + 1) << "ids are not used again";

  // Down for longer than the given-back order had to live.
  Exchange later(TestExchangeData());
  ASSERT_TRUE(later.LoadState(saved, kNow + 60, error));
  EXPECT_EQ(later.Orders().at(givenBack).Stage, OrderStage::Expired);

  Json::Value twice;
  ASSERT_TRUE(ParseJsonText(saved, twice));
  twice["Orders"].append(twice["Orders"][0]);
  const std::string damaged[] = {"",
                                 "[]",
                                 saved.substr(0, saved.size() / 2),
                                 Compact(twice),
                                 R"({"NextOrderId":1,"Orders":[{"OrderId":1}],"Balances":{}})",
                                 R"({"NextOrderId":1,"Orders":[],"Balances":{"1":"much"}})"};
  for (const std::string& text : damaged) {
    Exchange empty(TestExchangeData());
    EXPECT_FALSE(empty.LoadState(text, kNow, error)) << text;
    EXPECT_TRUE(empty.Orders().empty()) << text;
    EXPECT_EQ(empty.Balance(1), 1000) << text;
  }
}

}  // namespace
