// The desk holds its texts in code page 1251; the window system is spoken to
// in UTF-16, so Cyrillic reads correctly whatever the system's ANSI code page.
#pragma once

#include <string>

// Code page 1251 bytes as UTF-16; every byte has a character, nothing is lost.
std::wstring WideFrom1251(const std::string& text);

// UTF-16 as code page 1251; characters that code page lacks become '?'.
std::string Text1251FromWide(const std::wstring& wide);

// The same for a zero-terminated buffer filled by the window system.
std::string Text1251FromWide(const wchar_t* wide);
