// The kept fuzz inputs, compiled into the regression test.
#pragma once

#include <cstddef>

struct FuzzInput {
  const char* target;  // the fuzz target's folder name, e.g. "parse_block"
  const char* name;    // the path under fuzz/, e.g. "regressions/parse_block/deep_array"
  const unsigned char* data;
  std::size_t size;
};

// Ends with an entry whose target is nullptr.
extern const FuzzInput kFuzzInputs[];
