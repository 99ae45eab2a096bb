// Every kept fuzz input goes through its target's entry again; an entry
// aborts on a broken invariant, and the sanitizer builds catch memory faults.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>

#include "FuzzInputs.h"
#include "fuzz/entries/FuzzEntries.h"
#include "support/TempDir.h"

TEST(FuzzRegressions, EveryKeptInputPassesItsTarget) {
  TempDir scratch;
  const std::string settings = scratch.file("settings.ini");
  const std::map<std::string, std::function<void(const std::uint8_t*, std::size_t)>> targets = {
      {"parse_block", FuzzParseBlock},
      {"framing", FuzzFraming},
      {"directories", FuzzDirectories},
      {"profile", [&settings](const std::uint8_t* data, std::size_t size) { FuzzProfile(data, size, settings); }}};
  std::map<std::string, int> replayed;
  for (const FuzzInput* input = kFuzzInputs; input->target != nullptr; ++input) {
    SCOPED_TRACE(input->name);
    targets.at(input->target)(input->data, input->size);  // throws when no target is called so
    ++replayed[input->target];
  }
  EXPECT_EQ(replayed.size(), targets.size());  // every target has its seeds in the repository
}
