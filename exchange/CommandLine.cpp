// Reading the demo exchange's options.
#include "exchange/CommandLine.h"

#include <cstdlib>

namespace {

bool ParseNumber(const std::string& text, unsigned long max, unsigned long& out) {
  if (text.empty() || text.size() > 10 || text.find_first_not_of("0123456789") != std::string::npos) return false;
  out = std::strtoul(text.c_str(), nullptr, 10);
  return out <= max;
}

}  // namespace

bool ParseCommandLine(const std::vector<std::string>& args, CommandLine& out, std::string& error) {
  out = CommandLine();
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool hasValue = i + 1 < args.size();
    unsigned long number = 0;
    if (arg == "--help" || arg == "-h") {
      out.Help = true;
    } else if (arg == "--demo") {
      out.Server.Demo = true;
    } else if (arg == "--port") {
      if (!hasValue || !ParseNumber(args[++i], 65535, number)) {
        error = "--port needs a number from 0 to 65535";
        return false;
      }
      out.Server.Port = static_cast<std::uint16_t>(number);
    } else if (arg == "--bind") {
      if (!hasValue) {
        error = "--bind needs an IPv4 address";
        return false;
      }
      out.Server.BindAddress = args[++i];
    } else if (arg == "--data" || arg == "--state") {
      if (!hasValue || args[i + 1].empty()) {
        error = arg + " needs a file name";
        return false;
      }
      (arg == "--data" ? out.DataPath : out.StatePath) = args[++i];
    } else if (arg == "--demo-period") {
      if (!hasValue || !ParseNumber(args[++i], 3600000, number) || number < 100) {
        error = "--demo-period needs milliseconds from 100 to 3600000";
        return false;
      }
      out.Server.DemoPeriodMs = static_cast<std::uint32_t>(number);
    } else if (arg == "--demo-for") {
      if (!hasValue || !ParseNumber(args[++i], 86400, number) || number < 1) {
        error = "--demo-for needs seconds from 1 to 86400";
        return false;
      }
      out.Server.DemoForMs = static_cast<std::uint32_t>(number) * 1000u;
    } else {
      error = "unknown argument: " + arg;
      return false;
    }
  }
  return true;
}

std::string UsageText(const std::string& programName) {
  return "Usage: " + programName +
         " [options]\n"
         "A demo order exchange for the Kesto Brimo desk and client.\n\n"
         "  --port N           TCP port to listen on (default " +
         std::to_string(kDefaultExchangePort) +
         "; 0 lets the system pick one)\n"
         "  --bind ADDR        IPv4 address to listen on (default 127.0.0.1)\n"
         "  --data FILE        data file with directories, accounts and tariffs\n"
         "                     (default: demo-data.json beside the program)\n"
         "  --state FILE       keep the order book and balances in FILE between runs:\n"
         "                     read at start when it exists, written on a clean stop\n"
         "  --demo             simulated services publish, re-price and withdraw orders\n"
         "  --demo-period MS   pause between simulated actions (default 4000)\n"
         "  --demo-for S       simulated actions stop after S seconds (default: never)\n"
         "  --help             this text\n\n"
         "Prints \"listening on ADDR:PORT\" once it accepts connections; logs to\n"
         "stderr; stops cleanly on SIGINT and SIGTERM.\n";
}
