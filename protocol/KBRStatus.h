// Result codes shared by the client's steps and the exchange's "OperationStatus".
// The values travel on the wire and must match the exchange.
#pragma once

#include <cstdint>

// The codes that have a printable name: X(name, value); the name printed is
// "KBRStatus_" followed by `name`.
#define KB_NAMED_STATUSES(X)  \
  X(IOCtlSocketError, -12)    \
  X(SetOrderStatusError, -11) \
  X(InsertOrderError, -10)    \
  X(UnknownResponse, -9)      \
  X(ParseError, -8)           \
  X(AuthentError, -7)         \
  X(SendError, -6)            \
  X(RecvNo, -5)               \
  X(RecvError, -4)            \
  X(ConnectError, -3)         \
  X(SocketError, -2)          \
  X(CommonError, -1)          \
  X(Ok, 0)                    \
  X(TimeOutNotify, 1)

enum KBRStatus : std::int32_t {
#define KB_STATUS_ENUMERATOR(name, value) KBRStatus_##name = value,
  KB_NAMED_STATUSES(KB_STATUS_ENUMERATOR)
#undef KB_STATUS_ENUMERATOR
      KBRStatus_NoData = 2,    // internal: nothing buffered
  KBRStatus_PartialBlock = 3,  // internal: bytes buffered, no complete block yet
};

// The printable name of a named code, or nullptr for any other value (2 and
// 3 included): the caller then shows no name.
const char* KBRStatusName(std::int32_t status);
