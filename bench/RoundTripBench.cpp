// Command to answer record through the demo exchange, waited for with
// GetClientResponce's time limit, against two raw-socket references of the
// same sizes measured in the same run: the same request bytes sent to the
// same exchange, and a bare ping-pong with an echo thread.
#include <atomic>
#include <iostream>
#include <thread>

#include "bench/Benches.h"
#include "bench/DemoExchange.h"
#include "bench/FakeSession.h"
#include "bench/RawConnection.h"
#include "platform/clock.h"
#include "platform/codepage.h"
#include "platform/sync.h"
#include "protocol/JsonRead.h"
#include "protocol/Md5.h"
#include "support/ClientTestAccess.h"

namespace {

const char* const kLogin = "mirdaton";
const char* const kPassword = "mirdaton";

// The text the client sends for GetStatement, taken from a client that is not connected.
std::string StatementRequestText() {
  KestoBrimoClientAsync offline;
  offline.GetStatement();
  return KestoBrimoClientTestAccess::Requests(offline).back().Text;
}

// Reads whatever the exchange sends until it stays quiet for `quietMs`.
void DrainRaw(RawConnection& connection, std::uint32_t quietMs) {
  std::string block;
  while (connection.ReadBlock(block, quietMs)) {
  }
}

bool RawLogin(RawConnection& connection, std::uint16_t port) {
  std::string block;
  Json::Value auth;
  std::string rndStr;
  if (!connection.Connect(port) || !connection.ReadBlock(block, 3000) || !ParseJsonText(block, auth)) return false;
  const Json::Value* member = FindJsonMember(auth, "RndStr");
  if (member == nullptr || !JsonToText(*member, rndStr)) return false;
  const std::string login = std::string(
                                "{\"CommandCode\":2,\"CommandId\":0,\"CommandStr\":\"KBRCommand_GetDirectory\","
                                "\"Login\":\"") +
                            kLogin + "\",\"PassHash\":\"" + PassHash(rndStr, kPassword) + "\"}\n";
  if (!connection.SendAll(login + '\x08' + '\0')) return false;
  DrainRaw(connection, 300);
  return true;
}

// One request out, one block back, `count` times; the round trips in microseconds.
std::vector<double> RawPingPong(RawConnection& connection, const std::string& request, int count) {
  std::vector<double> times;
  std::string block;
  for (int i = 0; i < count; ++i) {
    const auto start = BenchClock::now();
    if (!connection.SendAll(request) || !connection.ReadBlock(block, 3000)) break;
    times.push_back(MicrosSince(start));
  }
  return times;
}

}  // namespace

void RunRoundTrip(BenchTable& table, const BenchOptions& options) {
  const int count = options.quick ? 100 : 1000;
  DemoExchange exchange;
  if (!exchange.Running()) {
    table.Add({"Round trip", "FAILED: demo exchange did not start", "", "", "-", ""});
    return;
  }
  std::cerr << "round trip: " << count << " GetStatement commands through the demo exchange\n";

  std::vector<double> client;
  {
    KestoBrimoClientAsync c;
    c.SetConnectionParam("127.0.0.1", exchange.Port(), kLogin, kPassword);
    c.Connect();
    if (!WaitAuthorized(c, 5000)) {
      table.Add({"Round trip", "FAILED to log in to the demo exchange", "", "", "-", ""});
      return;
    }
    KestoBrimo_AsyncResponce record;
    platform::SleepMs(300);
    while (c.GetClientResponce(record)) {
    }
    for (int i = 0; i < count; ++i) {
      const auto start = BenchClock::now();
      const std::uint32_t id = static_cast<std::uint32_t>(c.GetStatement());
      const std::uint64_t deadline = platform::MonotonicMs() + 5000;
      bool answered = false;
      // Waits for the record instead of polling: the worker's queuing ends the wait.
      for (std::uint64_t now = platform::MonotonicMs(); !answered && now < deadline; now = platform::MonotonicMs()) {
        if (c.GetClientResponce(record, static_cast<std::uint32_t>(deadline - now))) answered = record.CommandId == id;
      }
      if (!answered) break;
      client.push_back(MicrosSince(start));
    }
  }

  // The same request bytes from a raw socket, logged in as the same service.
  const std::string request = platform::Utf8FromAnsi(StatementRequestText()) + '\x08' + '\0';
  std::vector<double> raw;
  std::size_t rawAnswerSize = 0;
  {
    RawConnection connection;
    if (RawLogin(connection, exchange.Port())) {
      std::string block;
      if (connection.SendAll(request) && connection.ReadBlock(block, 3000)) rawAnswerSize = block.size() + 1;
      raw = RawPingPong(connection, request, count);
    }
  }

  // A bare ping-pong with an echo thread: request size out, answer size back.
  std::vector<double> echo;
  {
    std::uint16_t port = 0;
    const platform::SocketHandle listener = platform::OpenLoopbackListener(1, port);
    std::atomic<bool> stop{false};
    std::thread echoer([&] {
      if (platform::WaitForSocket(listener, platform::SocketWaitFor::Reading, nullptr, 3000) !=
          platform::SocketReady::Ready)
        return;
      RawConnection peer(platform::AcceptConnection(listener));
      const std::string reply(rawAnswerSize > 0 ? rawAnswerSize - 1 : 100, 'a');
      std::string text;
      while (!stop) {
        if (peer.ReadRequest(text, 100)) peer.SendAll(reply + '\x08');
      }
    });
    RawConnection connection;
    if (connection.Connect(port)) echo = RawPingPong(connection, request, count);
    stop = true;
    echoer.join();
    platform::CloseSocket(listener);
  }

  const Distribution c = Summarize(client);
  const Distribution r = Summarize(raw);
  const Distribution e = Summarize(echo);
  if (c.count == 0 || r.count == 0 || e.count == 0) {
    table.Add({"Round trip",
               "FAILED: " + std::to_string(c.count) + " client, " + std::to_string(r.count) + " raw, " +
                   std::to_string(e.count) + " echo round trips",
               "", "", "-", ""});
    return;
  }
  const std::string sizes = std::to_string(request.size()) + " B out, " + std::to_string(rawAnswerSize) + " B back";
  table.Add({"Round trip: command to answer record, demo exchange (" + std::to_string(c.count) + ")",
             "median " + Duration(c.median) + ", p99 " + Duration(c.p99),
             "raw socket, same bytes, same exchange: median " + Duration(r.median) + ", p99 " + Duration(r.p99),
             Ratio(c.median / r.median) + " (p99 " + Ratio(c.p99 / r.p99) + ")", "median ratio <= 2",
             Verdict(c.median / r.median <= 2)});
  table.Add({"  the same, against a bare ping-pong (" + sizes + ")", "median " + Duration(c.median),
             "raw echo thread: median " + Duration(e.median) + ", p99 " + Duration(e.p99),
             Ratio(c.median / e.median) + " (p99 " + Ratio(c.p99 / e.p99) + ")", "-", ""});
}
