// Lookups over the command and message-kind tables.
#include "protocol/KBRCodes.h"

namespace {

struct CommandEntry {
  std::int32_t Code;
  const char* Name;
  const char* LogLine;
  bool CarriesOrderId;
};

constexpr CommandEntry kCommandTable[] = {
#define KB_COMMAND_ENTRY(name, code, logLine, carriesOrderId) {code, "KBRCommand_" #name, logLine, carriesOrderId},
    KB_COMMANDS(KB_COMMAND_ENTRY)
#undef KB_COMMAND_ENTRY
};

const CommandEntry* FindCommand(std::int32_t code) {
  for (const CommandEntry& entry : kCommandTable)
    if (entry.Code == code) return &entry;
  return nullptr;
}

}  // namespace

const char* KBRCommandName(std::int32_t code) {
  const CommandEntry* entry = FindCommand(code);
  return entry ? entry->Name : nullptr;
}

const char* KBRCommandLogLine(std::int32_t code) {
  const CommandEntry* entry = FindCommand(code);
  return entry ? entry->LogLine : nullptr;
}

bool KBRCommandCarriesOrderId(std::int32_t code) {
  const CommandEntry* entry = FindCommand(code);
  return entry && entry->CarriesOrderId;
}

bool ReasonCarriesOrder(std::int32_t reason) {
  switch (reason) {
#define KB_REASON_ORDER_CASE(name, value, carriesOrder) \
  case value:                                           \
    return carriesOrder;
    KB_REASONS(KB_REASON_ORDER_CASE)
#undef KB_REASON_ORDER_CASE
  }
  return false;
}
