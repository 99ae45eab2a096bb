// What the connection tests share: the socket library, a fake exchange, a
// client pointed at it, the exchange's blocks, and a captured debug log.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "client/DebugLog.h"
#include "client/KestoBrimoClientAsync.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/socket.h"
#include "platform/sync.h"
#include "protocol/JsonRead.h"
#include "support/ClientTestAccess.h"
#include "support/FakeExchange.h"
#include "support/TempDir.h"

namespace connection_test {

using Access = KestoBrimoClientTestAccess;

// Password "пароль" in code page 1251, as the desk stores it.
inline const std::string kPassword = "пароль";
// "Москва" and "Ошибка" as UTF-8 on the wire.
inline const std::string kMoscowUtf8 = "\xD0\x9C\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0";
inline const std::string kErrorUtf8 = "\xD0\x9E\xD1\x88\xD0\xB8\xD0\xB1\xD0\xBA\xD0\xB0";

inline std::string AuthBlock(const std::string& rndStrUtf8) {
  return "{\"reason\":1,\"RndStr\":\"" + rndStrUtf8 + "\"}";
}

// The successful answer to the login request: directories, CommandId 0, status 0.
inline std::string LoginAnswer() {
  return "{\"reason\":2,\"CommandId\":0,\"CommandCode\":2,\"Num\":0,\"ErrorString\":\"\",\"OperationStatus\":0,"
         "\"CarrierTypeDirectory\":{},\"OrderStatusDirectory\":{},\"CityDirectory\":{\"1\":\"" +
         kMoscowUtf8 + "\"},\"ClientDbDirectory\":{}}";
}

// A message of a kind the client passes on with its envelope only; `num` tells them apart.
inline std::string Notice(int num, const std::string& errorUtf8 = "") {
  return "{\"reason\":7,\"CommandId\":" + std::to_string(1000 + num) + ",\"CommandCode\":0,\"Num\":" +
         std::to_string(num) + ",\"ErrorString\":\"" + errorUtf8 + "\",\"OperationStatus\":-1}";
}

inline Json::Value ParsedRequest(const std::string& utf8) {
  Json::Value root;
  EXPECT_TRUE(ParseJsonText(utf8, root)) << utf8;
  return root;
}

inline bool WaitUntil(const std::function<bool()>& done, std::uint32_t ms) {
  const std::uint64_t deadline = platform::MonotonicMs() + ms;
  while (!done()) {
    if (platform::MonotonicMs() >= deadline) return false;
    platform::SleepMs(5);
  }
  return true;
}

class ConnectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(platform::StartSockets());
    exchange.reset(new FakeExchange());
    ASSERT_TRUE(exchange->Listening());
    client.reset(new KestoBrimoClientAsync());
    client->SetConnectionParam("127.0.0.1", exchange->Port(), "operator", kPassword);
  }

  void TearDown() override {
    client.reset();  // its destructor stops the worker
    exchange.reset();
    if (DebugLog.IsOpen()) DebugLog.Close();
    platform::StopSockets();
  }

  // Accepts the client's next connection and takes it through the login.
  std::unique_ptr<FakePeer> AcceptAndLogIn(const std::string& rndStr = "first") {
    auto peer = exchange->Accept();
    EXPECT_TRUE(peer) << "the client did not connect";
    if (!peer) return nullptr;
    EXPECT_TRUE(peer->SendBlock(AuthBlock(rndStr)));
    std::string login;
    EXPECT_TRUE(peer->ReadRequest(login)) << "no login request";
    EXPECT_EQ(ParsedRequest(login)["CommandId"].asInt(), 0) << login;
    EXPECT_TRUE(peer->SendBlock(LoginAnswer()));
    EXPECT_TRUE(WaitUntil([&] { return client->Authorized.load(); }, 3000)) << "login not accepted";
    return peer;
  }

  // Collects `count` responses, waiting at most `ms` for them all.
  std::vector<KestoBrimo_AsyncResponce> Responses(std::size_t count, std::uint32_t ms = 3000) {
    std::vector<KestoBrimo_AsyncResponce> got;
    WaitUntil(
        [&] {
          KestoBrimo_AsyncResponce r;
          while (got.size() < count && client->GetClientResponce(r)) got.push_back(r);
          return got.size() >= count;
        },
        ms);
    return got;
  }

  bool NoResponseQueued() {
    KestoBrimo_AsyncResponce r;
    return !client->GetClientResponce(r);
  }

  // Milliseconds that Disconnect took.
  std::uint64_t TimedDisconnect() {
    const std::uint64_t start = platform::MonotonicMs();
    client->Disconnect();
    return platform::MonotonicMs() - start;
  }

  // The worker has taken the marker: its disconnect notice is the next
  // response, and after Disconnect no worker is left.
  void ExpectDisconnectNotice(std::int32_t markerId, bool afterDisconnect = true) {
    const auto notice = Responses(1);
    ASSERT_EQ(notice.size(), 1u);
    EXPECT_EQ(notice[0].CommandId, static_cast<std::uint32_t>(markerId));
    EXPECT_EQ(notice[0].OperationStatus, KBRStatus_Ok);
    EXPECT_EQ(notice[0].ErrorString, "Отсоединение от сервера успешно выполнено");
    EXPECT_EQ(notice[0].reason, 0);
    if (afterDisconnect) {
      EXPECT_EQ(client->ThreadId.load(), 0u);
    }
    EXPECT_TRUE(WaitUntil([&] { return !client->Authorized.load(); }, 1000));
  }

  // Sends the debug log to a scratch file, so tests can look for its lines.
  void CaptureLog() { ASSERT_TRUE(DebugLog.Open(logDir.file("conn.log"))); }
  std::string LogText() {
    const platform::LocalTime today = platform::CurrentLocalTime();
    std::string text;
    platform::ReadWholeFile(KestoDebugLog::DatedName(logDir.file("conn.log"), today.Year, today.Month, today.Day),
                            text);
    return text;
  }
  std::size_t LogCount(const std::string& line) {
    const std::string text = LogText();
    std::size_t count = 0;
    for (std::size_t at = text.find("]" + line + "\n"); at != std::string::npos;
         at = text.find("]" + line + "\n", at + 1))
      ++count;
    return count;
  }

  TempDir logDir;
  std::unique_ptr<FakeExchange> exchange;
  std::unique_ptr<KestoBrimoClientAsync> client;
};

// Generous bounds that only catch hangs; the behaviour asked for is "about a second".
constexpr std::uint64_t kPromptDisconnectMs = 2500;

}  // namespace connection_test
