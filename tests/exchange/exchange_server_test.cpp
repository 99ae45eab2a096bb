// The exchange over real loopback connections: the handshake, answers that
// carry their request's numbers, pipelined requests, orders passed between
// services, peers that misbehave, and many peers at once.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "RunningExchange.h"

namespace {

Json::Value Statement(unsigned commandId) { return Request(5, commandId); }

TEST(ExchangeServer, HandshakeLoginAndPipelinedAnswers) {
  RunningExchange exchange;
  RawPeer peer(exchange.Port());
  const Json::Value auth = peer.Read();
  EXPECT_EQ(auth["reason"].asInt(), 1);
  EXPECT_EQ(auth["RndStr"].asString().size(), 32u);
  // Login and two more requests in one write, each closed by 0x08 0x00.
  std::string pipelined;
  for (const Json::Value& r : {LoginRequest("alpha", "a-pass", auth["RndStr"].asString()), Statement(5), Request(2, 6)})
    pipelined += Compact(r) + "\n" + std::string("\x08\0", 2);
  ASSERT_TRUE(peer.SendBytes(pipelined));
  const Json::Value loggedIn = peer.Read();
  EXPECT_EQ(loggedIn["reason"].asInt(), 2);
  EXPECT_EQ(loggedIn["CommandId"].asUInt(), 0u);
  EXPECT_EQ(loggedIn["OperationStatus"].asInt(), 0);
  const Json::Value statement = peer.Read();
  EXPECT_EQ(statement["CommandId"].asUInt(), 5u);
  EXPECT_EQ(statement["CommandCode"].asInt(), 5);
  EXPECT_EQ(statement["Num"].asInt(), 1000);
  EXPECT_EQ(statement["OperationStatus"].asInt(), 0);
  const Json::Value dirs = peer.Read();
  EXPECT_EQ(dirs["reason"].asInt(), 2);
  EXPECT_EQ(dirs["CommandId"].asUInt(), 6u);
  EXPECT_EQ(dirs["CommandCode"].asInt(), 2);
  EXPECT_TRUE(dirs["ClientDbDirectory"]["2"]["CityIdList"].isObject());

  // A block may arrive a byte at a time.
  const std::string slow = Compact(Statement(7)) + "\n" + std::string("\x08\0", 2);
  for (char c : slow) ASSERT_TRUE(peer.SendBytes(std::string(1, c)));
  EXPECT_EQ(peer.Read()["CommandId"].asUInt(), 7u);

  const std::vector<std::string> log = exchange.Log();
  EXPECT_TRUE(std::any_of(log.begin(), log.end(), [](const std::string& l) { return l.find("opened") != std::string::npos; }));
  EXPECT_TRUE(std::any_of(log.begin(), log.end(), [](const std::string& l) { return l.find("GetStatement #5") != std::string::npos; }));
}

TEST(ExchangeServer, WrongPasswordIsRefusedAndTheConnectionClosed) {
  RunningExchange exchange;
  RawPeer peer(exchange.Port());
  const Json::Value refused = peer.Login("alpha", "not-the-password");
  EXPECT_EQ(refused["OperationStatus"].asInt(), -7);
  EXPECT_EQ(refused["CommandId"].asUInt(), 0u);
  EXPECT_FALSE(refused["ErrorString"].asString().empty());
  EXPECT_TRUE(peer.Closed());
}

TEST(ExchangeServer, OrdersPassBetweenServicesAndOnlyOneOfManyAcceptorsWins) {
  RunningExchange exchange;
  RawPeer alpha(exchange.Port());
  ASSERT_EQ(alpha.Login("alpha", "a-pass")["OperationStatus"].asInt(), 0);
  std::vector<std::unique_ptr<RawPeer>> takers;
  for (int i = 0; i < 6; ++i) {
    takers.emplace_back(new RawPeer(exchange.Port()));
    ASSERT_EQ(takers.back()->Login(i % 2 ? "beta" : "gamma", i % 2 ? "b-pass" : "g-pass")["OperationStatus"].asInt(), 0);
  }
  ASSERT_TRUE(alpha.SendRequest(InsertRequest(11, 300)));
  const Json::Value published = alpha.ReadAnswer(11);
  ASSERT_EQ(published["reason"].asInt(), 5);
  const int id = published["OrderId"].asInt();
  for (auto& taker : takers) {
    const Json::Value offer = taker->Read();
    EXPECT_EQ(offer["reason"].asInt(), 3);
    EXPECT_EQ(offer["OrderId"].asInt(), id);
  }
  // Every taker asks at once; the exchange serves them one at a time.
  for (std::size_t i = 0; i < takers.size(); ++i) {
    ASSERT_TRUE(takers[i]->SendRequest(OrderRequest(3, 100 + static_cast<unsigned>(i), id)));
  }
  int winners = 0;
  for (std::size_t i = 0; i < takers.size(); ++i) {
    const Json::Value answer = takers[i]->ReadAnswer(100 + static_cast<unsigned>(i));
    ASSERT_FALSE(answer.isNull());
    if (answer["OperationStatus"].asInt() == 0) {
      ++winners;
      EXPECT_EQ(answer["reason"].asInt(), 5);
      EXPECT_EQ(answer["BrimoOrderState"].asInt(), 1);
    } else {
      EXPECT_FALSE(answer["ErrorString"].asString().empty());
    }
  }
  EXPECT_EQ(winners, 1);
  const Json::Value told = alpha.Read();
  EXPECT_EQ(told["reason"].asInt(), 5);
  EXPECT_EQ(told["BrimoOrderState"].asInt(), 3);
}

TEST(ExchangeServer, MisbehavingPeersAreDroppedAlone) {
  ServerOptions options;
  options.MaxBlockBytes = 64 * 1024;
  RunningExchange exchange(options);
  RawPeer good(exchange.Port());
  ASSERT_EQ(good.Login("alpha", "a-pass")["OperationStatus"].asInt(), 0);

  RawPeer garbage(exchange.Port());
  garbage.Read();
  garbage.SendBytes("GET / HTTP/1.0\r\n\r\n\x08");
  EXPECT_TRUE(garbage.Closed());

  RawPeer endless(exchange.Port());
  endless.Read();
  endless.SendBytes(std::string(200 * 1024, '{'));
  EXPECT_TRUE(endless.Closed());

  {
    RawPeer gone(exchange.Port());
    gone.Read();
    gone.SendBytes("{\"CommandCode\":5,");  // leaves in the middle of a block
  }
  RawPeer deep(exchange.Port());
  deep.Read();
  deep.SendBytes(std::string(5000, '[') + "\x08");
  EXPECT_TRUE(deep.Closed());

  ASSERT_TRUE(good.SendRequest(Statement(9)));
  EXPECT_EQ(good.ReadAnswer(9)["OperationStatus"].asInt(), 0);
}

TEST(ExchangeServer, TwoHundredAndFiftyPeersAtOnce) {
  RunningExchange exchange;
  constexpr int kPeers = 250;
  std::vector<std::unique_ptr<RawPeer>> peers;
  for (int i = 0; i < kPeers; ++i) peers.emplace_back(new RawPeer(exchange.Port()));
  for (auto& peer : peers) ASSERT_EQ(peer->Login("beta", "b-pass")["OperationStatus"].asInt(), 0);
  for (int i = 0; i < kPeers; ++i) ASSERT_TRUE(peers[i]->SendRequest(Statement(1000 + i)));
  for (int i = 0; i < kPeers; ++i) {
    ASSERT_EQ(peers[i]->ReadAnswer(1000 + i)["Num"].asInt(), 500) << i;
  }
  // One publication reaches every other service's peer.
  RawPeer alpha(exchange.Port());
  ASSERT_EQ(alpha.Login("alpha", "a-pass")["OperationStatus"].asInt(), 0);
  ASSERT_TRUE(alpha.SendRequest(InsertRequest(12, 300)));
  for (auto& peer : peers) ASSERT_EQ(peer->Read()["reason"].asInt(), 3);
}

TEST(ExchangeServer, StopClosesEveryConnection) {
  RunningExchange exchange;
  RawPeer a(exchange.Port());
  RawPeer b(exchange.Port());
  ASSERT_EQ(a.Login("alpha", "a-pass")["OperationStatus"].asInt(), 0);
  b.Read();
  EXPECT_TRUE(exchange.Stop());
  EXPECT_TRUE(a.Closed());
  EXPECT_TRUE(b.Closed());
}

}  // namespace
