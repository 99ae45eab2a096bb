// Never-throwing member reads of requests and saved orders, and the writer of
// outgoing blocks and saved states.
#include "exchange/JsonWire.h"

#include <cmath>

bool RequestFields::Fail(const char* name) {
  if (firstBad_.empty()) firstBad_ = name;
  return false;
}

bool RequestFields::Has(const char* name) const { return object_.isMember(name); }

bool RequestFields::Int(const char* name, std::int32_t& out) {
  const Json::Value* v = object_.find(name, name + std::char_traits<char>::length(name));
  if (!v || !v->isInt()) return Fail(name);
  out = v->asInt();
  return true;
}

bool RequestFields::UInt32(const char* name, std::uint32_t& out) {
  const Json::Value* v = object_.find(name, name + std::char_traits<char>::length(name));
  if (!v || !v->isUInt()) return Fail(name);
  out = v->asUInt();
  return true;
}

bool RequestFields::Int64(const char* name, std::int64_t& out) {
  const Json::Value* v = object_.find(name, name + std::char_traits<char>::length(name));
  if (!v || !v->isInt64()) return Fail(name);
  out = v->asInt64();
  return true;
}

bool RequestFields::Number(const char* name, double& out) {
  const Json::Value* v = object_.find(name, name + std::char_traits<char>::length(name));
  if (!v || !v->isNumeric() || v->isBool()) return Fail(name);
  const double d = v->asDouble();
  if (!std::isfinite(d) || std::fabs(d) > 1e9) return Fail(name);
  out = d;
  return true;
}

bool RequestFields::Text(const char* name, std::string& out, std::size_t maxBytes) {
  const Json::Value* v = object_.find(name, name + std::char_traits<char>::length(name));
  if (!v || !v->isString()) return Fail(name);
  std::string text = v->asString();
  if (text.size() > maxBytes || !IsValidUtf8(text)) return Fail(name);
  out = std::move(text);
  return true;
}

bool IsValidUtf8(const std::string& text) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const auto* end = p + text.size();
  while (p < end) {
    const unsigned char c = *p;
    if (c == 0) return false;
    int extra;
    std::uint32_t code;
    if (c < 0x80) {
      ++p;
      continue;
    } else if ((c & 0xE0) == 0xC0) {
      extra = 1;
      code = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
      extra = 2;
      code = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
      extra = 3;
      code = c & 0x07;
    } else {
      return false;
    }
    if (end - p <= extra) return false;
    for (int i = 1; i <= extra; ++i) {
      if ((p[i] & 0xC0) != 0x80) return false;
      code = (code << 6) | (p[i] & 0x3F);
    }
    const std::uint32_t smallest[] = {0, 0x80, 0x800, 0x10000};
    if (code < smallest[extra] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    p += extra + 1;
  }
  return true;
}

std::string JsonText(const Json::Value& value) {
  Json::StreamWriterBuilder builder;
  builder["indentation"] = "";
  builder["emitUTF8"] = true;
  return Json::writeString(builder, value);
}

std::string JsonBlock(const Json::Value& value) { return JsonText(value) + '\x08'; }
