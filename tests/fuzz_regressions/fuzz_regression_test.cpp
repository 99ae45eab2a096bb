// Every kept fuzz input goes through its target's entry again; an entry
// aborts on a broken invariant, and the sanitizer builds catch memory faults.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "fuzz/entries/FuzzEntries.h"
#include "fuzz_regressions/FuzzInputs.h"
#include "support/TempDir.h"

TEST(FuzzRegressions, EveryKeptInputPassesItsTarget) {
  TempDir scratch;
  std::map<std::string, int> replayed;
  for (const FuzzInput* input = kFuzzInputs; input->target != nullptr; ++input) {
    SCOPED_TRACE(input->name);
    const std::string target = input->target;
    if (target == "parse_block") {
      FuzzParseBlock(input->data, input->size);
    } else if (target == "framing") {
      FuzzFraming(input->data, input->size);
    } else if (target == "directories") {
      FuzzDirectories(input->data, input->size);
    } else if (target == "profile") {
      FuzzProfile(input->data, input->size, scratch.file("settings.ini"));
    } else {
      ADD_FAILURE() << "no fuzz target is called " << target;
      continue;
    }
    ++replayed[target];
  }
  // Every target has its seeds in the repository.
  for (const char* target : {"parse_block", "framing", "directories", "profile"})
    EXPECT_GT(replayed[target], 0) << target;
}
