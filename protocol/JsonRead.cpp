// Parsing received JSON without exceptions or deep recursion, and the strict
// member conversions that the response records are filled with.
#include "protocol/JsonRead.h"

#include <cfloat>
#include <cmath>
#include <cstring>
#include <exception>
#include <memory>

#include <json/reader.h>

#include "platform/codepage.h"

bool ParseJsonText(const std::string& utf8, Json::Value& root) {
  try {
    Json::CharReaderBuilder builder;
    builder["collectComments"] = false;
    builder["allowComments"] = false;
    builder["allowTrailingCommas"] = false;
    builder["strictRoot"] = false;  // the caller judges the root's type
    builder["allowDroppedNullPlaceholders"] = false;
    builder["allowNumericKeys"] = false;
    builder["allowSingleQuotes"] = false;
    builder["stackLimit"] = kJsonDepthLimit;
    builder["failIfExtra"] = true;
    builder["rejectDupKeys"] = false;  // the last of equal names wins
    builder["allowSpecialFloats"] = false;
    const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value parsed;
    std::string errors;
    const char* begin = utf8.data();
    if (!reader->parse(begin, begin + utf8.size(), &parsed, &errors)) return false;
    root.swap(parsed);
    return true;
  } catch (const std::exception&) {
    // The depth limit is reported by an exception.
    return false;
  }
}

namespace {

// A real number that is whole and lies within [low, high].
bool WholeRealInRange(double real, double low, double high, std::int64_t& whole) {
  if (!(real >= low && real <= high) || std::floor(real) != real) return false;
  whole = static_cast<std::int64_t>(real);
  return true;
}

// Any value a 32-bit field can take, as a 64-bit number, if it lies within [low, high].
bool JsonToWhole(const Json::Value& value, std::int64_t low, std::int64_t high, std::int64_t& out) {
  std::int64_t whole = 0;
  switch (value.type()) {
    case Json::nullValue:
      whole = 0;
      break;
    case Json::booleanValue:
      whole = value.asBool() ? 1 : 0;
      break;
    case Json::intValue:
      whole = value.asInt64();
      break;
    case Json::uintValue:
      if (value.asUInt64() > static_cast<std::uint64_t>(high)) return false;
      whole = static_cast<std::int64_t>(value.asUInt64());
      break;
    case Json::realValue:
      if (!WholeRealInRange(value.asDouble(), static_cast<double>(low), static_cast<double>(high), whole))
        return false;
      break;
    default:
      return false;
  }
  if (whole < low || whole > high) return false;
  out = whole;
  return true;
}

}  // namespace

bool JsonToInt32(const Json::Value& value, std::int32_t& out) {
  std::int64_t whole;
  if (!JsonToWhole(value, INT32_MIN, INT32_MAX, whole)) return false;
  out = static_cast<std::int32_t>(whole);
  return true;
}

bool JsonToUInt32(const Json::Value& value, std::uint32_t& out) {
  std::int64_t whole;
  if (!JsonToWhole(value, 0, UINT32_MAX, whole)) return false;
  out = static_cast<std::uint32_t>(whole);
  return true;
}

bool JsonToFloat(const Json::Value& value, float& out) {
  switch (value.type()) {
    case Json::nullValue:
      out = 0;
      return true;
    case Json::booleanValue:
      out = value.asBool() ? 1.0f : 0.0f;
      return true;
    case Json::intValue:
    case Json::uintValue:
    case Json::realValue: {
      const double real = value.asDouble();
      // Beyond the largest single-precision value the narrowing is undefined.
      if (!(std::fabs(real) <= FLT_MAX)) return false;
      out = static_cast<float>(real);
      return true;
    }
    default:
      return false;
  }
}

bool JsonToText(const Json::Value& value, std::string& out) {
  switch (value.type()) {
    case Json::nullValue:
      out.clear();
      return true;
    case Json::booleanValue:
      out = value.asBool() ? "true" : "false";
      return true;
    case Json::stringValue: {
      const char* begin = nullptr;
      const char* end = nullptr;
      if (!value.getString(&begin, &end) || begin == nullptr) {
        out.clear();
        return true;
      }
      out = platform::AnsiFromUtf8(std::string(begin, end));
      return true;
    }
    default:
      return false;
  }
}

const Json::Value* FindJsonMember(const Json::Value& object, const char* name) {
  if (!object.isObject()) return nullptr;
  return object.find(name, name + std::strlen(name));
}

bool IdFromMemberName(const std::string& name, std::int32_t& id) {
  std::size_t i = 0;
  while (i < name.size() && (name[i] == ' ' || (name[i] >= '\t' && name[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < name.size() && (name[i] == '+' || name[i] == '-')) negative = name[i++] == '-';
  std::int64_t magnitude = 0;
  const std::int64_t limit = negative ? -static_cast<std::int64_t>(INT32_MIN) : INT32_MAX;
  for (; i < name.size() && name[i] >= '0' && name[i] <= '9'; ++i) {
    magnitude = magnitude * 10 + (name[i] - '0');
    if (magnitude > limit) return false;
  }
  id = static_cast<std::int32_t>(negative ? -magnitude : magnitude);
  return true;
}

JsonMemberReader::JsonMemberReader(const Json::Value& object) : object_(object), ok_(object.isObject()) {}

const Json::Value* JsonMemberReader::Member(const char* name) {
  if (!ok_) return nullptr;
  return FindJsonMember(object_, name);
}

void JsonMemberReader::Int32(const char* name, std::int32_t& field) {
  const Json::Value* member = Member(name);
  if (ok_ && (member == nullptr || !JsonToInt32(*member, field))) ok_ = false;
}

void JsonMemberReader::UInt32(const char* name, std::uint32_t& field) {
  const Json::Value* member = Member(name);
  if (ok_ && (member == nullptr || !JsonToUInt32(*member, field))) ok_ = false;
}

void JsonMemberReader::Time(const char* name, std::int64_t& field) {
  std::uint32_t seconds = 0;
  UInt32(name, seconds);
  if (ok_) field = seconds;
}

void JsonMemberReader::Float(const char* name, float& field) {
  const Json::Value* member = Member(name);
  if (ok_ && (member == nullptr || !JsonToFloat(*member, field))) ok_ = false;
}

void JsonMemberReader::Text(const char* name, std::string& field) {
  const Json::Value* member = Member(name);
  if (!ok_) return;
  if (member == nullptr) {
    field.clear();
    return;
  }
  if (!JsonToText(*member, field)) ok_ = false;
}
