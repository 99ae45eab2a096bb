// Conversion between the desk's code page 1251 texts and UTF-16.
#include "desk/win32/WideText.h"

#include <windows.h>

namespace {
constexpr UINT kDeskCodePage = 1251;
}

std::wstring WideFrom1251(const std::string& text) {
  if (text.empty()) return std::wstring();
  const int size = static_cast<int>(text.size());
  const int n = ::MultiByteToWideChar(kDeskCodePage, 0, text.data(), size, nullptr, 0);
  if (n <= 0) return std::wstring();
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  ::MultiByteToWideChar(kDeskCodePage, 0, text.data(), size, &wide[0], n);
  return wide;
}

std::string Text1251FromWide(const std::wstring& wide) {
  if (wide.empty()) return std::string();
  const int size = static_cast<int>(wide.size());
  const int n = ::WideCharToMultiByte(kDeskCodePage, 0, wide.data(), size, nullptr, 0, "?", nullptr);
  if (n <= 0) return std::string();
  std::string text(static_cast<std::size_t>(n), '\0');
  ::WideCharToMultiByte(kDeskCodePage, 0, wide.data(), size, &text[0], n, "?", nullptr);
  return text;
}

std::string Text1251FromWide(const wchar_t* wide) {
  return wide != nullptr ? Text1251FromWide(std::wstring(wide)) : std::string();
}
