// A bare TCP connection over the platform's sockets, for the references the
// client is measured against: no queues, no worker, no parsing.
#pragma once

#include <cstdint>
#include <string>

#include "platform/socket.h"

class RawConnection {
 public:
  RawConnection() = default;
  explicit RawConnection(platform::SocketHandle accepted) : socket_(accepted) {}
  ~RawConnection();
  RawConnection(const RawConnection&) = delete;
  RawConnection& operator=(const RawConnection&) = delete;

  bool Connect(std::uint16_t port, std::uint32_t ms = 3000);
  bool SendAll(const std::string& bytes, std::uint32_t ms = 3000);
  // The bytes up to the next `terminator` (which is consumed, with `skipAfter`
  // more bytes). False on a time-out or a closed connection.
  bool ReadUntil(char terminator, std::string& text, std::uint32_t ms, std::size_t skipAfter = 0);
  // An exchange block (ends with 0x08) and a client request (0x08 0x00).
  bool ReadBlock(std::string& text, std::uint32_t ms) { return ReadUntil('\x08', text, ms); }
  bool ReadRequest(std::string& text, std::uint32_t ms) { return ReadUntil('\x08', text, ms, 1); }

 private:
  platform::SocketHandle socket_ = platform::kNoSocket;
  std::string received_;
};
