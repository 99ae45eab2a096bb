// printf-style formatting into a string of whatever length the result needs.
#pragma once

#include <string>

// The format must be a literal, never data; texts go in as %s arguments.
std::string FormatText(const char* format, ...)
#if defined(__MINGW32__)
    __attribute__((format(gnu_printf, 1, 2)))
#elif defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// atoi's reading of a text (leading blanks, a sign, digits up to the first
// other character; 0 when there are none), with values beyond the 32-bit
// range held at its ends instead of overflowing.
int AtoiText(const std::string& text);

// atof's reading of a text, narrowed to a 32-bit float; values beyond the
// float range become infinities as the hardware conversion gives them.
float AtofText(const std::string& text);
