// JSON as the demo exchange reads and writes it: typed member reads of a
// request or a saved order that never throw and keep texts in UTF-8, and the
// compact UTF-8 text of an outgoing block or a saved state. Parsing is the
// protocol's (ParseJsonText).
#pragma once

#include <json/json.h>

#include <cstdint>
#include <string>

#include "protocol/JsonRead.h"

// Typed reads of the members of a JSON object (a request, or an order of a
// saved book). Each read fails when the
// member is absent or of the wrong type or range; the first failing member's
// name is kept for the error text.
class RequestFields {
 public:
  explicit RequestFields(const Json::Value& object) : object_(object) {}

  bool Int(const char* name, std::int32_t& out);
  bool UInt32(const char* name, std::uint32_t& out);
  bool Int64(const char* name, std::int64_t& out);
  // Any JSON number that is finite and within +-1e9.
  bool Number(const char* name, double& out);
  // A string of valid UTF-8 no longer than `maxBytes`.
  bool Text(const char* name, std::string& out, std::size_t maxBytes);
  bool Has(const char* name) const;

  const std::string& FirstBadMember() const { return firstBad_; }

 private:
  bool Fail(const char* name);
  const Json::Value& object_;
  std::string firstBad_;
};

bool IsValidUtf8(const std::string& text);

// The compact JSON text of `value` with texts written as raw UTF-8 (not as
// \u escapes).
std::string JsonText(const Json::Value& value);
// The same text followed by the block terminator 0x08.
std::string JsonBlock(const Json::Value& value);
