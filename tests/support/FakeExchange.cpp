// The tests' stand-in for the exchange, over the platform's socket layer.
#include "support/FakeExchange.h"

#include "platform/clock.h"
#include "platform/sync.h"

namespace {

std::uint32_t Remaining(std::uint64_t deadline) {
  const std::uint64_t now = platform::MonotonicMs();
  return now >= deadline ? 0 : static_cast<std::uint32_t>(deadline - now);
}

}  // namespace

FakePeer::FakePeer(platform::SocketHandle socket) : socket_(socket) {}

FakePeer::~FakePeer() { Close(); }

bool FakePeer::Send(const std::string& bytes, std::uint32_t ms) {
  const std::uint64_t deadline = platform::MonotonicMs() + ms;
  std::size_t sent = 0;
  bool waited = false;
  while (sent < bytes.size()) {
    if (socket_ == platform::kNoSocket) return false;
    const long count = platform::SendSome(socket_, bytes.data() + sent, bytes.size() - sent);
    if (count > 0) {
      sent += static_cast<std::size_t>(count);
      waited = false;
      continue;
    }
    // Refused right after the socket was writable: the connection is gone.
    if (waited) return false;
    const std::uint32_t left = Remaining(deadline);
    if (left == 0 || platform::WaitForSocket(socket_, platform::SocketWaitFor::Writing, nullptr, left) !=
                         platform::SocketReady::Ready)
      return false;
    waited = true;
  }
  return true;
}

bool FakePeer::SendByteByByte(const std::string& bytes) {
  for (char byte : bytes) {
    if (!Send(std::string(1, byte))) return false;
    platform::SleepMs(2);
  }
  return true;
}

bool FakePeer::ReceiveMore(std::uint32_t ms) {
  if (socket_ == platform::kNoSocket) return false;
  const platform::SocketReady ready = platform::WaitForSocket(socket_, platform::SocketWaitFor::Reading, nullptr, ms);
  if (ready == platform::SocketReady::TimedOut) return true;
  if (ready != platform::SocketReady::Ready) return false;
  char chunk[65536];
  const long count = platform::ReceiveSome(socket_, chunk, sizeof chunk);
  if (count <= 0) return false;
  received_.append(chunk, static_cast<std::size_t>(count));
  return true;
}

bool FakePeer::ReadRequest(std::string& text, std::uint32_t ms) {
  const std::uint64_t deadline = platform::MonotonicMs() + ms;
  // Only new bytes are searched: a request of megabytes arrives in thousands of chunks.
  std::size_t searched = 0;
  for (;;) {
    const std::size_t end = received_.find('\x08', searched);
    if (end != std::string::npos && end + 1 < received_.size()) {
      if (received_[end + 1] != '\0') return false;
      text = received_.substr(0, end);
      received_.erase(0, end + 2);
      return true;
    }
    searched = end != std::string::npos ? end : received_.size();
    const std::uint32_t left = Remaining(deadline);
    if (left == 0 || !ReceiveMore(left)) return false;
  }
}

bool FakePeer::WaitClosedByClient(std::uint32_t ms) {
  const std::uint64_t deadline = platform::MonotonicMs() + ms;
  while (Remaining(deadline) > 0) {
    if (!ReceiveMore(Remaining(deadline))) return true;
  }
  return false;
}

void FakePeer::Reset() {
  platform::ResetSocket(socket_);
  socket_ = platform::kNoSocket;
}

void FakePeer::Close() {
  platform::CloseSocket(socket_);
  socket_ = platform::kNoSocket;
}

FakeExchange::FakeExchange(int backlog) : listener_(platform::OpenLoopbackListener(backlog, port_)) {}

FakeExchange::~FakeExchange() {
  for (platform::SocketHandle filler : fillers_) platform::CloseSocket(filler);
  platform::CloseSocket(listener_);
}

std::unique_ptr<FakePeer> FakeExchange::Accept(std::uint32_t ms) {
  const std::uint64_t deadline = platform::MonotonicMs() + ms;
  for (;;) {
    const platform::SocketHandle accepted = platform::AcceptConnection(listener_);
    if (accepted != platform::kNoSocket) return std::unique_ptr<FakePeer>(new FakePeer(accepted));
    const std::uint32_t left = Remaining(deadline);
    if (left == 0) return nullptr;
    platform::WaitForSocket(listener_, platform::SocketWaitFor::Reading, nullptr, left);
  }
}

bool FakeExchange::FillBacklog() {
  std::uint32_t loopback = 0;
  if (!platform::ParseDottedAddress("127.0.0.1", loopback)) return false;
  for (int attempt = 0; attempt < 16; ++attempt) {
    const platform::SocketHandle filler = platform::CreateTcpSocket();
    if (filler == platform::kNoSocket || !platform::SetNonBlocking(filler)) return false;
    fillers_.push_back(filler);
    if (platform::StartConnect(filler, loopback, port_) != platform::ConnectStart::InProgress) continue;
    // A connect that stays unanswered means the queue is full.
    if (platform::WaitForSocket(filler, platform::SocketWaitFor::Writing, nullptr, 300) ==
        platform::SocketReady::TimedOut)
      return true;
  }
  return false;
}

std::uint16_t ClosedLoopbackPort() {
  std::uint16_t port = 0;
  platform::CloseSocket(platform::OpenLoopbackListener(1, port));
  return port;
}
