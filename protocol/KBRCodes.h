// Request command numbers and received message kinds.
#pragma once

#include <cstdint>

enum KBRCommand : std::int32_t {
  KBRCommand_Disconnect = 0,  // not a command: marks the disconnect request in the queue
  KBRCommand_InsertOrder = 1,
  KBRCommand_GetDirectory = 2,
  KBRCommand_AcceptOrder = 3,
  KBRCommand_SetOrderStatus = 4,
  KBRCommand_GetStatement = 5,
  KBRCommand_ReturnOrder = 6,
  KBRCommand_ForceReturnOrder = 7,
  KBRCommand_AddCarDescription = 8,
  KBRCommand_GetTariffByPubisherAndAcceptor = 9,
  KBRCommand_SetOrderNotifyMode = 10,
  KBRCommand_GetOrderFullInfo = 11,
  KBRCommand_GetOrderPartialInfo = 12,
};

enum KBRReason : std::int32_t {
  KBRReason_Authentication = 1,
  KBRReason_Directories = 2,
  KBRReason_NewOrder = 3,
  KBRReason_NewOrderRemoved = 4,
  KBRReason_MyOrder = 5,
  KBRReason_MyOrderRemoved = 6,
  KBRReason_Tariff = 9,
  KBRReason_OrderFullInfo = 10,
  KBRReason_OrderPartialInfo = 11,
};
