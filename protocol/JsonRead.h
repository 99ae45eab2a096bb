// Safe reading of received JSON: a parse that never throws and cannot run
// deep, and strict conversions of members into the records' fields, with
// every text turned from UTF-8 into code page 1251 as it is read.
#pragma once

#include <cstdint>
#include <string>

#include <json/value.h>

// Nesting deeper than this is refused: the worker thread may have a stack of 1 MiB.
constexpr unsigned kJsonDepthLimit = 64;

// Parses one UTF-8 text into `root`. False for text that is not JSON, for
// nesting deeper than kJsonDepthLimit and for anything after the value.
// Never throws.
bool ParseJsonText(const std::string& utf8, Json::Value& root);

// Conversions of one value. Each returns false, leaving `out` untouched, when
// the value does not fit the field: text where a number belongs, an array or
// an object, a number outside the field's range, a fraction for an integer.
// null gives 0 or empty text; true and false give 1 and 0.
bool JsonToInt32(const Json::Value& value, std::int32_t& out);
bool JsonToUInt32(const Json::Value& value, std::uint32_t& out);
bool JsonToFloat(const Json::Value& value, float& out);
// Strings are converted to code page 1251; true and false give "true" and "false".
bool JsonToText(const Json::Value& value, std::string& out);

// The member `name` of `object`, or nullptr when it is absent or `object` is not an object.
const Json::Value* FindJsonMember(const Json::Value& object, const char* name);

// A directory id carried as a member name, by the C library's atoi rule:
// leading white space, an optional sign, the leading decimal digits; no digits
// give 0. False when the digits do not fit in 32 bits.
bool IdFromMemberName(const std::string& name, std::int32_t& id);

// Reads the members of one JSON object into record fields. An absent numeric
// member is an error, an absent text member gives empty text. After the first
// error nothing more is stored and Ok() stays false.
class JsonMemberReader {
 public:
  explicit JsonMemberReader(const Json::Value& object);

  void Int32(const char* name, std::int32_t& field);
  void UInt32(const char* name, std::uint32_t& field);
  // A time: an unsigned 32-bit number of seconds, widened with zero upper bits.
  void Time(const char* name, std::int64_t& field);
  void Float(const char* name, float& field);
  void Text(const char* name, std::string& field);

  bool Ok() const { return ok_; }

 private:
  const Json::Value* Member(const char* name);

  const Json::Value& object_;
  bool ok_;
};
