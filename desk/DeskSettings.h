// The desk's own preferences, kept in section "Desk" of the settings file
// beside the connection settings, and the check of the connection fields
// that comes before they are saved or used.
#pragma once

#include <string>

#include "desk/Settings.h"

struct DeskSettings {
  bool Sound = true;  // a short sound when an order is offered for the first time
};

// Without a settings path nothing is read (the record stays as it was) and
// nothing is written. A missing or unreadable value keeps its default.
void ReadDeskSettings(DeskSettings& settings);
void WriteDeskSettings(const DeskSettings& settings);
void ReadDeskSettingsFrom(DeskSettings& settings, const std::string& path);
void WriteDeskSettingsTo(const DeskSettings& settings, const std::string& path);

// What is wrong with the connection fields, in the operator's words naming
// the field; empty when they can be used.
std::string ConnectionFieldsProblem(const IniFile& fields);
