// The code under fuzzing, one entry per target; the files beside this one say what each checks. libFuzzer calls them
// through fuzz_main.cpp; the regression test replays kept inputs through the same entries.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

void FuzzParseBlock(const std::uint8_t* data, std::size_t size);
void FuzzFraming(const std::uint8_t* data, std::size_t size);
void FuzzDirectories(const std::uint8_t* data, std::size_t size);
// `scratchPath` is the file the input is written to (the profile reader works on files).
void FuzzProfile(const std::uint8_t* data, std::size_t size, const std::string& scratchPath);

// A broken promise of the code under test: says what on stderr, then aborts,
// which libFuzzer and the tests both report as a crash.
inline void FuzzCheck(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "fuzz invariant broken: %s\n", what);
  std::abort();
}
