// Request command numbers and received message kinds, each listed once in a
// table from which the enums, the names and the lookups are derived.
#pragma once

#include <cstdint>

// The commands: X(name, code, queueing log line, carries "OrderId"). A
// request's "CommandStr" is "KBRCommand_" followed by `name`.
#define KB_COMMANDS(X)                                                                         \
  X(InsertOrder, 1, "Add InsertOrder", false)                                                  \
  X(GetDirectory, 2, "Add GetDirectory", false)                                                \
  X(AcceptOrder, 3, "Add AcceptOrder", true)                                                   \
  X(SetOrderStatus, 4, "Add KBRCommand_SetOrderStatus", true)                                  \
  X(GetStatement, 5, "Add KBRCommand_GetStatement", false)                                     \
  X(ReturnOrder, 6, "Add ReturnMyOrder", true)                                                 \
  X(ForceReturnOrder, 7, "Add KBRCommand_ForceReturnOrder", true)                              \
  X(AddCarDescription, 8, "Add KBRCommand_AddCarDescription", true)                            \
  X(GetTariffByPubisherAndAcceptor, 9, "Add KBRCommand_GetTariffByPubisherAndAcceptor", false) \
  X(SetOrderNotifyMode, 10, "Add KBRCommand_SetOrderNotifyMode", false)                        \
  X(GetOrderFullInfo, 11, "Add KBRCommand_GetOrderFullInfo", true)                             \
  X(GetOrderPartialInfo, 12, "Add KBRCommand_GetOrderPartialInfo", true)

enum KBRCommand : std::int32_t {
  KBRCommand_Disconnect = 0,  // not a command: marks the disconnect request in the queue
#define KB_COMMAND_ENUMERATOR(name, code, logLine, carriesOrderId) KBRCommand_##name = code,
  KB_COMMANDS(KB_COMMAND_ENUMERATOR)
#undef KB_COMMAND_ENUMERATOR
};

// Every command, in the order of the table.
constexpr KBRCommand kAllCommands[] = {
#define KB_COMMAND_LISTED(name, code, logLine, carriesOrderId) KBRCommand_##name,
    KB_COMMANDS(KB_COMMAND_LISTED)
#undef KB_COMMAND_LISTED
};

// "KBRCommand_..." as the request's "CommandStr"; nullptr for a code not in the table.
const char* KBRCommandName(std::int32_t code);
// The debug-log line written when the command is queued; nullptr for a code not in the table.
const char* KBRCommandLogLine(std::int32_t code);
// Whether the command's request names an order by "OrderId".
bool KBRCommandCarriesOrderId(std::int32_t code);

// The message kinds ("reason"): X(name, value, carries an order).
#define KB_REASONS(X)         \
  X(Authentication, 1, false) \
  X(Directories, 2, false)    \
  X(NewOrder, 3, true)        \
  X(NewOrderRemoved, 4, true) \
  X(MyOrder, 5, true)         \
  X(MyOrderRemoved, 6, true)  \
  X(Tariff, 9, false)         \
  X(OrderFullInfo, 10, true)  \
  X(OrderPartialInfo, 11, true)

enum KBRReason : std::int32_t {
#define KB_REASON_ENUMERATOR(name, value, carriesOrder) KBRReason_##name = value,
  KB_REASONS(KB_REASON_ENUMERATOR)
#undef KB_REASON_ENUMERATOR
};

// Whether a message kind carries an order.
bool ReasonCarriesOrder(std::int32_t reason);
