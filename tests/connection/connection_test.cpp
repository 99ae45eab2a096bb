// The client's connection and worker against a fake exchange on 127.0.0.1: the login, blocks and requests on the
// wire, the state the desk shows for each way a connection fails, Disconnect, the wake-up on a queued request, and
// what a broken connection must not lose.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <future>
#include <tuple>

#include "protocol/JsonRead.h"
#include "support/ClientTestAccess.h"
#include "support/FakeExchange.h"

namespace {

using Access = KestoBrimoClientTestAccess;
using Phase = KestoConnectionPhase;
using Cause = KestoFailureCause;
using Ids = std::vector<int>;

// Password "пароль" in code page 1251, as the desk stores it.
const std::string kPassword = "пароль";
// The successful answer to the login request: directories, CommandId 0, status 0.
const std::string kLoginAnswer =
    "{\"reason\":2,\"CommandId\":0,\"CommandCode\":2,\"Num\":0,\"ErrorString\":\"\",\"OperationStatus\":0,"
    "\"CarrierTypeDirectory\":{},\"OrderStatusDirectory\":{},\"CityDirectory\":{},\"ClientDbDirectory\":{}}";

std::string AuthBlock(const std::string& rndStrUtf8) { return "{\"reason\":1,\"RndStr\":\"" + rndStrUtf8 + "\"}"; }

// A message passed on with its envelope only, answering `commandId` (0: nobody); `num` tells them apart.
std::string Record(int num, int commandId = 0, const std::string& errorUtf8 = "") {
  return "{\"reason\":7,\"Num\":" + std::to_string(num) + ",\"CommandId\":" + std::to_string(commandId) +
         ",\"CommandCode\":5,\"ErrorString\":\"" + errorUtf8 + "\",\"OperationStatus\":-1}";
}

// A response as one line: CommandId, CommandCode, OperationStatus, reason, ErrorString.
std::string Line(const KestoBrimo_AsyncResponce& r) {
  return std::to_string(r.CommandId) + " " + std::to_string(r.CommandCode) + " " + std::to_string(r.OperationStatus) +
         " " + std::to_string(r.reason) + " " + r.ErrorString;
}

Json::Value Parsed(const std::string& utf8, Json::Value root = {}) { return ParseJsonText(utf8, root), root; }

bool WaitUntil(const std::function<bool()>& done, std::uint32_t ms = 3000) {
  for (const std::uint64_t deadline = platform::MonotonicMs() + ms; !done(); platform::SleepMs(5))
    if (platform::MonotonicMs() >= deadline) return false;
  return true;
}

// The exchange's part of a login once it has accepted.
void LogIn(FakePeer& p) {
  std::string login;
  EXPECT_TRUE(p.SendBlock(AuthBlock("x")) && p.ReadRequest(login) && p.SendBlock(kLoginAnswer));
}

class ConnectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(platform::StartSockets());
    Restart();
  }
  // The client's destructor stops the worker.
  void TearDown() override { client.reset(), exchange.reset(), platform::StopSockets(); }

  // A new client and a listener of its own, so no earlier connection waits in its backlog.
  void Restart(int backlog = 8) {
    client.reset(new KestoBrimoClientAsync());
    exchange.reset(new FakeExchange(backlog));
    client->SetConnectionParam("127.0.0.1", exchange->Port(), "operator", kPassword);
  }

  // The CommandIds of the requests of the client's next connection, its login answered, until none comes for longer
  // than the worker's read after a send waits.
  Ids NextConnectionRequests(std::unique_ptr<FakePeer>& next) {
    Ids ids;
    next = exchange->Accept();
    EXPECT_TRUE(next && next->SendBlock(AuthBlock("second")));
    for (std::string request; next && next->ReadRequest(request, 1500);) {
      ids.push_back(Parsed(request)["CommandId"].asInt());
      EXPECT_TRUE(ids.back() != 0 || next->SendBlock(kLoginAnswer));
    }
    return ids;
  }

  // Sends a request; the worker's read after it brings something else, so it leaves the queue unanswered.
  int SendWithoutAnswer(FakePeer& peer, int num) {
    const int id = client->GetStatement();
    std::string request;
    EXPECT_TRUE(peer.ReadRequest(request) && peer.SendBlock(Record(num)));
    EXPECT_TRUE(WaitUntil([&] { return Access::Requests(*client).empty(); }));
    return id;
  }

  // Up to `count` responses, waiting at most `ms` for each.
  std::vector<KestoBrimo_AsyncResponce> Responses(std::size_t count, std::uint32_t ms = 3000) {
    std::vector<KestoBrimo_AsyncResponce> got;
    for (KestoBrimo_AsyncResponce r; got.size() < count && client->GetClientResponce(r, ms);) got.push_back(r);
    return got;
  }
  Ids Nums(std::size_t count) {
    Ids nums;
    for (const auto& r : Responses(count)) nums.push_back(r.Num);
    return nums;
  }

  // Disconnect wakes the worker wherever it waits, long before its pauses end; it ends with its notice.
  void Stop() {
    const std::int32_t marker = PeekNextCommandId();
    auto stop = std::async(std::launch::async, [this] { client->Disconnect(); });
    ASSERT_EQ(stop.wait_for(std::chrono::milliseconds(400)), std::future_status::ready) << "the worker slept on";
    EXPECT_EQ(Line(Responses(1, 0).at(0)), std::to_string(marker) + " 0 0 0 Отсоединение от сервера успешно выполнено");
    EXPECT_TRUE(client->ThreadId == 0 && !client->Authorized &&
                client->GetConnectionState().Phase == Phase::NotRunning);
  }

  std::unique_ptr<KestoBrimoClientAsync> client;
  std::unique_ptr<FakeExchange> exchange;
};

// Any other first block ends the connection and the next one starts afresh. Once logged in, blocks arrive whole and
// in order however many a chunk holds, and a request leaves whole however slowly the exchange reads.
TEST_F(ConnectionTest, TheLoginDigestsTheChallengeBlocksAndRequestsCrossWholeAndABrokenConnectionLosesNoRequest) {
  client->Connect();
  std::string text;
  for (const char* block :
       {"not json", "[1,2]", "{\"reason\":2,\"RndStr\":\"x\"}", "{\"reason\":true,\"RndStr\":\"x\"}",
        "{\"reason\":1,\"RndStr\":5}", "{\"RndStr\":\"x\"}"}) {
    auto peer = exchange->Accept();
    // The start of a next block too: bytes of an ended connection must not spoil the next handshake.
    ASSERT_TRUE(peer && peer->Send(block + std::string("\x08{"))) << block;
    EXPECT_TRUE(!peer->ReadRequest(text) && peer->WaitClosedByClient()) << block << " was taken for a challenge";
  }
  // Without a random string the password alone is digested.
  auto peer = exchange->Accept();
  ASSERT_TRUE(peer && peer->SendBlock("{\"reason\":1}") && peer->ReadRequest(text));
  EXPECT_EQ(Parsed(text)["PassHash"].asString(), "749789E4982B0C563F6729AAC100A614");
  peer->Close();
  peer = exchange->Accept();
  ASSERT_TRUE(peer && peer->SendBlock(AuthBlock("\xD0\xB0\xD0\xB1")) && peer->ReadRequest(text));  // "аб"
  EXPECT_EQ(Parsed(text)["CommandId"].asString() + Parsed(text)["PassHash"].asString(),
            "0B7B35A6BFF6EBB25CD61F90EA14940BE");
  EXPECT_FALSE(peer->ReadRequest(text, 300) || client->Authorized.load()) << "a second login went out: " << text;
  ASSERT_TRUE(peer->SendBlock(kLoginAnswer) && WaitUntil([&] { return client->Authorized.load(); }));

  // Many blocks per chunk read: at one block per read wait this would take many minutes.
  std::string burst;
  Ids nums;
  for (int num = 1; num < 1000; ++num) burst += Record(num) + '\x08', nums.push_back(num);
  ASSERT_TRUE(peer->Send(burst + Record(1000, 77, "\xD0\x9E\xD1\x88\xD0\xB8\xD0\xB1\xD0\xBA\xD0\xB0") + '\x08'));
  EXPECT_EQ(Nums(999), nums);
  EXPECT_EQ(Line(Responses(1).at(0)), "77 5 -1 7 Ошибка");

  // Far more than loopback buffers hold, so the send meets a full buffer while the exchange is not reading; "я" is one
  // byte in code page 1251, two in UTF-8.
  KestoOrder order;
  order.Comment.assign(4 * 1024 * 1024, '\xFF');
  client->InsertOrder(order);
  platform::SleepMs(300);
  ASSERT_TRUE(peer->ReadRequest(text, 20000)) << "cut off, or not framed as text, 0x08, 0x00";
  EXPECT_EQ(Parsed(text)["Comment"].asString().size(), 2 * order.Comment.size());
  EXPECT_EQ(exchange->Accept(300), nullptr) << "the connection was dropped";

  // The callback takes the responses itself, which it could not do under the client's lock.
  static std::atomic<int> notified{0}, taken{0};
  client->SetResponseNotify(
      [](void* c) {
        ++notified;
        for (KestoBrimo_AsyncResponce r; static_cast<KestoBrimoClientAsync*>(c)->GetClientResponce(r);) ++taken;
      },
      client.get());
  for (int round = 0; round < 6; ++round) {
    // Let the worker settle into its idle wait, at a different point each round.
    platform::SleepMs(150 + 97 * round % 500);
    client->AcceptOrder(round);
    // Without the wake-up the request would wait for the end of the idle pause, up to 1.5 s.
    ASSERT_TRUE(peer->ReadRequest(text, 400) && peer->SendBlock(Record(round))) << "round " << round;
  }
  EXPECT_TRUE(WaitUntil([&] { return taken == 6 && notified == 6; }));
  client->SetResponseNotify(nullptr, nullptr);

  // A wait for a response ends when one comes, long before its limit.
  auto waiting = std::async(std::launch::async, [&] { return Responses(1, 20000); });
  platform::SleepMs(100);
  EXPECT_TRUE(peer->SendBlock(Record(7)));
  ASSERT_EQ(waiting.wait_for(std::chrono::seconds(3)), std::future_status::ready) << "the wait ran to its limit";
  EXPECT_EQ(waiting.get().at(0).Num, 7);

  // Lost at each phase (during the login, while idle, awaiting an answer), a request sent but not
  // answered goes out again right after the next login; the login itself belongs to its connection.
  // A stop overtakes the requests waiting to be sent, and ends what went out whole.
  Restart();
  SetNextCommandIdForTesting(1);
  const int directory = client->GetDirectory(false);  // CommandId 1, as the login's code
  client->Connect();
  peer = exchange->Accept();
  // A reset before the client has seen its connect succeed would fail the connect instead.
  ASSERT_TRUE(peer && WaitUntil([&] { return client->GetConnectionState().Phase == Phase::AwaitingChallenge; }));
  // One write: the challenge and three messages, then a reset. The worker reads them in one chunk, and the send of
  // its login meets the reset.
  ASSERT_TRUE(peer->Send(AuthBlock("first") + '\x08' + Record(1) + '\x08' + Record(2) + '\x08' + Record(3) + '\x08'));
  peer->Reset();
  EXPECT_EQ(Nums(3), (Ids{1, 2, 3})) << "answers buffered when a send fails are delivered";
  EXPECT_EQ(NextConnectionRequests(peer), (Ids{0, directory})) << "the old login is dropped, nothing else";

  const int first = SendWithoutAnswer(*peer, 4), second = SendWithoutAnswer(*peer, 5);
  const int answered = client->GetStatement();
  std::string request;
  ASSERT_TRUE(peer->ReadRequest(request) && peer->SendBlock(Record(6, answered)));
  const int inFlight = client->AcceptOrder(42);
  ASSERT_TRUE(peer->ReadRequest(request));
  peer->Reset();
  EXPECT_EQ(Nums(3), (Ids{4, 5, 6}));
  EXPECT_EQ(NextConnectionRequests(peer), (Ids{0, directory, first, second, inFlight}));
  ASSERT_TRUE(peer && peer->SendBlock(Record(11, first)) && peer->SendBlock(Record(12, second)));
  EXPECT_EQ(Nums(3), (Ids{11, 12})) << "a broken connection adds no record";

  // A Disconnect lets the request in flight finish; the exchange has all that went out whole, so the next Connect
  // sends only newer requests.
  client->GetStatement();
  ASSERT_TRUE(peer->ReadRequest(request));
  Stop();
  const int queued = client->AcceptOrder(7);
  client->Connect();
  EXPECT_EQ(NextConnectionRequests(peer), (Ids{0, queued}));

  // Beyond the count the exchange remembers, the oldest is given up; older than its memory, a request is given up
  // when its turn to go again comes.
  Stop();
  Access::SetAwaitingAnswerLimit(*client, 1);
  Access::SetResendAgeLimitMs(*client, 2000);
  client->Connect();
  EXPECT_EQ(NextConnectionRequests(peer), (Ids{0}));
  const int older = SendWithoutAnswer(*peer, 1), newer = SendWithoutAnswer(*peer, 2);
  peer->Reset();
  EXPECT_EQ(NextConnectionRequests(peer), (Ids{0, newer}));
  platform::SleepMs(2100);
  peer->Reset();
  EXPECT_EQ(NextConnectionRequests(peer), (Ids{0}));
  std::string got;
  for (const auto& r : Responses(4)) got += Line(r) + "\n";
  const std::string unconfirmed = " 5 -9 0 Команда не подтверждена биржей: проверьте результат\n";
  EXPECT_EQ(got,
            "0 5 -1 7 \n" + std::to_string(older) + unconfirmed + "0 5 -1 7 \n" + std::to_string(newer) + unconfirmed);

  // Connect while a worker runs replaces it; the new one meets refused attempts.
  client->SetConnectionParam("127.0.0.1", ClosedLoopbackPort(), "operator", kPassword);
  std::int32_t marker = PeekNextCommandId();
  client->Connect();
  EXPECT_TRUE(peer->WaitClosedByClient(100)) << "the old worker ended before the new one started";
  EXPECT_EQ(Responses(1, 0).at(0).CommandId, static_cast<std::uint32_t>(marker));
  EXPECT_EQ(exchange->Accept(300), nullptr) << "the old worker runs on";
  const int statement = client->GetStatement(), acceptance = client->AcceptOrder(5);
  platform::SleepMs(700);
  Stop();
  // A stop queued before Connect ends only the worker that Connect starts, before it connects.
  client->SetConnectionParam("127.0.0.1", exchange->Port(), "operator", kPassword);
  marker = PeekNextCommandId();
  client->Disconnect();
  EXPECT_EQ(client->GetStatement(), marker) << "the marker spends no CommandId";
  client->Connect();
  EXPECT_EQ(Responses(1).at(0).CommandId, static_cast<std::uint32_t>(marker)) << "its notice";
  EXPECT_EQ(exchange->Accept(300), nullptr);
  // The next Connect connects; the login goes ahead of the requests that waited.
  client->Connect();
  EXPECT_EQ(NextConnectionRequests(peer), (Ids{0, statement, acceptance, marker}));
}

#ifdef _WIN32
// Wine's recv reports a peer's reset as an orderly close.
constexpr Cause kResetSeenAs = Cause::ClosedByExchange;
#else
constexpr Cause kResetSeenAs = Cause::Reset;
#endif

// Each failed attempt leaves its cause and the words for the operator, and another follows after a
// pause (WaitingToReconnect, not Connecting); a Disconnect in any phase is no failure itself.
// A login still queued when its connection ends carries that connection's digest: it alone is dropped.
TEST(SettleRequests, ALoginQueuedWhenTheConnectionEndsIsDroppedAndNothingElse) {
  KestoBrimoClientAsync client;
  SetNextCommandIdForTesting(1);
  const int directory = client.GetDirectory(false);  // CommandId 1, as the login's code
  client.GetDirectory(true);
  Access::SettleUnansweredRequests(client, true);
  Ids left;
  for (const auto& request : Access::Requests(client)) left.push_back(request.CommandId);
  EXPECT_EQ(left, Ids{directory});
}

TEST_F(ConnectionTest, TheConnectionStateNamesThePhaseAndTheCauseOfTheLastFailure) {
  enum Listener { Accepting, Refusing, NeverAccepting, Hanging };  // Hanging: within the connect's time limit
  const std::string connectError = "Ошибка установления соединения";
  const std::string authError = "Ошибка приема аутентификационной информации 1";
  const struct {
    std::function<void(FakePeer&)> exchangeDoes;  // once it has accepted
    Phase phase;
    Cause cause;
    std::string lastError;
    Listener listener = Accepting;
    const char* server = "127.0.0.1";
  } cases[] = {
      {nullptr, Phase::WaitingToReconnect, Cause::Refused, connectError, Refusing},
      {nullptr, Phase::WaitingToReconnect, Cause::TimedOut, connectError, NeverAccepting},
      {nullptr, Phase::Connecting, Cause::None, "", Hanging},
      // Dotted, but no address: like a failed lookup, without connecting.
      {nullptr, Phase::WaitingToReconnect, Cause::NameNotFound, connectError, Accepting, "300.1.1.1"},
      {[](FakePeer& p) { p.Close(); }, Phase::WaitingToReconnect, Cause::ClosedByExchange, authError},
      {[](FakePeer& p) { p.Reset(); }, Phase::WaitingToReconnect, kResetSeenAs, authError},
      {[](FakePeer& p) { p.SendBlock("{\"reason\":2}"); }, Phase::WaitingToReconnect, Cause::BadData,
       "Поступил блок аутентификационной информации другого типа"},
      {[](FakePeer& p) { p.SendBlock("{"); }, Phase::WaitingToReconnect, Cause::BadData,
       "Ошибка разбора аутентификационной информации 1"},
      {[](FakePeer&) {}, Phase::AwaitingChallenge, Cause::None, ""},
      {[](FakePeer& p) { p.SendBlock(AuthBlock("x")); }, Phase::LoggingIn, Cause::None, ""},
      // A block that cannot be read ends the connection without a record.
      {[](FakePeer& p) { LogIn(p), p.SendBlock("{"); }, Phase::WaitingToReconnect, Cause::BadData,
       "JSON parsing not success"},
      // A flood without a terminator is cut off at the buffer's limit.
      {[](FakePeer& p) { LogIn(p), p.Send(std::string(80 * 1024, 'x')); }, Phase::WaitingToReconnect, Cause::BadData,
       "recv buffer overflow"},
      {LogIn, Phase::LoggedIn, Cause::None, "", Accepting, "localhost"},
      {LogIn, Phase::LoggedIn, Cause::None, "", Accepting, "127.0.0.1 "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.server) + ", case " + std::to_string(&c - cases));
    Restart(c.listener >= NeverAccepting ? 0 : 8);
    ASSERT_TRUE(c.listener < NeverAccepting || exchange->FillBacklog()) << "could not make a connect hang";
    if (c.listener == NeverAccepting) Access::SetConnectTimeLimitMs(*client, 300);
    Access::SetRecvBufferLimit(*client, 64 * 1024);
    const std::uint16_t port = c.listener == Refusing ? ClosedLoopbackPort() : exchange->Port();
    client->SetConnectionParam(c.server, port, "operator", kPassword);
    client->Connect();
    std::unique_ptr<FakePeer> peer;
    if (c.exchangeDoes) {
      // The client has seen its connect through before the exchange acts.
      ASSERT_TRUE(peer = exchange->Accept());
      ASSERT_TRUE(WaitUntil([&] { return client->GetConnectionState().Phase == Phase::AwaitingChallenge; }));
      c.exchangeDoes(*peer);
    }
    auto want = std::make_tuple(c.phase, c.cause, c.lastError, std::string(c.server), std::int32_t{port}, true);
    decltype(want) got;
    EXPECT_TRUE(WaitUntil([&] {
      const KestoConnectionState s = client->GetConnectionState();
      // Logged in, it tells when the last block came.
      const bool stamped = s.Phase != Phase::LoggedIn || (s.LastBlockMonotonicMs != 0 && s.LastBlockTime != 0);
      return (got = std::make_tuple(s.Phase, s.LastFailure, s.LastError, s.ServerName, s.Port, stamped)) == want;
    })) << ::testing::PrintToString(got);
    Stop();  // its notice the only response: the login answer reaches nobody, a failure adds no record
    EXPECT_EQ(client->GetConnectionState().LastFailure, c.cause);
    EXPECT_TRUE(!peer || peer->WaitClosedByClient());
    EXPECT_LT(Access::RecvBuffer(*client).capacity(), 1024u) << "a connection's bytes were kept";
  }
}

}  // namespace
