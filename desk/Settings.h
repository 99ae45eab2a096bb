// The desk's connection settings and the INI file beside the executable that keeps them.
#pragma once

#include <string>

struct IniFile {
  std::string IPAddress;
  std::string Port;  // as typed; read as a number only when connecting
  std::string Login;
  std::string Password;  // kept in plain text
};

// The settings file of an executable: its path cut before the last "." and
// extended with ".ini"; empty when the path holds no ".".
std::string SettingsPathFor(const std::string& executablePath);

// The settings file of the running executable (empty when there is none).
std::string SettingsFilePath();

// Fill or store the four fields, section "Common"; without a settings path
// nothing is read (the record stays as it was) and nothing is written.
void ReadIni(IniFile& Ini);
void WriteIni(const IniFile& Ini);

// The same, for a given settings file.
void ReadIniFrom(IniFile& Ini, const std::string& path);
void WriteIniTo(const IniFile& Ini, const std::string& path);

// What is wrong with the connection fields, in the operator's words naming
// the field; empty when they can be used.
std::string ConnectionFieldsProblem(const IniFile& fields);
