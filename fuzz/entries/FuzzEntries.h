// The code under fuzzing, one entry per target. libFuzzer calls them through
// fuzz_main.cpp; the regression test replays kept inputs through the same entries.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

// One received block through ParseBlock on a client object, then the queue drained.
void FuzzParseBlock(const std::uint8_t* data, std::size_t size);

// Received bytes, in chunks that the input itself sizes, buffered and cut
// into blocks: directly, and through ReadBlock on a loopback connection.
void FuzzFraming(const std::uint8_t* data, std::size_t size);

// A text parsed as JSON and, when it is an object, read as a directory message.
void FuzzDirectories(const std::uint8_t* data, std::size_t size);

// A settings file: read, one value written, read again. `scratchPath` is the
// file the input is written to (the profile reader works on files).
void FuzzProfile(const std::uint8_t* data, std::size_t size, const std::string& scratchPath);

// A broken promise of the code under test: says what on stderr, then aborts,
// which libFuzzer and the tests both report as a crash.
inline void FuzzCheck(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "fuzz invariant broken: %s\n", what);
  std::abort();
}
