// kb_bench: measures the client and the desk logic and prints one table,
// each figure beside its reference from the same run.
//   kb_bench [--quick]
#include <cstring>
#include <exception>
#include <iostream>

#include "bench/Benches.h"
#include "platform/socket.h"

int main(int argc, char** argv) {
  BenchOptions options;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--quick") == 0) {
      options.quick = true;
    } else {
      std::cerr << "usage: " << argv[0] << " [--quick]\n";
      return 2;
    }
  }
  if (!platform::StartSockets()) return 1;
  BenchTable table;
  try {
    RunParseAndBurst(table, options);
    RunIdleLatency(table, options);
    RunRoundTrip(table, options);
    RunDeskApply(table, options);
  } catch (const std::exception& e) {
    std::cerr << "benchmark failed: " << e.what() << "\n";
    platform::StopSockets();
    return 1;
  }
  table.Print();
  platform::StopSockets();
  return 0;
}
