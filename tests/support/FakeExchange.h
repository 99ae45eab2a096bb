// A stand-in for the exchange on 127.0.0.1, driven step by step from the test
// thread: it accepts the client's connections, sends scripted bytes and reads
// the client's requests. Every wait is bounded, so a fault fails instead of hanging.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/socket.h"

// One accepted connection of the client.
class FakePeer {
 public:
  explicit FakePeer(platform::SocketHandle socket);
  ~FakePeer();
  FakePeer(const FakePeer&) = delete;
  FakePeer& operator=(const FakePeer&) = delete;

  // False on an error or when the bytes do not go out within `ms`.
  bool Send(const std::string& bytes, std::uint32_t ms = 5000);
  // One block as the exchange ends it: the UTF-8 text, then 0x08.
  bool SendBlock(const std::string& utf8Text) { return Send(utf8Text + '\x08'); }
  // Each byte on its own, with a pause between, so the client reads them apart.
  bool SendByteByByte(const std::string& bytes);

  // The next request, its UTF-8 text without the 0x08 0x00 that must follow
  // it. False on a time-out, a closed connection or other framing.
  bool ReadRequest(std::string& text, std::uint32_t ms = 3000);
  // True when the client closes or resets the connection within `ms`.
  bool WaitClosedByClient(std::uint32_t ms = 3000);

  // Ends the connection with a reset, or in order.
  void Reset();
  void Close();

 private:
  // Reads what is there, waiting at most `ms`; false once the connection is gone.
  bool ReceiveMore(std::uint32_t ms);

  platform::SocketHandle socket_;
  std::string received_;
};

class FakeExchange {
 public:
  explicit FakeExchange(int backlog = 8);
  ~FakeExchange();
  FakeExchange(const FakeExchange&) = delete;
  FakeExchange& operator=(const FakeExchange&) = delete;

  bool Listening() const { return listener_ != platform::kNoSocket; }
  std::uint16_t Port() const { return port_; }
  // The client's next connection, or nullptr when none comes within `ms`.
  std::unique_ptr<FakePeer> Accept(std::uint32_t ms = 3000);
  // Fills the listener's backlog with connections nobody accepts, so that
  // the next connect hangs. False when that could not be arranged.
  bool FillBacklog();

 private:
  std::uint16_t port_ = 0;  // set by the listener's opening, so declared before it
  platform::SocketHandle listener_;
  std::vector<platform::SocketHandle> fillers_;
};

// A port on 127.0.0.1 where nothing listens, so connects are refused.
std::uint16_t ClosedLoopbackPort();
