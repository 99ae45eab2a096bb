// Conversion between the application's 8-bit texts and UTF-8. The 8-bit
// side is code page 1251, the code page of the desk's Russian texts, on every
// system and whatever the Windows locale.
#pragma once

#include <string>

namespace platform {

// Characters the 8-bit code page lacks become '?'. Malformed UTF-8 sequences
// become '?' too. Empty input gives empty output.
std::string AnsiFromUtf8(const std::string& utf8);

// Every 8-bit character has a UTF-8 form, so nothing is lost.
std::string Utf8FromAnsi(const std::string& ansi);

}  // namespace platform
