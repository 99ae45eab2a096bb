// Printable names of the status codes, looked up by value.
#include "protocol/KBRStatus.h"

const char* KBRStatusName(std::int32_t status) {
  switch (status) {
#define KB_STATUS_NAME_CASE(name, value) \
  case value:                            \
    return "KBRStatus_" #name;
    KB_NAMED_STATUSES(KB_STATUS_NAME_CASE)
#undef KB_STATUS_NAME_CASE
  }
  return nullptr;
}
