// Reading and writing the connection settings through the platform's profile functions.
#include "desk/Settings.h"

#include "platform/files.h"
#include "platform/profile.h"

namespace {
const char kSection[] = "Common";
constexpr long kLargestPort = 65535;
}  // namespace

std::string SettingsPathFor(const std::string& executablePath) {
  const std::size_t dot = executablePath.rfind('.');
  if (dot == std::string::npos) return std::string();
  return executablePath.substr(0, dot) + ".ini";
}

std::string SettingsFilePath() { return SettingsPathFor(platform::ExecutablePath()); }

void ReadIniFrom(IniFile& Ini, const std::string& path) {
  if (path.empty()) return;
  Ini.IPAddress = platform::ReadProfileValue(kSection, "IPAddress", path);
  Ini.Port = platform::ReadProfileValue(kSection, "Port", path);
  Ini.Login = platform::ReadProfileValue(kSection, "Login", path);
  Ini.Password = platform::ReadProfileValue(kSection, "Password", path);
}

void WriteIniTo(const IniFile& Ini, const std::string& path) {
  if (path.empty()) return;
  // A failed write loses the save silently: there is no one to tell.
  platform::WriteProfileValue(kSection, "IPAddress", Ini.IPAddress, path);
  platform::WriteProfileValue(kSection, "Port", Ini.Port, path);
  platform::WriteProfileValue(kSection, "Login", Ini.Login, path);
  platform::WriteProfileValue(kSection, "Password", Ini.Password, path);
}

void ReadIni(IniFile& Ini) { ReadIniFrom(Ini, SettingsFilePath()); }

void WriteIni(const IniFile& Ini) { WriteIniTo(Ini, SettingsFilePath()); }

std::string ConnectionFieldsProblem(const IniFile& fields) {
  if (fields.IPAddress.find_first_not_of(" \t") == std::string::npos) return "Укажите сервер: имя или адрес биржи";
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
