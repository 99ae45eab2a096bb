// Block cutting for the exchange's connections, in time linear in the bytes
// received however many blocks they hold.
#include "exchange/BlockReader.h"

bool BlockReader::Next(std::string& block) {
  while (start_ < buffer_.size() && buffer_[start_] == '\0') ++start_;
  const std::size_t end = buffer_.find('\x08', start_);
  if (end == std::string::npos) {
    buffer_.erase(0, start_);
    start_ = 0;
    return false;
  }
  block.assign(buffer_, start_, end - start_);
  start_ = end + 1;
  return true;
}
