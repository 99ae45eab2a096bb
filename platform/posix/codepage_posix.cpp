// Code page 1251 <-> UTF-8 with a built-in table, for systems without an ANSI code page.
#include <cstdint>

#include "platform/codepage.h"

namespace platform {
namespace {

// Unicode of the bytes 0x80 to 0xBF; 0xC0 to 0xFF are U+0410 to U+044F.
// 0x98 is unassigned; Windows passes it through as U+0098, and so do we.
const std::uint16_t kHighHalf[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // B8
};

std::uint32_t ByteToUnicode(unsigned char b) {
  if (b < 0x80) return b;
  if (b >= 0xC0) return 0x0410u + (b - 0xC0u);
  return kHighHalf[b - 0x80];
}

char UnicodeToByte(std::uint32_t u) {
  if (u < 0x80) return static_cast<char>(u);
  if (u >= 0x0410 && u <= 0x044F) return static_cast<char>(0xC0 + (u - 0x0410));
  for (int i = 0; i < 64; ++i)
    if (kHighHalf[i] == u) return static_cast<char>(0x80 + i);
  return '?';
}

void AppendUtf8(std::string& out, std::uint32_t u) {
  if (u < 0x80) {
    out += static_cast<char>(u);
  } else if (u < 0x800) {
    out += static_cast<char>(0xC0 | (u >> 6));
    out += static_cast<char>(0x80 | (u & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (u >> 12));
    out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (u & 0x3F));
  }
}

// Decodes one UTF-8 sequence at `i`; returns U+FFFD and advances by one byte
// for anything malformed (overlong forms, surrogates and values past U+10FFFF included).
std::uint32_t DecodeUtf8(const std::string& s, std::size_t& i) {
  const unsigned char lead = static_cast<unsigned char>(s[i]);
  if (lead < 0x80) {
    ++i;
    return lead;
  }
  int extra;
  std::uint32_t u;
  std::uint32_t minimum;
  if ((lead & 0xE0) == 0xC0) {
    extra = 1, u = lead & 0x1Fu, minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2, u = lead & 0x0Fu, minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3, u = lead & 0x07u, minimum = 0x10000;
  } else {
    ++i;
    return 0xFFFD;
  }
  if (i + static_cast<std::size_t>(extra) >= s.size()) {
    ++i;
    return 0xFFFD;
  }
  for (int k = 1; k <= extra; ++k) {
    const unsigned char c = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
    if ((c & 0xC0) != 0x80) {
      ++i;
      return 0xFFFD;
    }
    u = (u << 6) | (c & 0x3Fu);
  }
  if (u < minimum || u > 0x10FFFF || (u >= 0xD800 && u <= 0xDFFF)) {
    ++i;
    return 0xFFFD;
  }
  i += static_cast<std::size_t>(extra) + 1;
  return u;
}

}  // namespace

std::string AnsiFromUtf8(const std::string& utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) out += UnicodeToByte(DecodeUtf8(utf8, i));
  return out;
}

std::string Utf8FromAnsi(const std::string& ansi) {
  std::string out;
  out.reserve(ansi.size() * 3);
  for (unsigned char b : ansi) AppendUtf8(out, ByteToUnicode(b));
  return out;
}

}  // namespace platform
