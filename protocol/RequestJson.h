// The JSON text of one request: a flat object written compactly, members in
// byte order of their names, then one line feed. Texts are code page 1251 and
// stay raw bytes in the JSON (the transport turns the whole text into UTF-8).
#pragma once

#include <cstdint>
#include <map>
#include <string>

class KestoRequestJson {
 public:
  // Signed 32-bit values and unsigned 32-bit times alike.
  void SetInteger(const std::string& name, std::int64_t value);
  // A single-precision value arrives widened; written with the digits that read back as the same double.
  void SetReal(const std::string& name, double value);
  void SetText(const std::string& name, const std::string& value);

  std::string Serialize() const;

 private:
  // Name to the value's JSON text; std::string orders names bytewise.
  std::map<std::string, std::string> members_;
};

// A string as a JSON string literal: quotation mark, backslash and control
// characters escaped, every other byte as it is.
std::string JsonQuoted(const std::string& text);
