// Percentiles, number formats and the printed table.
#include "bench/BenchStats.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iostream>

Distribution Summarize(std::vector<double> samples) {
  Distribution d;
  if (samples.empty()) return d;
  std::sort(samples.begin(), samples.end());
  const auto rank = [&](double fraction) {
    std::size_t index = static_cast<std::size_t>(std::ceil(fraction * static_cast<double>(samples.size())));
    if (index > 0) --index;
    return samples[std::min(index, samples.size() - 1)];
  };
  d.count = samples.size();
  d.median = rank(0.5);
  d.p99 = rank(0.99);
  d.min = samples.front();
  d.max = samples.back();
  return d;
}

std::string Fixed(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

std::string Duration(double micros) {
  if (micros < 1000) return Fixed(micros, micros < 10 ? 2 : 0) + " us";
  if (micros < 1e6) return Fixed(micros / 1000, micros < 1e4 ? 2 : 1) + " ms";
  return Fixed(micros / 1e6, 2) + " s";
}

std::string Ratio(double value) { return Fixed(value, 2) + "x"; }

namespace {

// Display width: UTF-8 continuation bytes take no column.
std::size_t Width(const std::string& text) {
  std::size_t width = 0;
  for (unsigned char c : text)
    if ((c & 0xC0) != 0x80) ++width;
  return width;
}

void PrintLine(const std::vector<std::string>& cells, const std::vector<std::size_t>& widths) {
  std::string line = "|";
  for (std::size_t i = 0; i < cells.size(); ++i) {
    line += " " + cells[i] + std::string(widths[i] - Width(cells[i]), ' ') + " |";
  }
  std::cout << line << "\n";
}

}  // namespace

void BenchTable::Print() const {
  const std::vector<std::string> header = {"figure", "value", "reference (same run)", "ratio", "goal", "verdict"};
  std::vector<std::size_t> widths;
  for (const std::string& h : header) widths.push_back(Width(h));
  for (const BenchRow& r : rows_) {
    const std::string cells[] = {r.figure, r.value, r.reference, r.ratio, r.goal, r.verdict};
    for (std::size_t i = 0; i < widths.size(); ++i) widths[i] = std::max(widths[i], Width(cells[i]));
  }
  PrintLine(header, widths);
  std::vector<std::string> rule;
  for (std::size_t w : widths) rule.push_back(std::string(w, '-'));
  PrintLine(rule, widths);
  for (const BenchRow& r : rows_) PrintLine({r.figure, r.value, r.reference, r.ratio, r.goal, r.verdict}, widths);
  for (const std::string& note : notes_) std::cout << note << "\n";
  std::cout.flush();
}

bool BenchTable::AllGoalsMet() const {
  for (const BenchRow& r : rows_)
    if (r.verdict == "NOT MET") return false;
  return true;
}
