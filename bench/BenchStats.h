// Timing helpers and the table that the benchmark run prints: each figure
// beside the reference it was measured against in the same run.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

using BenchClock = std::chrono::steady_clock;

inline double MicrosBetween(BenchClock::time_point from, BenchClock::time_point to) {
  return std::chrono::duration<double, std::micro>(to - from).count();
}
inline double MicrosSince(BenchClock::time_point from) { return MicrosBetween(from, BenchClock::now()); }

struct Distribution {
  std::size_t count = 0;
  double median = 0;
  double p99 = 0;
  double min = 0;
  double max = 0;
};

// Nearest-rank percentiles of the samples.
Distribution Summarize(std::vector<double> samples);

// A duration in microseconds as "850 us", "12.3 ms" or "1.25 s".
std::string Duration(double micros);
std::string Fixed(double value, int decimals);
// "1.84x".
std::string Ratio(double value);

struct BenchRow {
  std::string figure;
  std::string value;
  std::string reference;  // what it was measured against, in the same run
  std::string ratio;
  std::string goal;
  std::string verdict;  // "met", "NOT MET", or empty without a goal
};

class BenchTable {
 public:
  void Add(BenchRow row) { rows_.push_back(std::move(row)); }
  // A line printed under the table.
  void Note(std::string line) { notes_.push_back(std::move(line)); }
  void Print() const;
  // Whether every figure with a goal met it.
  bool AllGoalsMet() const;

 private:
  std::vector<BenchRow> rows_;
  std::vector<std::string> notes_;
};

inline std::string Verdict(bool met) { return met ? "met" : "NOT MET"; }
