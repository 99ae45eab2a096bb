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
  StopOnSignals(server);

  std::cout << "listening on " << options.Server.BindAddress << ":" << server.Port() << std::endl;
  LogLine("data from " + dataPath + (options.Server.Demo ? ", demo traffic on" : ""));
  server.Run();
  ForgetStopSignals();
  LogLine("stopped");
  return 0;
}
