// How long a command waits before it leaves: the worker sits idle in its
// read wait or its pause, and the command's call must wake it. Measured
// from the call to the moment the exchange's side has read the whole request.
#include <atomic>
#include <iostream>
#include <map>
#include <mutex>
#include <random>
#include <thread>

#include "bench/Benches.h"
#include "bench/FakeSession.h"
#include "bench/Notifications.h"
#include "platform/clock.h"
#include "platform/sync.h"
#include "protocol/JsonRead.h"

namespace {

// Waits for the record answering `commandId`; false after `ms`.
bool WaitAnswer(KestoBrimoClientAsync& client, std::uint32_t commandId, unsigned ms) {
  const std::uint64_t deadline = platform::MonotonicMs() + ms;
  KestoBrimo_AsyncResponce record;
  while (platform::MonotonicMs() < deadline) {
    if (client.GetClientResponce(record)) {
      if (record.CommandId == commandId) return true;
    } else {
      platform::SleepMs(1);
    }
  }
  return false;
}

}  // namespace

void RunIdleLatency(BenchTable& table, const BenchOptions& options) {
  const int samples = options.quick ? 20 : 100;
  FakeSession session;
  if (!session.Open(DirectoriesText(LoadDemoData(), 0))) {
    table.Add({"Idle command latency", "FAILED to log in", "", "", "median < 1 ms", ""});
    return;
  }
  std::cerr << "idle latency: " << samples << " commands, each after 10 to 700 ms of quiet\n";

  // The exchange's side: note when each request is in, then answer it so
  // that the worker's read after the send ends and it goes idle again.
  std::mutex lock;
  std::map<std::uint32_t, BenchClock::time_point> arrivals;
  std::atomic<bool> stop{false};
  std::thread exchange([&] {
    while (!stop) {
      std::string text;
      if (!session.Peer().ReadRequest(text, 100)) continue;
      const auto arrived = BenchClock::now();
      Json::Value request;
      std::uint32_t id = 0;
      const Json::Value* member = nullptr;
      if (ParseJsonText(text, request)) member = FindJsonMember(request, "CommandId");
      if (member == nullptr || !JsonToUInt32(*member, id)) continue;
      {
        std::lock_guard<std::mutex> hold(lock);
        arrivals[id] = arrived;
      }
      session.Peer().SendBlock(PlainAnswerText(id, 5, "ok"));
    }
  });

  // Quiet periods cover both idle states: the 1 s read wait and the 500 ms
  // pause after a read that found nothing.
  std::mt19937 random(5);
  std::vector<double> latencies;
  int lost = 0;
  for (int i = 0; i < samples; ++i) {
    platform::SleepMs(std::uniform_int_distribution<std::uint32_t>(10, 700)(random));
    const auto called = BenchClock::now();
    const std::uint32_t id = static_cast<std::uint32_t>(session.Client().GetStatement());
    if (!WaitAnswer(session.Client(), id, 5000)) {
      ++lost;
      continue;
    }
    std::lock_guard<std::mutex> hold(lock);
    const auto found = arrivals.find(id);
    if (found == arrivals.end()) {
      ++lost;
    } else {
      latencies.push_back(MicrosBetween(called, found->second));
    }
  }
  stop = true;
  exchange.join();

  const Distribution d = Summarize(latencies);
  table.Add({"Idle command latency: call to bytes at the exchange (" + std::to_string(d.count) + " commands)",
             "median " + Duration(d.median) + ", p99 " + Duration(d.p99) + ", max " + Duration(d.max), "-", "-",
             "median < 1 ms", Verdict(lost == 0 && d.count > 0 && d.median < 1000)});
  if (lost > 0) table.Note("idle latency: " + std::to_string(lost) + " commands got no answer within 5 s");
}
