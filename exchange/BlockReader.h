// Cuts the bytes one connection sends into blocks. Blocks end with 0x08; the
// zero byte the client sends after each terminator, and any other zero bytes
// between blocks, are skipped, so pipelined requests all arrive. The pending
// unterminated bytes are bounded so that one peer cannot take all memory.
#pragma once

#include <cstddef>
#include <string>

class BlockReader {
 public:
  explicit BlockReader(std::size_t maxBlockBytes) : maxBlockBytes_(maxBlockBytes) {}

  void Append(const char* data, std::size_t size) { buffer_.append(data, size); }

  // Moves the next complete block (without its terminator) into `block`;
  // false when no complete block is buffered.
  bool Next(std::string& block);

  // True when the bytes of an unfinished block exceed the limit: the peer is
  // to be dropped.
  bool Overflowed() const { return buffer_.size() - start_ > maxBlockBytes_; }

  std::size_t Pending() const { return buffer_.size() - start_; }

 private:
  std::size_t maxBlockBytes_;
  std::string buffer_;
  std::size_t start_ = 0;  // bytes before it are consumed
};
