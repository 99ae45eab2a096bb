// kbexchange: the demo order exchange as a program.
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "exchange/CommandLine.h"
#include "exchange/ExchangeServer.h"
#include "exchange/ProcessSetup.h"
#include "platform/clock.h"
#include "platform/files.h"

#ifndef KB_EXCHANGE_SOURCE_DIR
#define KB_EXCHANGE_SOURCE_DIR "."
#endif

namespace {

std::string DefaultDataPath() {
  const std::string exe = platform::ExecutablePath();
  const std::size_t slash = exe.find_last_of('/');
  std::string content;
  if (slash != std::string::npos) {
    const std::string beside = exe.substr(0, slash + 1) + "demo-data.json";
    if (platform::ReadWholeFile(beside, content)) return beside;
  }
  return std::string(KB_EXCHANGE_SOURCE_DIR) + "/demo-data.json";
}

void LogLine(const std::string& line) {
  const platform::LocalTime t = platform::CurrentLocalTime();
  char stamp[48];
  // Milliseconds, so that the time between two commands can be read off the log.
  std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d:%02d:%02d.%03d ", t.Year, t.Month, t.Day, t.Hour, t.Minute,
                t.Second, t.Millisecond);
  const std::string stamped = stamp + line + "\n";
  std::fwrite(stamped.data(), 1, stamped.size(), stderr);
}

// The state a clean stop left; a missing file is a first run, a damaged one
// is told and the exchange starts with an empty book rather than not at all.
void LoadState(Exchange& exchange, const std::string& path) {
  std::string text, error;
  if (!platform::FileExists(path)) {
    LogLine("no state in " + path + " yet: the order book starts empty");
  } else if (!platform::ReadWholeFile(path, text)) {
    LogLine("cannot read the state in " + path + ": the order book starts empty");
  } else if (!exchange.LoadState(text, platform::NowSeconds(), error)) {
    // The next stop writes over it: a copy stays for whoever looks into it.
    const std::string kept = path + ".damaged";
    LogLine("the state in " + path + " is damaged (" + error + "): the order book starts empty" +
            (platform::ReplaceWholeFile(kept, text) ? "; a copy is kept in " + kept : std::string()));
  } else {
    LogLine("state from " + path + ": " + std::to_string(exchange.Orders().size()) + " orders");
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  CommandLine options;
  std::string error;
  const std::string program = argc > 0 ? argv[0] : "kbexchange";
  if (!ParseCommandLine(args, options, error)) {
    std::cerr << program << ": " << error << "\n" << UsageText(program);
    return 2;
  }
  if (options.Help) {
    std::cout << UsageText(program);
    return 0;
  }
  const std::string dataPath = options.DataPath.empty() ? DefaultDataPath() : options.DataPath;
  std::string text;
  ExchangeData data;
  if (!platform::ReadWholeFile(dataPath, text)) {
    std::cerr << program << ": cannot read " << dataPath << "\n";
    return 1;
  }
  if (!LoadExchangeData(text, data, error)) {
    std::cerr << program << ": " << dataPath << ": " << error << "\n";
    return 1;
  }
  RaiseDescriptorLimit();
  ExchangeServer server(std::move(data), options.Server, LogLine);
  if (!server.Listen(error)) {
    std::cerr << program << ": cannot listen: " << error << "\n";
    return 1;
  }
  if (!options.StatePath.empty()) LoadState(server.Core(), options.StatePath);
  StopOnSignals(server);

  std::cout << "listening on " << options.Server.BindAddress << ":" << server.Port() << std::endl;
  LogLine("data from " + dataPath + (options.Server.Demo ? ", demo traffic on" : ""));
  server.Run();
  ForgetStopSignals();
  if (!options.StatePath.empty() && !platform::ReplaceWholeFile(options.StatePath, server.Core().StateText())) {
    LogLine("cannot write the state to " + options.StatePath);
    return 1;
  }
  LogLine("stopped" + (options.StatePath.empty() ? std::string() : ", state written to " + options.StatePath));
  return 0;
}
