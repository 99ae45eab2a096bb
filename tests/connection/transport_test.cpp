// Blocks on the wire against a fake exchange: however the bytes are chunked,
// the operator gets every record in order; requests go out as UTF-8 framed by
// 0x08 0x00; a burst is delivered at once; a flood without terminator is cut off.

#include "connection/ConnectionFixture.h"

namespace connection_test {
namespace {

std::vector<int> NumsOf(const std::vector<KestoBrimo_AsyncResponce>& responses) {
  std::vector<int> nums;
  for (const auto& r : responses) nums.push_back(r.Num);
  return nums;
}

TEST_F(ConnectionTest, BlocksArriveWholeWhateverTheirChunking) {
  client->Connect();
  auto peer = AcceptAndLogIn();
  ASSERT_TRUE(peer);

  ASSERT_TRUE(peer->SendByteByByte(Notice(1) + '\x08'));
  ASSERT_TRUE(peer->Send(Notice(2) + '\x08' + Notice(3) + '\x08'));
  // The rest of a chunk after a zero byte is dropped, so the garbage never becomes a block.
  ASSERT_TRUE(peer->Send(Notice(4) + '\x08' + std::string(1, '\0') + "garbage\x08"));
  auto got = Responses(4);
  // Sent only now, so that it is not read in the same chunk and dropped with the garbage.
  ASSERT_TRUE(peer->SendBlock(Notice(5, kErrorUtf8)));
  const auto last = Responses(1);
  got.insert(got.end(), last.begin(), last.end());
  EXPECT_EQ(NumsOf(got), (std::vector<int>{1, 2, 3, 4, 5}));
  ASSERT_EQ(got.size(), 5u);
  EXPECT_EQ(got[0].CommandId, 1001u);
  EXPECT_EQ(got[0].reason, 7);
  EXPECT_EQ(got[0].OperationStatus, -1);
  EXPECT_EQ(got[4].ErrorString, "Ошибка");
  EXPECT_TRUE(client->Authorized.load());
  EXPECT_EQ(exchange->Accept(300), nullptr) << "the connection was dropped";
  EXPECT_EQ(client->GetCity(1), "Москва");
}

TEST_F(ConnectionTest, RequestsGoOutAsUtf8EndedByBackspaceAndZero) {
  client->Connect();
  auto peer = AcceptAndLogIn();
  ASSERT_TRUE(peer);

  // Three UTF-8 bytes for each of these characters: the request must not shrink to a bare terminator.
  std::string wide;
  for (int i = 0; i < 500; ++i) wide += "№…€";
  const int id = client->AddCarDescription(7, wide, "А123", 5, 10);

  std::string text;
  ASSERT_TRUE(peer->ReadRequest(text)) << "not framed as text, 0x08, 0x00";
  ASSERT_FALSE(text.empty());
  EXPECT_EQ(text.back(), '\n');
  const Json::Value request = ParsedRequest(text);
  EXPECT_EQ(request["CommandId"].asInt(), id);
  std::string expected;
  for (int i = 0; i < 500; ++i) expected += "\xE2\x84\x96\xE2\x80\xA6\xE2\x82\xAC";
  EXPECT_EQ(request["FullDescription"].asString(), expected);
  EXPECT_EQ(request["GovNumber"].asString(), "\xD0\x90\x31\x32\x33");
}

TEST_F(ConnectionTest, ARequestLargerThanTheSendBufferWaitsForASlowReader) {
  client->Connect();
  auto peer = AcceptAndLogIn();
  ASSERT_TRUE(peer);
  CaptureLog();

  // Far more than loopback buffers hold, so the send meets a full buffer
  // while the exchange is not reading yet.
  KestoOrder order;
  order.Comment.assign(8 * 1024 * 1024, 'x');
  const int id = client->InsertOrder(order);
  platform::SleepMs(300);

  std::string text;
  ASSERT_TRUE(peer->ReadRequest(text, 20000)) << "the request was cut off";
  const Json::Value request = ParsedRequest(text);
  EXPECT_EQ(request["CommandId"].asInt(), id);
  EXPECT_EQ(request["Comment"].asString().size(), order.Comment.size());
  EXPECT_EQ(LogCount("~~<SendTextBlock - KBRStatus_SendError"), 0u);
}

TEST_F(ConnectionTest, ABurstOfNotificationsIsDeliveredAtOnce) {
  client->Connect();
  auto peer = AcceptAndLogIn();
  ASSERT_TRUE(peer);

  constexpr int kCount = 1000;
  std::string burst;
  for (int i = 0; i < kCount; ++i) burst += Notice(i) + '\x08';
  ASSERT_TRUE(peer->Send(burst));
  // At one block per read wait this would take many minutes; the bound only catches that.
  const auto got = Responses(kCount, 30000);
  ASSERT_EQ(got.size(), static_cast<std::size_t>(kCount));
  std::vector<int> expected(kCount);
  for (int i = 0; i < kCount; ++i) expected[i] = i;
  EXPECT_EQ(NumsOf(got), expected);
}

TEST_F(ConnectionTest, AnUnterminatedFloodIsCutOffAndTheClientConnectsAgain) {
  Access::SetRecvBufferLimit(*client, 64 * 1024);
  client->Connect();
  auto peer = AcceptAndLogIn();
  ASSERT_TRUE(peer);

  // The client may drop the connection before all of it is sent.
  peer->Send(std::string(80 * 1024, 'x'));
  EXPECT_TRUE(peer->WaitClosedByClient());
  EXPECT_TRUE(WaitUntil([&] { return !client->Authorized.load(); }, 3000));
  auto next = AcceptAndLogIn("second");
  ASSERT_TRUE(next);
  EXPECT_TRUE(NoResponseQueued());

  client->Disconnect();
  EXPECT_LT(Access::RecvBuffer(*client).capacity(), 1024u) << "the flood's memory was kept";
}

TEST_F(ConnectionTest, AConnectionTheExchangeClosesIsReplacedWithAPause) {
  client->Connect();
  auto peer = AcceptAndLogIn();
  ASSERT_TRUE(peer);
  peer->Close();
  EXPECT_TRUE(WaitUntil([&] { return !client->Authorized.load(); }, 3000));

  // Every connection closed at once: the client must come back every 500 ms, not spin.
  int connections = 0;
  const std::uint64_t start = platform::MonotonicMs();
  while (platform::MonotonicMs() - start < 1600) {
    auto again = exchange->Accept(200);
    if (again) {
      ++connections;
      again->Close();
    }
  }
  EXPECT_GE(connections, 1);
  EXPECT_LE(connections, 6);
  EXPECT_TRUE(NoResponseQueued());
}

#ifdef _WIN32
// Wine's recv reports a peer's reset as an orderly close.
constexpr KestoFailureCause kResetSeenAs = KestoFailureCause::ClosedByExchange;
#else
constexpr KestoFailureCause kResetSeenAs = KestoFailureCause::Reset;
#endif

// The state a desk shows, through each way a connection gets on or fails.
TEST_F(ConnectionTest, TheConnectionStateNamesThePhaseAndTheCauseOfTheLastFailure) {
  using Phase = KestoConnectionPhase;
  using Cause = KestoFailureCause;
  const struct {
    const char* name;
    bool refused;                           // pointed at a port where nothing listens
    std::function<void(FakePeer&)> script;  // what the exchange does once it has accepted
    Phase phase;
    Cause cause;
    const char* lastError;
  } cases[] = {
      {"refused", true, nullptr, Phase::WaitingToReconnect, Cause::Refused, "Ошибка установления соединения"},
      {"closed", false, [](FakePeer& p) { p.Close(); }, Phase::WaitingToReconnect, Cause::ClosedByExchange,
       "Ошибка приема аутентификационной информации 1"},
      {"reset", false, [](FakePeer& p) { p.Reset(); }, Phase::WaitingToReconnect, kResetSeenAs,
       "Ошибка приема аутентификационной информации 1"},
      {"no challenge", false, [](FakePeer& p) { p.SendBlock("{\"reason\":2}"); }, Phase::WaitingToReconnect,
       Cause::BadData, "Поступил блок аутентификационной информации другого типа"},
      {"silent", false, [](FakePeer&) {}, Phase::AwaitingChallenge, Cause::None, ""},
      {"challenged", false, [](FakePeer& p) { p.SendBlock(AuthBlock("x")); }, Phase::LoggingIn, Cause::None, ""},
      {"bad block", false,
       [](FakePeer& p) { p.SendBlock(AuthBlock("x")) && p.SendBlock(LoginAnswer()) && p.SendBlock("{"); },
       Phase::WaitingToReconnect, Cause::BadData, "JSON parsing not success"},
  };
  for (const auto& c : cases) {
    // A listener of its own, so no connection of an earlier case waits in its backlog.
    client.reset(new KestoBrimoClientAsync());
    exchange.reset(new FakeExchange());
    EXPECT_EQ(client->GetConnectionState().Phase, Phase::NotRunning) << c.name;
    const std::uint16_t port = c.refused ? ClosedLoopbackPort() : exchange->Port();
    client->SetConnectionParam("127.0.0.1", port, "operator", kPassword);
    client->Connect();
    std::unique_ptr<FakePeer> peer;
    if (!c.refused) {
      peer = exchange->Accept();
      ASSERT_TRUE(peer) << c.name;
      // The client has seen its connect through before the exchange acts.
      ASSERT_TRUE(WaitUntil([&] { return client->GetConnectionState().Phase == Phase::AwaitingChallenge; }, 3000));
      c.script(*peer);
    }
    KestoConnectionState state;
    EXPECT_TRUE(WaitUntil(
        [&] {
          state = client->GetConnectionState();
          return state.Phase == c.phase && state.LastFailure == c.cause;
        },
        3000))
        << c.name << ": phase " << static_cast<int>(state.Phase) << ", cause " << static_cast<int>(state.LastFailure);
    EXPECT_EQ(state.LastError, c.lastError) << c.name;
    EXPECT_EQ(state.ServerName, "127.0.0.1") << c.name;
    EXPECT_EQ(state.Port, port) << c.name;
    client->Disconnect();
    EXPECT_EQ(client->GetConnectionState().Phase, Phase::NotRunning) << c.name;
  }

  // Logged in: the time of the last block is recorded.
  client->SetConnectionParam("127.0.0.1", exchange->Port(), "operator", kPassword);
  const std::int64_t before = platform::NowSeconds();
  client->Connect();
  auto peer = AcceptAndLogIn();
  ASSERT_TRUE(peer);
  const KestoConnectionState state = client->GetConnectionState();
  EXPECT_EQ(state.Phase, Phase::LoggedIn);
  EXPECT_EQ(state.LastFailure, Cause::None);
  EXPECT_NE(state.LastBlockMonotonicMs, 0u);
  EXPECT_GE(state.LastBlockTime, before);
}

}  // namespace
}  // namespace connection_test
