// Parsing throughput, and a burst of notifications through a live connection.
// The burst's reference is ParseBlock alone on the very same texts, so the
// ratio is what the connection, the worker and the queue add to parsing.
#include <json/reader.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <iostream>
#include <memory>
#include <thread>

#include "bench/Benches.h"
#include "bench/FakeSession.h"
#include "bench/Notifications.h"
#include "client/DebugLog.h"
#include "platform/clock.h"

namespace {

std::size_t TotalBytes(const std::vector<std::string>& texts) {
  std::size_t bytes = 0;
  for (const std::string& t : texts) bytes += t.size();
  return bytes;
}

// The median over `passes` of the time one pass over all texts takes.
template <typename Pass>
double MedianPass(int passes, Pass pass) {
  std::vector<double> times;
  for (int i = 0; i < passes; ++i) times.push_back(pass());
  return Summarize(times).median;
}

double ParseBlockPass(const std::vector<std::string>& texts) {
  KestoBrimoClientAsync client;
  const auto start = BenchClock::now();
  for (const std::string& text : texts) {
    if (client.ParseBlock(text) != KBRStatus_Ok) std::cerr << "ParseBlock refused a notification\n";
  }
  const double micros = MicrosSince(start);
  KestoBrimo_AsyncResponce record;
  while (client.GetClientResponce(record)) {
  }
  return micros;
}

double JsoncppPass(const std::vector<std::string>& texts) {
  Json::CharReaderBuilder builder;
  const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
  const auto start = BenchClock::now();
  for (const std::string& text : texts) {
    Json::Value root;
    std::string errors;
    if (!reader->parse(text.data(), text.data() + text.size(), &root, &errors)) std::cerr << "jsoncpp refused\n";
  }
  return MicrosSince(start);
}

// From the first byte sent to the last record out of GetClientResponce; a
// negative result when the burst did not arrive whole within a minute.
double BurstOnce(const std::string& directories, const std::vector<std::string>& texts) {
  FakeSession session;
  if (!session.Open(directories)) return -1;
  std::string bytes;
  for (const std::string& text : texts) bytes += text + '\x08';

  std::atomic<bool> sent{false};
  const auto start = BenchClock::now();
  std::thread sender([&] { sent = session.Peer().Send(bytes, 60000); });
  std::size_t received = 0;
  KestoBrimo_AsyncResponce record;
  const std::uint64_t deadline = platform::MonotonicMs() + 60000;
  while (received < texts.size() && platform::MonotonicMs() < deadline) {
    if (session.Client().GetClientResponce(record)) {
      ++received;
    } else {
      std::this_thread::yield();
    }
  }
  const double micros = MicrosSince(start);
  sender.join();
  return sent && received == texts.size() ? micros : -1;
}

// The desk keeps its debug log open; the log writes several lines per block.
class ScratchDebugLog {
 public:
  ScratchDebugLog() : folder_(std::filesystem::temp_directory_path() / "kb_bench_log") {
    std::filesystem::create_directories(folder_);
    DebugLog.Open((folder_ / "bench.log").string());
  }
  ~ScratchDebugLog() {
    DebugLog.Close();
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }

 private:
  std::filesystem::path folder_;
};

}  // namespace

void RunParseAndBurst(BenchTable& table, const BenchOptions& options) {
  const int count = options.quick ? 2000 : 10000;
  const int passes = options.quick ? 3 : 7;
  const std::vector<std::string> texts = NotificationMix(count, 17);
  const std::size_t bytes = TotalBytes(texts);
  const std::string directories = DirectoriesText(LoadDemoData(), 0);

  std::cerr << "parse: " << count << " notifications, " << bytes / count << " bytes each on average\n";
  const double parseBlock = MedianPass(passes, [&] { return ParseBlockPass(texts); });
  const double jsoncpp = MedianPass(passes, [&] { return JsoncppPass(texts); });
  const auto perSecond = [&](double micros) { return Fixed(count / (micros / 1e6) / 1000, 1) + "k msg/s"; };
  const auto megabytes = [&](double micros) { return Fixed(static_cast<double>(bytes) / micros, 1) + " MB/s"; };
  table.Add({"ParseBlock throughput (" + std::to_string(count) + " notifications)",
             perSecond(parseBlock) + ", " + megabytes(parseBlock) + ", " + Duration(parseBlock / count) + "/msg",
             "jsoncpp parse alone: " + perSecond(jsoncpp) + ", " + megabytes(jsoncpp), Ratio(parseBlock / jsoncpp),
             "-", ""});

  std::cerr << "burst: " << count << " notifications back to back\n";
  std::vector<double> bursts;
  for (int i = 0; i < (options.quick ? 1 : 3); ++i) bursts.push_back(BurstOnce(directories, texts));
  const double burst = Summarize(bursts).median;
  double burstLogged = -1;
  {
    ScratchDebugLog log;
    burstLogged = BurstOnce(directories, texts);
  }
  if (std::any_of(bursts.begin(), bursts.end(), [](double b) { return b < 0; }) || burstLogged < 0) {
    table.Add({"Burst of " + std::to_string(count) + " notifications", "FAILED to arrive whole", "", "", "<= 2", ""});
    return;
  }
  table.Add({"Burst: " + std::to_string(count) + " notifications until all out of GetClientResponce",
             Duration(burst) + " (median of " + std::to_string(bursts.size()) + ")",
             "ParseBlock alone: " + Duration(parseBlock), Ratio(burst / parseBlock), "ratio <= 2",
             Verdict(burst / parseBlock <= 2)});
  table.Add({"Burst as above, debug log open (as the desk runs)", Duration(burstLogged),
             "ParseBlock alone: " + Duration(parseBlock), Ratio(burstLogged / parseBlock), "-", ""});
}
