// Connect, send and framed reads with bounded waits.
#include "bench/RawConnection.h"

#include "platform/clock.h"

namespace {

std::uint32_t Left(std::uint64_t deadline) {
  const std::uint64_t now = platform::MonotonicMs();
  return now >= deadline ? 0 : static_cast<std::uint32_t>(deadline - now);
}

}  // namespace

RawConnection::~RawConnection() {
  if (socket_ != platform::kNoSocket) platform::CloseSocket(socket_);
}

bool RawConnection::Connect(std::uint16_t port, std::uint32_t ms) {
  std::uint32_t address = 0;
  if (!platform::ParseDottedAddress("127.0.0.1", address)) return false;
  socket_ = platform::CreateTcpSocket();
  if (socket_ == platform::kNoSocket || !platform::SetNonBlocking(socket_)) return false;
  switch (platform::StartConnect(socket_, address, port)) {
    case platform::ConnectStart::Connected:
      return true;
    case platform::ConnectStart::Failed:
      return false;
    case platform::ConnectStart::InProgress:
      break;
  }
  return platform::WaitForSocket(socket_, platform::SocketWaitFor::Writing, nullptr, ms) ==
             platform::SocketReady::Ready &&
         platform::ConnectSucceeded(socket_);
}

bool RawConnection::SendAll(const std::string& bytes, std::uint32_t ms) {
  const std::uint64_t deadline = platform::MonotonicMs() + ms;
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    const long count = platform::SendSome(socket_, bytes.data() + sent, bytes.size() - sent);
    if (count > 0) {
      sent += static_cast<std::size_t>(count);
      continue;
    }
    const std::uint32_t left = Left(deadline);
    if (left == 0 ||
        platform::WaitForSocket(socket_, platform::SocketWaitFor::Writing, nullptr, left) !=
            platform::SocketReady::Ready)
      return false;
  }
  return true;
}

bool RawConnection::ReadUntil(char terminator, std::string& text, std::uint32_t ms, std::size_t skipAfter) {
  const std::uint64_t deadline = platform::MonotonicMs() + ms;
  for (;;) {
    const std::size_t end = received_.find(terminator);
    if (end != std::string::npos && end + skipAfter < received_.size()) {
      text.assign(received_, 0, end);
      received_.erase(0, end + 1 + skipAfter);
      return true;
    }
    // Try a read first: a waiting reply needs no wait.
    char chunk[16384];
    const long count = platform::ReceiveSome(socket_, chunk, sizeof chunk);
    if (count > 0) {
      received_.append(chunk, static_cast<std::size_t>(count));
      continue;
    }
    if (count == 0) return false;
    const std::uint32_t left = Left(deadline);
    if (left == 0 ||
        platform::WaitForSocket(socket_, platform::SocketWaitFor::Reading, nullptr, left) !=
            platform::SocketReady::Ready)
      return false;
  }
}
