// Private-profile files without the Windows profile functions: the same file
// format, read and edited line by line so that every other line keeps its bytes.
#include <cstddef>
#include <vector>

#include "platform/files.h"
#include "platform/profile.h"

namespace platform {
namespace {

struct ProfileLine {
  std::string text;
  std::string ending;  // "\r\n", "\n" or empty for a last line without one
};

std::vector<ProfileLine> SplitLines(const std::string& content) {
  std::vector<ProfileLine> lines;
  std::size_t start = 0;
  while (start < content.size()) {
    const std::size_t newline = content.find('\n', start);
    ProfileLine line;
    if (newline == std::string::npos) {
      line.text = content.substr(start);
      start = content.size();
    } else {
      std::size_t textEnd = newline;
      if (textEnd > start && content[textEnd - 1] == '\r') --textEnd;
      line.text = content.substr(start, textEnd - start);
      line.ending = content.substr(textEnd, newline + 1 - textEnd);
      start = newline + 1;
    }
    lines.push_back(line);
  }
  return lines;
}

std::string JoinLines(const std::vector<ProfileLine>& lines) {
  std::string content;
  for (const ProfileLine& line : lines) content += line.text + line.ending;
  return content;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string Trim(const std::string& text) {
  std::size_t first = 0;
  std::size_t last = text.size();
  while (first < last && IsBlank(text[first])) ++first;
  while (last > first && IsBlank(text[last - 1])) --last;
  return text.substr(first, last - first);
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

// True for a section header; `name` is the text between the brackets.
bool SectionHeader(const std::string& lineText, std::string& name) {
  const std::string trimmed = Trim(lineText);
  if (trimmed.empty() || trimmed[0] != '[') return false;
  const std::size_t close = trimmed.find(']');
  name = Trim(trimmed.substr(1, close == std::string::npos ? std::string::npos : close - 1));
  return true;
}

// A key line: the name before the first '=', the value after it (a line
// without '=' is a key without a value).
void SplitKeyLine(const std::string& lineText, std::string& key, std::string& value) {
  const std::size_t equals = lineText.find('=');
  if (equals == std::string::npos) {
    key = Trim(lineText);
    value.clear();
  } else {
    key = Trim(lineText.substr(0, equals));
    value = Trim(lineText.substr(equals + 1));
  }
}

// Where a section and a key stand in the file; npos for what is missing.
struct ProfileSpot {
  std::size_t sectionLine = std::string::npos;
  std::size_t keyLine = std::string::npos;
  std::size_t lastFilledLine = std::string::npos;  // last non-blank line of the section, header included
};

ProfileSpot Find(const std::vector<ProfileLine>& lines, const std::string& section, const std::string& key) {
  ProfileSpot spot;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string name;
    if (SectionHeader(lines[i].text, name)) {
      if (spot.sectionLine != std::string::npos) break;
      if (SameName(name, section)) spot.sectionLine = spot.lastFilledLine = i;
      continue;
    }
    if (spot.sectionLine == std::string::npos) continue;
    if (Trim(lines[i].text).empty()) continue;
    spot.lastFilledLine = i;
    std::string lineKey;
    std::string value;
    SplitKeyLine(lines[i].text, lineKey, value);
    if (spot.keyLine == std::string::npos && SameName(lineKey, key)) spot.keyLine = i;
  }
  return spot;
}

}  // namespace

std::string ReadProfileValue(const std::string& section, const std::string& key, const std::string& path) {
  std::string content;
  if (!ReadWholeFile(path, content)) return std::string();
  const std::vector<ProfileLine> lines = SplitLines(content);
  const ProfileSpot spot = Find(lines, section, key);
  if (spot.keyLine == std::string::npos) return std::string();
  std::string lineKey;
  std::string value;
  SplitKeyLine(lines[spot.keyLine].text, lineKey, value);
  // The profile functions drop one pair of matching quotes around a value.
  if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0]) {
    value = value.substr(1, value.size() - 2);
  }
  if (value.size() > kProfileValueBuffer - 1) value.resize(kProfileValueBuffer - 1);
  return value;
}

bool WriteProfileValue(const std::string& section, const std::string& key, const std::string& value,
                        const std::string& path) {
  std::string content;
  if (!ReadWholeFile(path, content)) content.clear();
  std::vector<ProfileLine> lines = SplitLines(content);
  // A line break inside the value would turn its rest into lines of their own.
  const std::string oneLine = value.substr(0, value.find_first_of("\r\n"));
  const ProfileLine keyLine{key + "=" + oneLine, "\r\n"};
  const ProfileSpot spot = Find(lines, section, key);
  if (spot.keyLine != std::string::npos) {
    lines[spot.keyLine].text = keyLine.text;
  } else if (spot.sectionLine != std::string::npos) {
    ProfileLine& before = lines[spot.lastFilledLine];
    if (before.ending.empty()) before.ending = "\r\n";
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(spot.lastFilledLine + 1), keyLine);
  } else {
    if (!lines.empty() && lines.back().ending.empty()) lines.back().ending = "\r\n";
    lines.push_back(ProfileLine{"[" + section + "]", "\r\n"});
    lines.push_back(keyLine);
  }
  return WriteWholeFile(path, JoinLines(lines));
}

}  // namespace platform
