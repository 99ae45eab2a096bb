// The libFuzzer entry of one target; KB_FUZZ_TARGET names the entry it calls.
#include <cstddef>
#include <cstdint>
#include <string>

#include <unistd.h>

#include "fuzz/entries/FuzzEntries.h"

namespace {

// The profile reader works on files: each fuzzing process writes its inputs
// to one file in memory-backed /dev/shm.
[[maybe_unused]] const std::string& ScratchFile() {
  static const std::string path = "/dev/shm/kb_fuzz_profile_" + std::to_string(::getpid()) + ".ini";
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
#if defined(KB_FUZZ_PROFILE)
  FuzzProfile(data, size, ScratchFile());
#else
  KB_FUZZ_TARGET(data, size);
#endif
  return 0;
}
