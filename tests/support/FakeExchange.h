// A stand-in for the exchange on 127.0.0.1, driven step by step from the test thread: it accepts the client's
// connections, sends scripted bytes and reads its requests. Every wait is bounded: a fault fails, never hangs.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/clock.h"
#include "platform/socket.h"

// One accepted connection of the client.
class FakePeer {
 public:
  explicit FakePeer(platform::SocketHandle socket) : socket_(socket) {}
  ~FakePeer() { Close(); }

  // Waits for `socket` at most until `deadline` (platform::MonotonicMs); TimedOut once it has passed.
  static platform::SocketReady Wait(platform::SocketHandle socket, platform::SocketWaitFor what,
                                    std::uint64_t deadline) {
    const std::uint64_t now = platform::MonotonicMs();
    if (socket == platform::kNoSocket || now >= deadline) return platform::SocketReady::TimedOut;
    return platform::WaitForSocket(socket, what, nullptr, static_cast<std::uint32_t>(deadline - now));
  }

  // False on an error or when the bytes do not go out within `ms`.
  bool Send(const std::string& bytes, std::uint32_t ms = 5000) {
    const std::uint64_t deadline = platform::MonotonicMs() + ms;
    for (std::size_t sent = 0; sent < bytes.size();) {
      if (Wait(socket_, platform::SocketWaitFor::Writing, deadline) != platform::SocketReady::Ready) return false;
      // Refused right after the socket was writable: the connection is gone.
      const long count = platform::SendSome(socket_, bytes.data() + sent, bytes.size() - sent);
      if (count <= 0) return false;
      sent += static_cast<std::size_t>(count);
    }
    return true;
  }
  // One block as the exchange ends it: the UTF-8 text, then 0x08.
  bool SendBlock(const std::string& utf8Text) { return Send(utf8Text + '\x08'); }

  // The next request, its UTF-8 text without the 0x08 0x00 that must follow it. False on a time-out, a closed
  // connection or other framing.
  bool ReadRequest(std::string& text, std::uint32_t ms = 3000) {
    const std::uint64_t deadline = platform::MonotonicMs() + ms;
    // Only new bytes are searched: a request of megabytes arrives in thousands of chunks.
    for (std::size_t searched = 0;;) {
      const std::size_t end = received_.find('\x08', searched);
      if (end != std::string::npos && end + 1 < received_.size()) {
        if (received_[end + 1] != '\0') return false;
        text = received_.substr(0, end);
        received_.erase(0, end + 2);
        return true;
      }
      searched = end != std::string::npos ? end : received_.size();
      if (platform::MonotonicMs() >= deadline || !ReceiveMore(deadline)) return false;
    }
  }
  // True when the client closes or resets the connection within `ms`.
  bool WaitClosedByClient(std::uint32_t ms = 3000) {
    for (const std::uint64_t deadline = platform::MonotonicMs() + ms; platform::MonotonicMs() < deadline;)
      if (!ReceiveMore(deadline)) return true;
    return false;
  }

  // Ends the connection with a reset, or in order.
  void Reset() { platform::ResetSocket(std::exchange(socket_, platform::kNoSocket)); }
  void Close() { platform::CloseSocket(std::exchange(socket_, platform::kNoSocket)); }

 private:
  // Reads what is there, waiting at most until `deadline`; false once the connection is gone.
  bool ReceiveMore(std::uint64_t deadline) {
    if (socket_ == platform::kNoSocket) return false;
    const platform::SocketReady ready = Wait(socket_, platform::SocketWaitFor::Reading, deadline);
    if (ready != platform::SocketReady::Ready) return ready == platform::SocketReady::TimedOut;
    char chunk[65536];
    const long count = platform::ReceiveSome(socket_, chunk, sizeof chunk);
    if (count > 0) received_.append(chunk, static_cast<std::size_t>(count));
    return count > 0;
  }

  platform::SocketHandle socket_;
  std::string received_;
};

class FakeExchange {
 public:
  explicit FakeExchange(int backlog = 8) : listener_(platform::OpenLoopbackListener(backlog, port_)) {}
  ~FakeExchange() {
    for (platform::SocketHandle filler : fillers_) platform::CloseSocket(filler);
    platform::CloseSocket(listener_);
  }

  bool Listening() const { return listener_ != platform::kNoSocket; }
  std::uint16_t Port() const { return port_; }
  // The client's next connection, or nullptr when none comes within `ms`.
  std::unique_ptr<FakePeer> Accept(std::uint32_t ms = 3000) {
    for (const std::uint64_t deadline = platform::MonotonicMs() + ms;;) {
      const platform::SocketHandle accepted = platform::AcceptConnection(listener_);
      if (accepted != platform::kNoSocket) return std::make_unique<FakePeer>(accepted);
      if (FakePeer::Wait(listener_, platform::SocketWaitFor::Reading, deadline) == platform::SocketReady::TimedOut)
        return nullptr;
    }
  }
  // Fills the listener's backlog with connections nobody accepts, so the next connect hangs; false if it cannot.
  bool FillBacklog() {
    std::uint32_t loopback = 0;
    for (int attempt = 0; attempt < 16 && platform::ParseDottedAddress("127.0.0.1", loopback); ++attempt) {
      fillers_.push_back(platform::CreateTcpSocket());
      // An unanswered connect: the queue is full.
      if (platform::SetNonBlocking(fillers_.back()) &&
          platform::StartConnect(fillers_.back(), loopback, port_) == platform::ConnectStart::InProgress &&
          FakePeer::Wait(fillers_.back(), platform::SocketWaitFor::Writing, platform::MonotonicMs() + 300) ==
              platform::SocketReady::TimedOut)
        return true;
    }
    return false;
  }

 private:
  std::uint16_t port_ = 0;  // set by the listener's opening, so declared before it
  platform::SocketHandle listener_;
  std::vector<platform::SocketHandle> fillers_;
};

// A port on 127.0.0.1 where nothing listens, so connects are refused.
inline std::uint16_t ClosedLoopbackPort() {
  std::uint16_t port = 0;
  platform::CloseSocket(platform::OpenLoopbackListener(1, port));
  return port;
}
