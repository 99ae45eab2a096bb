// The worker against a fake exchange: requests cut off by a broken connection
// go out again right after the next login, Disconnect is honoured within about
// a second whatever the worker is doing, and a queued request leaves an idle
// connection at once.
#include <atomic>
#include <chrono>
#include <thread>

#include "connection/ConnectionFixture.h"

namespace connection_test {
namespace {

int CommandIdOf(const std::string& request) { return ParsedRequest(request)["CommandId"].asInt(); }

// The new connection's login goes first: an exchange refuses every request
// before a login, so the cut-off request follows it.
TEST_F(ConnectionTest, ARequestCutOffByAResetIsSentAgainRightAfterTheNextLogin) {
  client->Connect();
  auto peer = AcceptAndLogIn();
  ASSERT_TRUE(peer);

  const int id = client->AcceptOrder(42);
  std::string request;
  ASSERT_TRUE(peer->ReadRequest(request));
  EXPECT_EQ(CommandIdOf(request), id);
  peer->Reset();
  EXPECT_TRUE(WaitUntil([&] { return !client->Authorized.load(); }, 3000));

  auto next = exchange->Accept();
  ASSERT_TRUE(next);
  ASSERT_TRUE(next->SendBlock(AuthBlock("second")));
  ASSERT_TRUE(next->ReadRequest(request));
  EXPECT_EQ(CommandIdOf(request), 0) << "the new login first";
  EXPECT_EQ(ParsedRequest(request)["PassHash"].asString(), "A50BD35203F419411BEA5B8A6448A628");
  ASSERT_TRUE(next->ReadRequest(request));
  EXPECT_EQ(CommandIdOf(request), id) << "then the cut-off request";
  EXPECT_EQ(ParsedRequest(request)["OrderId"].asInt(), 42);
  EXPECT_TRUE(NoResponseQueued()) << "a broken connection adds no record";
}

// A login carries its own connection's digest: sent on the next one it would
// be refused, and the exchange would close that connection too.
TEST_F(ConnectionTest, ALoginCutOffByACloseIsNeverSentOnTheNextConnection) {
  client->Connect();
  auto peer = exchange->Accept();
  ASSERT_TRUE(peer);
  ASSERT_TRUE(peer->SendBlock(AuthBlock("first")));
  peer->Close();

  auto next = exchange->Accept();
  ASSERT_TRUE(next);
  ASSERT_TRUE(next->SendBlock(AuthBlock("second")));
  std::string request;
  ASSERT_TRUE(next->ReadRequest(request));
  EXPECT_EQ(ParsedRequest(request)["PassHash"].asString(), "A50BD35203F419411BEA5B8A6448A628");
  EXPECT_FALSE(next->ReadRequest(request, 300)) << "a second login went out: " << request;
  ASSERT_TRUE(next->SendBlock(LoginAnswer()));
  EXPECT_TRUE(WaitUntil([&] { return client->Authorized.load(); }, 3000));
}

TEST_F(ConnectionTest, AnUnparsableBlockEndsTheConnectionWithoutARecord) {
  client->Connect();
  for (const char* block : {"garbage", "[1,2,3]", "17"}) {
    auto peer = AcceptAndLogIn();
    ASSERT_TRUE(peer) << block;
    ASSERT_TRUE(peer->SendBlock(block));
    EXPECT_TRUE(peer->WaitClosedByClient()) << block;
    EXPECT_TRUE(WaitUntil([&] { return !client->Authorized.load(); }, 3000)) << block;
  }
  auto peer = AcceptAndLogIn();
  ASSERT_TRUE(peer);
  EXPECT_TRUE(NoResponseQueued());
}

TEST_F(ConnectionTest, ARequestQueuedOnAnIdleConnectionLeavesAtOnce) {
  client->Connect();
  auto peer = AcceptAndLogIn();
  ASSERT_TRUE(peer);

  constexpr int kRounds = 9;
  for (int round = 0; round < kRounds; ++round) {
    // Let the worker settle into its idle wait, at a different point each round.
    platform::SleepMs(150 + 97 * round % 500);
    const auto start = std::chrono::steady_clock::now();
    const int id = client->AcceptOrder(round);
    std::string request;
    ASSERT_TRUE(peer->ReadRequest(request));
    const double delayMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(CommandIdOf(request), id);
    // Without the wake-up the request would wait for the end of the idle pause, up to 1.5 s.
    EXPECT_LT(delayMs, 400.0) << "round " << round;
    ASSERT_TRUE(peer->SendBlock(Notice(round)));
  }
  EXPECT_EQ(Responses(kRounds).size(), static_cast<std::size_t>(kRounds));
}

TEST_F(ConnectionTest, DisconnectWhileIdleEndsTheWorkerWithItsNotice) {
  client->Connect();
  auto peer = AcceptAndLogIn();
  ASSERT_TRUE(peer);
  platform::SleepMs(200);

  const std::int32_t markerId = PeekNextCommandId();
  EXPECT_LT(TimedDisconnect(), kPromptDisconnectMs);
  ExpectDisconnectNotice(markerId);
  EXPECT_TRUE(peer->WaitClosedByClient());
  EXPECT_TRUE(Access::Requests(*client).empty());
}

TEST_F(ConnectionTest, DisconnectWithARequestInFlightFinishesItFirst) {
  client->Connect();
  auto peer = AcceptAndLogIn();
  ASSERT_TRUE(peer);

  client->GetStatement();
  std::string request;
  ASSERT_TRUE(peer->ReadRequest(request));
  // No answer: the worker is in the read that follows the send.
  const std::int32_t markerId = PeekNextCommandId();
  EXPECT_LT(TimedDisconnect(), kPromptDisconnectMs);
  ExpectDisconnectNotice(markerId);
  // It went out whole: the exchange has it, so nothing stays queued to send again.
  EXPECT_TRUE(Access::Requests(*client).empty());
}

TEST_F(ConnectionTest, DisconnectWhileWaitingForTheChallengeReturnsPromptly) {
  client->Connect();
  auto peer = exchange->Accept();
  ASSERT_TRUE(peer);
  platform::SleepMs(300);

  const std::int32_t markerId = PeekNextCommandId();
  EXPECT_LT(TimedDisconnect(), kPromptDisconnectMs);
  ExpectDisconnectNotice(markerId);
  EXPECT_TRUE(peer->WaitClosedByClient());
}

TEST_F(ConnectionTest, DisconnectWhileConnectingToAListenerThatNeverAcceptsReturnsPromptly) {
  exchange.reset(new FakeExchange(0));
  ASSERT_TRUE(exchange->FillBacklog()) << "could not make a connect hang";
  client->SetConnectionParam("127.0.0.1", exchange->Port(), "operator", kPassword);
  CaptureLog();
  client->Connect();
  ASSERT_TRUE(WaitUntil([&] { return LogCount("socket ok") == 1; }, 3000));
  platform::SleepMs(300);

  const std::int32_t markerId = PeekNextCommandId();
  EXPECT_LT(TimedDisconnect(), kPromptDisconnectMs);
  ExpectDisconnectNotice(markerId);
  EXPECT_EQ(LogCount("connect ok"), 0u);
  EXPECT_EQ(LogCount("~~<ConnectToDB - stopped"), 1u);
}

TEST_F(ConnectionTest, AConnectAttemptThatOutlastsItsLimitIsAConnectError) {
  exchange.reset(new FakeExchange(0));
  ASSERT_TRUE(exchange->FillBacklog()) << "could not make a connect hang";
  client->SetConnectionParam("127.0.0.1", exchange->Port(), "operator", kPassword);
  Access::SetConnectTimeLimitMs(*client, 200);
  CaptureLog();
  client->Connect();
  EXPECT_TRUE(WaitUntil([&] { return LogCount("~~<ConnectToDB - KBRStatus_ConnectError") >= 2; }, 5000))
      << "the attempt is neither limited nor repeated";
  client->Disconnect();
  EXPECT_EQ(Access::LastError(*client), "Ошибка установления соединения");
}

TEST_F(ConnectionTest, DisconnectBetweenRefusedAttemptsOvertakesQueuedRequests) {
  client->SetConnectionParam("127.0.0.1", ClosedLoopbackPort(), "operator", kPassword);
  const int first = client->GetStatement();
  const int second = client->AcceptOrder(5);
  client->Connect();
  platform::SleepMs(700);

  const std::int32_t markerId = PeekNextCommandId();
  EXPECT_LT(TimedDisconnect(), kPromptDisconnectMs);
  ExpectDisconnectNotice(markerId);
  const auto queue = Access::Requests(*client);
  ASSERT_EQ(queue.size(), 2u);
  EXPECT_EQ(queue[0].CommandId, first);
  EXPECT_EQ(queue[1].CommandId, second);
  EXPECT_EQ(Access::LastError(*client), "Ошибка установления соединения");
}

TEST_F(ConnectionTest, AServerNameIsLookedUpAndAFailedLookupIsAConnectError) {
  for (const char* server : {"localhost", "127.0.0.1 "}) {
    client->SetConnectionParam(server, exchange->Port(), "operator", kPassword);
    client->Connect();
    ASSERT_TRUE(AcceptAndLogIn()) << server;
    client->Disconnect();
    EXPECT_EQ(Responses(1).size(), 1u);
  }

  // Dotted, but no address: ends like a failed lookup, without connecting.
  client->SetConnectionParam("300.1.1.1", exchange->Port(), "operator", kPassword);
  client->Connect();
  EXPECT_EQ(exchange->Accept(700), nullptr);
  client->Disconnect();
  EXPECT_EQ(Access::LastError(*client), "Ошибка установления соединения");
}

TEST_F(ConnectionTest, ConnectWhileAWorkerRunsReplacesItNeverRunningTwo) {
  client->Connect();
  auto peer = AcceptAndLogIn();
  ASSERT_TRUE(peer);

  const std::int32_t markerId = PeekNextCommandId();
  client->Connect();
  EXPECT_TRUE(peer->WaitClosedByClient(100)) << "the old worker ended before the new one started";
  ExpectDisconnectNotice(markerId, false);
  auto next = exchange->Accept();
  ASSERT_TRUE(next);
  EXPECT_EQ(exchange->Accept(300), nullptr);
}

TEST_F(ConnectionTest, AStopQueuedBeforeConnectEndsThatWorkerWithoutConnectingButNotTheNext) {
  const std::int32_t markerId = PeekNextCommandId();
  client->Disconnect();
  const int waiting = client->GetStatement();
  client->Connect();
  ExpectDisconnectNotice(markerId, false);
  EXPECT_EQ(exchange->Accept(300), nullptr);
  const auto queue = Access::Requests(*client);
  ASSERT_EQ(queue.size(), 1u);
  EXPECT_EQ(queue[0].CommandId, waiting);

  // That worker has ended; the next Connect really connects. The login goes
  // ahead of the waiting request, which the exchange would refuse before it.
  client->Connect();
  auto peer = exchange->Accept();
  ASSERT_TRUE(peer);
  ASSERT_TRUE(peer->SendBlock(AuthBlock("first")));
  std::string request;
  ASSERT_TRUE(peer->ReadRequest(request));
  EXPECT_EQ(CommandIdOf(request), 0);
  ASSERT_TRUE(peer->ReadRequest(request));
  EXPECT_EQ(CommandIdOf(request), waiting);
  EXPECT_TRUE(NoResponseQueued());
}

// The callback takes the responses itself, which it could not do under the
// client's lock; the wait ends when a response comes, or at its limit.
TEST_F(ConnectionTest, EachQueuedResponseIsNotifiedOnceOutsideTheLockAndEndsAWait) {
  struct Seen {
    KestoBrimoClientAsync* client;
    std::atomic<int> calls{0};
    std::atomic<int> taken{0};
  } seen{client.get()};
  client->SetResponseNotify(
      [](void* context) {
        auto* s = static_cast<Seen*>(context);
        ++s->calls;
        KestoBrimo_AsyncResponce r;
        while (s->client->GetClientResponce(r)) ++s->taken;
      },
      &seen);
  client->Connect();
  auto peer = AcceptAndLogIn();
  ASSERT_TRUE(peer);
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(peer->SendBlock(Notice(i)));
  EXPECT_TRUE(WaitUntil([&] { return seen.taken.load() == 3 && seen.calls.load() == 3; }, 3000));
  platform::SleepMs(100);
  EXPECT_EQ(seen.calls.load(), 3) << "the login's own answer is not queued, so not notified";
  client->SetResponseNotify(nullptr, nullptr);

  KestoBrimo_AsyncResponce r;
  std::uint64_t start = platform::MonotonicMs();
  EXPECT_FALSE(client->GetClientResponce(r, 300));
  EXPECT_GE(platform::MonotonicMs() - start, 300u);
  std::thread later([&] {
    platform::SleepMs(100);
    peer->SendBlock(Notice(7));
  });
  start = platform::MonotonicMs();
  EXPECT_TRUE(client->GetClientResponce(r, 10000));
  EXPECT_LT(platform::MonotonicMs() - start, 5000u) << "the wait ran to its limit";
  EXPECT_EQ(r.Num, 7);
  later.join();
}

}  // namespace
}  // namespace connection_test
