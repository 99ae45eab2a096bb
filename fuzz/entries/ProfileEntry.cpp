// Fuzz entry: the settings file reader and writer on any file. Every value read fits the profile buffer; a value
// written reads back as written, and writing it changes no other value.
#include <cstring>
#include <string>

#include "desk/Settings.h"
#include "fuzz/entries/FuzzEntries.h"
#include "platform/files.h"
#include "platform/profile.h"

namespace {

// A value that survives a write and a read unchanged: one line, no blanks
// at either end, no quotes, not longer than the profile buffer.
std::string PlainValue(const std::string& from) {
  std::string value;
  for (char c : from)
    if (std::strchr("\r\n\"'", c) == nullptr) value += c;  // a zero byte finds the terminating one
  const std::size_t first = value.find_first_not_of(" \t");
  if (first == std::string::npos) return "value";
  return value.substr(first, value.find_last_not_of(" \t") + 1 - first).substr(0, 200);
}

}  // namespace

void FuzzProfile(const std::uint8_t* data, std::size_t size, const std::string& scratchPath) {
  const std::string content(reinterpret_cast<const char*>(data), size);
  if (!platform::WriteWholeFile(scratchPath, content)) return;

  IniFile settings;
  ReadIniFrom(settings, scratchPath);
  for (const std::string* value : {&settings.IPAddress, &settings.Port, &settings.Login, &settings.Password})
    FuzzCheck(value->size() < platform::kProfileValueBuffer, "a value longer than the profile buffer");

  // The written value comes from the file's own tail, so it varies with the input.
  const std::string written = PlainValue(content.substr(content.size() > 40 ? content.size() - 40 : 0));
  const std::string other = platform::ReadProfileValue("Other", "Key", scratchPath);
  if (!platform::WriteProfileValue("Common", "Login", written, scratchPath)) return;
  FuzzCheck(platform::ReadProfileValue("Common", "Login", scratchPath) == written, "a written value did not read back");
  IniFile after;
  ReadIniFrom(after, scratchPath);
  FuzzCheck(after.IPAddress == settings.IPAddress && after.Port == settings.Port && after.Password == settings.Password,
            "writing one key changed another");
  FuzzCheck(platform::ReadProfileValue("Other", "Key", scratchPath) == other, "writing one section changed another");
}
