// TCP sockets over BSD sockets and poll; the waker is a non-blocking pipe.
#include <arpa/inet.h>
#include <errno.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <mutex>

#include "platform/socket_system.h"

namespace platform {
namespace {

// Handle 0 means "no socket", so a descriptor that happens to be 0 is moved.
int AvoidZero(int fd) {
  if (fd != 0) return fd;
  const int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, 1);
  ::close(fd);
  return moved;
}

SocketError CauseOf(int error) {
  switch (error) {
    case ECONNREFUSED:
      return SocketError::Refused;
    case ETIMEDOUT:
      return SocketError::TimedOut;
    case ENETUNREACH:
    case EHOSTUNREACH:
    case ENETDOWN:
    case EHOSTDOWN:
      return SocketError::Unreachable;
    case ECONNRESET:
    case ECONNABORTED:
    case EPIPE:
      return SocketError::Reset;
    default:
      return SocketError::Other;
  }
}

void Report(SocketError* cause, SocketError what) {
  if (cause) *cause = what;
}

}  // namespace

bool StartSockets() { return true; }
void StopSockets() {}

bool ParseDottedAddress(const std::string& text, std::uint32_t& address) {
  const in_addr_t parsed = ::inet_addr(text.c_str());
  if (parsed == INADDR_NONE) return false;
  address = parsed;
  return true;
}

SocketError LookUpHostName(const std::string& name, std::uint32_t& address) {
  addrinfo hints;
  std::memset(&hints, 0, sizeof hints);
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  const int error = ::getaddrinfo(name.c_str(), nullptr, &hints, &found);
  // A resolver that cannot be asked leaves the name unknown, not missing.
  if (error == EAI_AGAIN) return SocketError::Unreachable;
  if (error != 0 || !found) return SocketError::NameNotFound;
  address = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr.s_addr;
  ::freeaddrinfo(found);
  return SocketError::None;
}

SocketHandle CreateTcpSocket() {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return kNoSocket;
  const int kept = AvoidZero(fd);
  return kept < 0 ? kNoSocket : kept;
}

bool SetNonBlocking(SocketHandle socket) {
  const int flags = ::fcntl(Native(socket), F_GETFL, 0);
  return flags >= 0 && ::fcntl(Native(socket), F_SETFL, flags | O_NONBLOCK) == 0;
}

void CloseSocket(SocketHandle socket) {
  if (socket != kNoSocket) ::close(Native(socket));
}

void ResetSocket(SocketHandle socket) {
  if (socket == kNoSocket) return;
  linger abort;
  abort.l_onoff = 1;
  abort.l_linger = 0;
  ::setsockopt(Native(socket), SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
  ::close(Native(socket));
}

ConnectStart StartConnect(SocketHandle socket, std::uint32_t address, std::uint16_t port, SocketError* cause) {
  const sockaddr_in to = Ipv4Address(address, port);
  if (::connect(Native(socket), reinterpret_cast<const sockaddr*>(&to), sizeof to) == 0) return ConnectStart::Connected;
  if (errno == EINPROGRESS) return ConnectStart::InProgress;
  Report(cause, CauseOf(errno));
  return ConnectStart::Failed;
}

SocketError ConnectOutcome(SocketHandle socket) {
  int error = 0;
  socklen_t size = sizeof error;
  if (::getsockopt(Native(socket), SOL_SOCKET, SO_ERROR, &error, &size) != 0) return CauseOf(errno);
  return error == 0 ? SocketError::None : CauseOf(error);
}

long SendSome(SocketHandle socket, const char* data, std::size_t size, SocketError* cause) {
  // No SIGPIPE when the exchange has gone: the error is reported instead.
  const ssize_t sent = ::send(Native(socket), data, size, MSG_NOSIGNAL);
  if (sent >= 0) return static_cast<long>(sent);
  if (errno == EAGAIN || errno == EWOULDBLOCK) return kSendWouldBlock;
  Report(cause, CauseOf(errno));
  return -1;
}

long ReceiveSome(SocketHandle socket, char* buffer, std::size_t size, SocketError* cause) {
  const ssize_t got = ::recv(Native(socket), buffer, size, 0);
  if (got >= 0) return static_cast<long>(got);
  Report(cause, CauseOf(errno));
  return -1;
}

struct SocketWaker::Impl {
  std::mutex m;  // keeps Wake away from Open and Close
  int readEnd = -1;
  int writeEnd = -1;
};

SocketWaker::SocketWaker() : impl_(new Impl) {}
SocketWaker::~SocketWaker() { Close(); }

bool SocketWaker::Open() {
  std::lock_guard<std::mutex> hold(impl_->m);
  if (impl_->readEnd >= 0) return true;
  int ends[2];
  if (::pipe2(ends, O_NONBLOCK | O_CLOEXEC) != 0) return false;
  impl_->readEnd = AvoidZero(ends[0]);
  impl_->writeEnd = ends[1];
  return impl_->readEnd >= 0;
}

void SocketWaker::Close() {
  std::lock_guard<std::mutex> hold(impl_->m);
  if (impl_->readEnd >= 0) ::close(impl_->readEnd);
  if (impl_->writeEnd >= 0) ::close(impl_->writeEnd);
  impl_->readEnd = impl_->writeEnd = -1;
}

bool SocketWaker::IsOpen() const {
  std::lock_guard<std::mutex> hold(impl_->m);
  return impl_->readEnd >= 0;
}

void SocketWaker::Wake() {
  std::lock_guard<std::mutex> hold(impl_->m);
  if (impl_->writeEnd < 0) return;
  const char one = 1;
  // A full pipe is already signalled enough.
  if (::write(impl_->writeEnd, &one, 1) < 0) return;
}

void SocketWaker::Drain() {
  std::lock_guard<std::mutex> hold(impl_->m);
  if (impl_->readEnd < 0) return;
  char sink[64];
  while (::read(impl_->readEnd, sink, sizeof sink) > 0) {
  }
}

SocketHandle SocketWaker::WaitHandle() const {
  std::lock_guard<std::mutex> hold(impl_->m);
  return impl_->readEnd < 0 ? kNoSocket : impl_->readEnd;
}

SocketReady WaitForSocket(SocketHandle socket, SocketWaitFor what, const SocketWaker* waker, std::uint32_t ms) {
  pollfd watched[2];
  nfds_t count = 0;
  int socketSlot = -1;
  if (socket != kNoSocket) {
    socketSlot = static_cast<int>(count);
    watched[count++] = pollfd{Native(socket), static_cast<short>(what == SocketWaitFor::Reading ? POLLIN : POLLOUT), 0};
  }
  const SocketHandle wakeHandle = waker ? waker->WaitHandle() : kNoSocket;
  if (wakeHandle != kNoSocket) watched[count++] = pollfd{Native(wakeHandle), POLLIN, 0};
  const int ready = ::poll(watched, count, static_cast<int>(ms));
  if (ready < 0) return errno == EINTR ? SocketReady::TimedOut : SocketReady::Failed;
  if (ready == 0) return SocketReady::TimedOut;
  if (socketSlot >= 0 && watched[socketSlot].revents != 0) return SocketReady::Ready;
  return SocketReady::Woken;
}

SocketHandle AcceptConnection(SocketHandle listener) {
  const int fd = ::accept4(Native(listener), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
  if (fd < 0) return kNoSocket;
  const int kept = AvoidZero(fd);
  return kept < 0 ? kNoSocket : kept;
}

}  // namespace platform
