// The login challenge against a fake exchange: the login request digests the
// challenge in code page 1251 with the password; any other first block ends
// the connection and the next one starts the handshake again.
#include "connection/ConnectionFixture.h"

namespace connection_test {
namespace {

Json::Value LoginRequest(FakePeer& peer) {
  std::string text;
  EXPECT_TRUE(peer.ReadRequest(text)) << "no login request";
  return ParsedRequest(text);
}

TEST_F(ConnectionTest, LoginRequestDigestsTheChallengeInCodePage1251) {
  client->Connect();
  auto peer = exchange->Accept();
  ASSERT_TRUE(peer);
  ASSERT_TRUE(peer->SendBlock(AuthBlock("\xD0\xB0\xD0\xB1")));  // "аб"

  const Json::Value login = LoginRequest(*peer);
  EXPECT_EQ(login["CommandId"].asInt(), 0);
  EXPECT_EQ(login["CommandCode"].asInt(), 2);
  EXPECT_EQ(login["CommandStr"].asString(), "KBRCommand_GetDirectory");
  EXPECT_EQ(login["Login"].asString(), "operator");
  EXPECT_EQ(login["PassHash"].asString(), "B7B35A6BFF6EBB25CD61F90EA14940BE");
  EXPECT_FALSE(client->Authorized.load());

  ASSERT_TRUE(peer->SendBlock(LoginAnswer()));
  EXPECT_TRUE(WaitUntil([&] { return client->Authorized.load(); }, 3000));
  EXPECT_EQ(client->GetCity(1), "Москва");
  EXPECT_TRUE(NoResponseQueued()) << "the login answer reaches nobody";

  client->Disconnect();
  EXPECT_EQ(Access::RndStr(*client), "аб");
}

TEST_F(ConnectionTest, AChallengeWithoutRandomStringDigestsThePasswordAlone) {
  client->Connect();
  auto peer = exchange->Accept();
  ASSERT_TRUE(peer);
  ASSERT_TRUE(peer->SendBlock("{\"reason\":1}"));
  EXPECT_EQ(LoginRequest(*peer)["PassHash"].asString(), "749789E4982B0C563F6729AAC100A614");
}

TEST_F(ConnectionTest, AnyOtherFirstBlockEndsTheConnectionAndTheNextOneStartsAfresh) {
  CaptureLog();
  client->Connect();
  const char* const refused[] = {
      "not json",
      "[1,2]",
      "{\"reason\":2,\"RndStr\":\"x\"}",
      "{\"reason\":true,\"RndStr\":\"x\"}",
      "{\"reason\":1,\"RndStr\":5}",
      "{\"RndStr\":\"x\"}",
  };
  for (const char* block : refused) {
    auto peer = exchange->Accept();
    ASSERT_TRUE(peer) << block;
    ASSERT_TRUE(peer->SendBlock(block));
    std::string request;
    EXPECT_FALSE(peer->ReadRequest(request, 2000)) << block << " was taken for a challenge";
    EXPECT_TRUE(peer->WaitClosedByClient()) << block;
  }
  auto peer = exchange->Accept();
  ASSERT_TRUE(peer);
  ASSERT_TRUE(peer->SendBlock(AuthBlock("first")));
  EXPECT_EQ(LoginRequest(*peer)["PassHash"].asString(), "F1DE27FF8AC861D3D96AAB09E697F017");
  EXPECT_TRUE(NoResponseQueued());

  EXPECT_EQ(LogCount("~JSON parsing 1 not success"), 1u);
  EXPECT_EQ(LogCount("~No autent block"), 5u);
}

TEST_F(ConnectionTest, AClosedConnectionDuringTheHandshakeIsAReceiveError) {
  CaptureLog();
  client->Connect();
  auto peer = exchange->Accept();
  ASSERT_TRUE(peer);
  peer->Close();
  auto next = exchange->Accept();
  ASSERT_TRUE(next) << "no new attempt after the close";
  client->Disconnect();
  EXPECT_EQ(LogCount("recv closed"), 1u);
  EXPECT_EQ(LogCount("~JSON read block 1 not success"), 1u);
}

}  // namespace
}  // namespace connection_test
