// The demo exchange's command line.
#pragma once

#include <string>
#include <vector>

#include "exchange/ExchangeServer.h"

struct CommandLine {
  ServerOptions Server;
  std::string DataPath;   // empty: the demo data file
  std::string StatePath;  // empty: the order book is not kept between runs
  bool Help = false;
};

// False with a reason in `error` when the arguments are not understood.
bool ParseCommandLine(const std::vector<std::string>& args, CommandLine& out, std::string& error);

std::string UsageText(const std::string& programName);
