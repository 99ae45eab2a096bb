// The libFuzzer entry of one target; KB_FUZZ_TARGET names the entry it calls.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/entries/FuzzEntries.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
#if defined(KB_FUZZ_PROFILE)
  // The profile reader works on files: one per fuzzing process, in memory-backed /dev/shm.
  static const std::string scratch = "/dev/shm/kb_fuzz_profile_" + std::to_string(::getpid()) + ".ini";
  FuzzProfile(data, size, scratch);
#else
  KB_FUZZ_TARGET(data, size);
#endif
  return 0;
}
