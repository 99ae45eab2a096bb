// Printable names of the status codes, looked up by value.
#include "client/KBRStatus.h"

namespace {
const char* const kNames[] = {
    "KBRStatus_IOCtlSocketError", "KBRStatus_SetOrderStatusError", "KBRStatus_InsertOrderError",
    "KBRStatus_UnknownResponse",  "KBRStatus_ParseError",          "KBRStatus_AuthentError",
    "KBRStatus_SendError",        "KBRStatus_RecvNo",              "KBRStatus_RecvError",
    "KBRStatus_ConnectError",     "KBRStatus_SocketError",         "KBRStatus_CommonError",
    "KBRStatus_Ok",               "KBRStatus_TimeOutNotify",
};
constexpr std::int32_t kFirstNamed = KBRStatus_IOCtlSocketError;
constexpr std::int32_t kLastNamed = KBRStatus_TimeOutNotify;
}  // namespace

const char* KBRStatusName(std::int32_t status) {
  if (status < kFirstNamed || status > kLastNamed) return nullptr;
  return kNames[status - kFirstNamed];
}
