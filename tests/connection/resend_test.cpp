// What a broken connection must not lose: requests sent but never answered go
// out again after the next login and their answers reach the application,
// answers already received whole are delivered, and a request the exchange may
// have forgotten is given up with a record. A clean Disconnect sends nothing again.
#include <string>
#include <vector>

#include "connection/ConnectionFixture.h"

namespace connection_test {
namespace {

int CommandIdOf(const std::string& request) { return ParsedRequest(request)["CommandId"].asInt(); }

// A message nobody asked for: "CommandId" 0, so it answers no request.
std::string Unsolicited(int num) {
  return "{\"reason\":7,\"CommandId\":0,\"CommandCode\":0,\"Num\":" + std::to_string(num) +
         ",\"ErrorString\":\"\",\"OperationStatus\":-1}";
}

std::string AnswerTo(int commandId, int num) {
  return "{\"reason\":7,\"CommandId\":" + std::to_string(commandId) + ",\"CommandCode\":5,\"Num\":" +
         std::to_string(num) + ",\"ErrorString\":\"\",\"OperationStatus\":0}";
}

class ResendTest : public ConnectionTest {
 protected:
  // Sends a request and lets the worker's read after it bring something else,
  // so the request leaves the queue without its answer.
  int SendWithoutAnswer(FakePeer& peer, int num) {
    const int id = client->GetStatement();
    std::string request;
    EXPECT_TRUE(peer.ReadRequest(request));
    EXPECT_EQ(CommandIdOf(request), id);
    EXPECT_TRUE(peer.SendBlock(Unsolicited(num)));
    EXPECT_TRUE(WaitUntil([&] { return Access::Requests(*client).empty(); }, 3000));
    return id;
  }

  // The requests of the next connection, in order, its login answered, until
  // none comes for longer than the worker's read after a send waits.
  std::vector<int> NextConnectionRequests(std::unique_ptr<FakePeer>& next) {
    next = exchange->Accept();
    EXPECT_TRUE(next);
    if (!next) return {};
    EXPECT_TRUE(next->SendBlock(AuthBlock("second")));
    std::vector<int> ids;
    std::string request;
    while (next->ReadRequest(request, 1500)) {
      ids.push_back(CommandIdOf(request));
      if (ids.back() == 0) {
        EXPECT_TRUE(next->SendBlock(LoginAnswer()));
      }
    }
    return ids;
  }

  // The record of a request given up: it may or may not have been handled.
  void ExpectGivenUp(int commandId) {
    const auto records = Responses(1);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].CommandId, static_cast<std::uint32_t>(commandId));
    EXPECT_EQ(records[0].CommandCode, KBRCommand_GetStatement);
    EXPECT_EQ(records[0].OperationStatus, KBRStatus_UnknownResponse);
    EXPECT_EQ(records[0].ErrorString, "Команда не подтверждена биржей: проверьте результат");
    EXPECT_EQ(records[0].reason, 0);
  }

  std::vector<int> Nums(const std::vector<KestoBrimo_AsyncResponce>& records) {
    std::vector<int> nums;
    for (const auto& r : records) nums.push_back(r.Num);
    return nums;
  }
};

TEST_F(ResendTest, RequestsLeftUnansweredByAResetGoAgainAfterTheLoginAndTheirAnswersArrive) {
  client->Connect();
  auto peer = AcceptAndLogIn();
  ASSERT_TRUE(peer);
  const int first = SendWithoutAnswer(*peer, 1);
  const int second = SendWithoutAnswer(*peer, 2);
  // An answered request is not sent again.
  const int answered = client->GetStatement();
  std::string request;
  ASSERT_TRUE(peer->ReadRequest(request));
  ASSERT_TRUE(peer->SendBlock(AnswerTo(answered, 3)));
  EXPECT_EQ(Nums(Responses(3)), (std::vector<int>{1, 2, 3}));
  peer->Reset();

  std::unique_ptr<FakePeer> next;
  EXPECT_EQ(NextConnectionRequests(next), (std::vector<int>{0, first, second}))
      << "the login first, then the unanswered requests in their order";
  ASSERT_TRUE(next);
  ASSERT_TRUE(next->SendBlock(AnswerTo(first, 11)));
  ASSERT_TRUE(next->SendBlock(AnswerTo(second, 12)));
  const auto records = Responses(2);
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].CommandId, static_cast<std::uint32_t>(first));
  EXPECT_EQ(records[1].CommandId, static_cast<std::uint32_t>(second));
  EXPECT_TRUE(client->Authorized.load());
}

TEST_F(ResendTest, DisconnectEndsRequestsSentWholeAndTheNextConnectSendsOnlyNewerOnes) {
  client->Connect();
  auto peer = AcceptAndLogIn();
  ASSERT_TRUE(peer);
  SendWithoutAnswer(*peer, 1);
  EXPECT_EQ(Responses(1).size(), 1u);
  client->Disconnect();
  EXPECT_EQ(Responses(1).size(), 1u) << "the disconnect notice";
  const int waiting = client->AcceptOrder(7);

  client->Connect();
  std::unique_ptr<FakePeer> next;
  EXPECT_EQ(NextConnectionRequests(next), (std::vector<int>{0, waiting}));
}

TEST_F(ResendTest, ARequestOlderThanTheExchangeRemembersIsNotSentAgain) {
  Access::SetResendAgeLimitMs(*client, 2000);
  client->Connect();
  auto peer = AcceptAndLogIn();
  ASSERT_TRUE(peer);
  const int old = SendWithoutAnswer(*peer, 1);
  platform::SleepMs(2100);
  const int young = SendWithoutAnswer(*peer, 2);
  EXPECT_EQ(Responses(2).size(), 2u);
  peer->Reset();

  std::unique_ptr<FakePeer> next;
  EXPECT_EQ(NextConnectionRequests(next), (std::vector<int>{0, young}));
  ExpectGivenUp(old);
}

TEST_F(ResendTest, AnswersBufferedWhenASendFailsStillReachTheApplication) {
  CaptureLog();
  client->Connect();
  auto peer = exchange->Accept();
  ASSERT_TRUE(peer);
  // A reset before the client has seen its connect succeed would fail the connect instead.
  ASSERT_TRUE(WaitUntil([&] { return LogCount("connect ok") == 1; }, 3000));
  // One write: the challenge and three messages, then a reset. The worker
  // reads them in one chunk, and the send of its login meets the reset.
  ASSERT_TRUE(peer->Send(AuthBlock("first") + '\x08' + Unsolicited(1) + '\x08' + Unsolicited(2) + '\x08' +
                         Unsolicited(3) + '\x08'));
  peer->Reset();
  EXPECT_EQ(Nums(Responses(3)), (std::vector<int>{1, 2, 3}));
  auto next = AcceptAndLogIn("second");
  EXPECT_TRUE(next);
  EXPECT_TRUE(NoResponseQueued());
}

TEST_F(ResendTest, OnlyTheNewestUnansweredRequestsAreKeptBeyondTheLimit) {
  Access::SetAwaitingAnswerLimit(*client, 2);
  CaptureLog();
  client->Connect();
  auto peer = AcceptAndLogIn();
  ASSERT_TRUE(peer);
  const int oldest = SendWithoutAnswer(*peer, 1);
  const int middle = SendWithoutAnswer(*peer, 2);
  const int newest = SendWithoutAnswer(*peer, 3);
  peer->Reset();

  std::unique_ptr<FakePeer> next;
  EXPECT_EQ(NextConnectionRequests(next), (std::vector<int>{0, middle, newest}));
  EXPECT_EQ(LogCount("~~too many requests unanswered: request " + std::to_string(oldest) + " will not be sent again"),
            1u);
  EXPECT_EQ(Responses(2).size(), 2u);
  ExpectGivenUp(oldest);
}

}  // namespace
}  // namespace connection_test
