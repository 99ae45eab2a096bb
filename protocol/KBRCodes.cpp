// Lookups over the command and message-kind tables.
#include "protocol/KBRCodes.h"

const char* KBRCommandName(std::int32_t code) {
  switch (code) {
#define KB_COMMAND_NAME_CASE(name, code, logLine, carriesOrderId) \
  case code:                                                      \
    return "KBRCommand_" #name;
    KB_COMMANDS(KB_COMMAND_NAME_CASE)
#undef KB_COMMAND_NAME_CASE
  }
  return nullptr;
}

const char* KBRCommandLogLine(std::int32_t code) {
  switch (code) {
#define KB_COMMAND_LOG_CASE(name, code, logLine, carriesOrderId) \
  case code:                                                     \
    return logLine;
    KB_COMMANDS(KB_COMMAND_LOG_CASE)
#undef KB_COMMAND_LOG_CASE
  }
  return nullptr;
}

bool KBRCommandCarriesOrderId(std::int32_t code) {
  switch (code) {
#define KB_COMMAND_ORDER_CASE(name, code, logLine, carriesOrderId) \
  case code:                                                       \
    return carriesOrderId;
    KB_COMMANDS(KB_COMMAND_ORDER_CASE)
#undef KB_COMMAND_ORDER_CASE
  }
  return false;
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
