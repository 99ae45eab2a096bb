// The measurements of the benchmark run; each adds its rows to the table.
#pragma once

#include "bench/BenchStats.h"

struct BenchOptions {
  bool quick = false;  // smaller counts, for a smoke run
};

// ParseBlock vs jsoncpp on the same texts, and a burst of 10,000
// notifications through a connection vs parsing them alone.
void RunParseAndBurst(BenchTable& table, const BenchOptions& options);
// From a command's call on an idle, logged-in connection to its bytes at the exchange.
void RunIdleLatency(BenchTable& table, const BenchOptions& options);
// Command to answer record through the demo exchange vs raw sockets.
void RunRoundTrip(BenchTable& table, const BenchOptions& options);
// 2,000 new-order notifications applied to the desk's lists by one tick.
void RunDeskApply(BenchTable& table, const BenchOptions& options);
