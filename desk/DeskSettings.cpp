// The "Desk" section of the settings file and the check of the connection fields.
#include "desk/DeskSettings.h"

#include "platform/profile.h"

namespace {
const char kSection[] = "Desk";
constexpr long kLargestPort = 65535;
}  // namespace

void ReadDeskSettingsFrom(DeskSettings& settings, const std::string& path) {
  if (path.empty()) return;
  const std::string sound = platform::ReadProfileValue(kSection, "Sound", path);
  if (sound == "0") settings.Sound = false;
  if (sound == "1") settings.Sound = true;
}

void WriteDeskSettingsTo(const DeskSettings& settings, const std::string& path) {
  if (path.empty()) return;
  platform::WriteProfileValue(kSection, "Sound", settings.Sound ? "1" : "0", path);
}

void ReadDeskSettings(DeskSettings& settings) { ReadDeskSettingsFrom(settings, SettingsFilePath()); }

void WriteDeskSettings(const DeskSettings& settings) { WriteDeskSettingsTo(settings, SettingsFilePath()); }

std::string ConnectionFieldsProblem(const IniFile& fields) {
  if (fields.IPAddress.find_first_not_of(" \t") == std::string::npos) {
    return "Укажите сервер: имя или адрес биржи";
  }
  // Whole digits only: atoi would make "abc" port 0 and "17171x" port 17171.
  const std::string& port = fields.Port;
  long value = 0;
  bool whole = !port.empty() && port.size() <= 5;
  for (char c : port) {
    if (c < '0' || c > '9') {
      whole = false;
      break;
    }
    value = value * 10 + (c - '0');
  }
  if (!whole || value < 1 || value > kLargestPort) return "Порт должен быть числом от 1 до 65535";
  return std::string();
}
