// Result codes shared by the client's steps and the exchange's "OperationStatus".
// The values travel on the wire and must match the exchange.
#pragma once

#include <cstdint>

enum KBRStatus : std::int32_t {
  KBRStatus_IOCtlSocketError = -12,
  KBRStatus_SetOrderStatusError = -11,
  KBRStatus_InsertOrderError = -10,
  KBRStatus_UnknownResponse = -9,
  KBRStatus_ParseError = -8,
  KBRStatus_AuthentError = -7,
  KBRStatus_SendError = -6,
  KBRStatus_RecvNo = -5,
  KBRStatus_RecvError = -4,
  KBRStatus_ConnectError = -3,
  KBRStatus_SocketError = -2,
  KBRStatus_CommonError = -1,
  KBRStatus_Ok = 0,
  KBRStatus_TimeOutNotify = 1,
  KBRStatus_NoData = 2,        // internal: nothing buffered
  KBRStatus_PartialBlock = 3,  // internal: bytes buffered, no complete block yet
};

// The printable name of a code from -12 to 1, or nullptr for any other value
// (2 and 3 included): the caller then shows no name.
const char* KBRStatusName(std::int32_t status);
