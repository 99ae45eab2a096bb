// Code page 1251 <-> UTF-8 through UTF-16, with the system's conversion functions.
// The desk holds its texts in 1251 and shows them through the wide API, so
// the conversion names 1251 itself rather than the system's ANSI code page:
// on a Russian Windows the two are the same, and elsewhere Cyrillic from the
// exchange still arrives intact instead of as question marks.
#include <windows.h>

#include "platform/codepage.h"

namespace platform {
namespace {

std::wstring Decode(UINT codePage, const std::string& in) {
  if (in.empty()) return std::wstring();
  const int n = ::MultiByteToWideChar(codePage, 0, in.data(), static_cast<int>(in.size()), nullptr, 0);
  if (n <= 0) return std::wstring();
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  ::MultiByteToWideChar(codePage, 0, in.data(), static_cast<int>(in.size()), &wide[0], n);
  return wide;
}

std::string Encode(UINT codePage, const std::wstring& in) {
  if (in.empty()) return std::string();
  const int n = ::WideCharToMultiByte(codePage, 0, in.data(), static_cast<int>(in.size()), nullptr, 0, nullptr, nullptr);
  if (n <= 0) return std::string();
  std::string out(static_cast<std::size_t>(n), '\0');
  ::WideCharToMultiByte(codePage, 0, in.data(), static_cast<int>(in.size()), &out[0], n, nullptr, nullptr);
  return out;
}

constexpr UINT kTextCodePage = 1251;

}  // namespace

std::string AnsiFromUtf8(const std::string& utf8) { return Encode(kTextCodePage, Decode(CP_UTF8, utf8)); }

std::string Utf8FromAnsi(const std::string& ansi) { return Encode(CP_UTF8, Decode(kTextCodePage, ansi)); }

}  // namespace platform
