// Writing request objects. Written here rather than with jsoncpp's writers,
// which would take code-page-1251 bytes for UTF-8 and escape them as other characters.
#include "protocol/RequestJson.h"

#include <charconv>
#include <cmath>

void KestoRequestJson::SetInteger(const std::string& name, std::int64_t value) {
  members_[name] = std::to_string(value);
}

void KestoRequestJson::SetReal(const std::string& name, double value) {
  if (!std::isfinite(value)) {
    // JSON has no spelling for infinities and NaN.
    members_[name] = "null";
    return;
  }
  char digits[64];
  // Shortest digits that read back as the same double, independent of the C locale.
  const std::to_chars_result written = std::to_chars(digits, digits + sizeof digits, value);
  std::string text(digits, written.ptr);
  // Keep it visibly a real number, as jsoncpp writes whole doubles.
  if (text.find_first_of(".e") == std::string::npos) text += ".0";
  members_[name] = text;
}

void KestoRequestJson::SetText(const std::string& name, const std::string& value) {
  members_[name] = JsonQuoted(value);
}

std::string KestoRequestJson::Serialize() const {
  std::string out = "{";
  for (const auto& member : members_) {
    if (out.size() > 1) out += ',';
    out += JsonQuoted(member.first);
    out += ':';
    out += member.second;
  }
  out += "}\n";
  return out;
}

std::string JsonQuoted(const std::string& text) {
  static const char kHexDigits[] = "0123456789abcdef";
  std::string out;
  out.reserve(text.size() + 2);
  out += '"';
  for (char c : text) {
    const unsigned char byte = static_cast<unsigned char>(c);
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\b':
        out += "\\b";
        break;
      case '\f':
        out += "\\f";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (byte < 0x20) {
          out += "\\u00";
          out += kHexDigits[byte >> 4];
          out += kHexDigits[byte & 0x0F];
        } else {
          out += c;
        }
    }
  }
  out += '"';
  return out;
}
