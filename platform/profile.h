// Private-profile (INI) files: one value by section and key, read and written
// the way Windows' profile functions do it, so either side can read the other's files.
#pragma once

#include <cstddef>
#include <string>

namespace platform {

// The buffer a value is read into, its terminating zero included: longer
// values come back cut to kProfileValueBuffer - 1 characters.
constexpr std::size_t kProfileValueBuffer = 2550;

// The value of `key` in `section` of the file at `path`; empty when the file,
// the section or the key is missing. Names match without regard to case.
std::string ReadProfileValue(const std::string& section, const std::string& key, const std::string& path);

// Sets `key` in `section`, creating the file, the section or the key as
// needed; every other line of the file stays as it was. False when the file
// cannot be written.
bool WriteProfileValue(const std::string& section, const std::string& key, const std::string& value,
                       const std::string& path);

}  // namespace platform
