// TCP sockets over Windows Sockets 1.1 calls and select; the waker is a
// loopback UDP socket that sends to itself, so select can watch it.
#include <windows.h>
#include <winsock2.h>

#include <cstring>
#include <mutex>

#include "platform/socket_system.h"

namespace platform {
namespace {

SocketHandle Handle(SOCKET socket) { return socket == INVALID_SOCKET ? kNoSocket : static_cast<SocketHandle>(socket); }

bool SetBlockingMode(SocketHandle socket, bool nonBlocking) {
  u_long mode = nonBlocking ? 1 : 0;
  return ::ioctlsocket(Native(socket), FIONBIO, &mode) == 0;
}

SocketError CauseOf(int error) {
  switch (error) {
    case WSAECONNREFUSED:
      return SocketError::Refused;
    case WSAETIMEDOUT:
      return SocketError::TimedOut;
    case WSAENETUNREACH:
    case WSAEHOSTUNREACH:
    case WSAENETDOWN:
    case WSAEHOSTDOWN:
      return SocketError::Unreachable;
    case WSAECONNRESET:
    case WSAECONNABORTED:
    case WSAENETRESET:
      return SocketError::Reset;
    case WSAHOST_NOT_FOUND:
    case WSANO_DATA:
      return SocketError::NameNotFound;
    default:
      return SocketError::Other;
  }
}

void Report(SocketError* cause, SocketError what) {
  if (cause) *cause = what;
}

}  // namespace

bool StartSockets() {
  WSADATA data;
  return ::WSAStartup(MAKEWORD(1, 1), &data) == 0;
}

void StopSockets() { ::WSACleanup(); }

bool ParseDottedAddress(const std::string& text, std::uint32_t& address) {
  const unsigned long parsed = ::inet_addr(text.c_str());
  if (parsed == INADDR_NONE) return false;
  address = static_cast<std::uint32_t>(parsed);
  return true;
}

SocketError LookUpHostName(const std::string& name, std::uint32_t& address) {
  // Winsock keeps the result per thread, so concurrent lookups do not clash.
  const hostent* host = ::gethostbyname(name.c_str());
  if (!host) {
    // A resolver that cannot be asked leaves the name unknown, not missing.
    const int error = ::WSAGetLastError();
    return error == WSATRY_AGAIN ? SocketError::Unreachable : SocketError::NameNotFound;
  }
  if (host->h_addrtype != AF_INET || !host->h_addr_list || !host->h_addr_list[0]) return SocketError::NameNotFound;
  std::memcpy(&address, host->h_addr_list[0], sizeof address);
  return SocketError::None;
}

SocketHandle CreateTcpSocket() { return Handle(::socket(AF_INET, SOCK_STREAM, 0)); }

bool SetNonBlocking(SocketHandle socket) { return SetBlockingMode(socket, true); }

void CloseSocket(SocketHandle socket) {
  if (socket != kNoSocket) ::closesocket(Native(socket));
}

void ResetSocket(SocketHandle socket) {
  if (socket == kNoSocket) return;
  linger abort;
  abort.l_onoff = 1;
  abort.l_linger = 0;
  ::setsockopt(Native(socket), SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&abort), sizeof abort);
  ::closesocket(Native(socket));
}

ConnectStart StartConnect(SocketHandle socket, std::uint32_t address, std::uint16_t port, SocketError* cause) {
  const sockaddr_in to = Ipv4Address(address, port);
  if (::connect(Native(socket), reinterpret_cast<const sockaddr*>(&to), sizeof to) == 0) return ConnectStart::Connected;
  const int error = ::WSAGetLastError();
  if (error == WSAEWOULDBLOCK) return ConnectStart::InProgress;
  Report(cause, CauseOf(error));
  return ConnectStart::Failed;
}

SocketError ConnectOutcome(SocketHandle socket) {
  int error = 0;
  int size = sizeof error;
  if (::getsockopt(Native(socket), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size) != 0)
    return CauseOf(::WSAGetLastError());
  return error == 0 ? SocketError::None : CauseOf(error);
}

long SendSome(SocketHandle socket, const char* data, std::size_t size, SocketError* cause) {
  const int sent = ::send(Native(socket), data, static_cast<int>(size), 0);
  if (sent != SOCKET_ERROR) return sent;
  const int error = ::WSAGetLastError();
  if (error == WSAEWOULDBLOCK) return kSendWouldBlock;
  Report(cause, CauseOf(error));
  return -1;
}

long ReceiveSome(SocketHandle socket, char* buffer, std::size_t size, SocketError* cause) {
  const int got = ::recv(Native(socket), buffer, static_cast<int>(size), 0);
  if (got != SOCKET_ERROR) return got;
  Report(cause, CauseOf(::WSAGetLastError()));
  return -1;
}

struct SocketWaker::Impl {
  std::mutex m;  // keeps Wake away from Open and Close
  SOCKET socket = INVALID_SOCKET;
};

SocketWaker::SocketWaker() : impl_(new Impl) {}
SocketWaker::~SocketWaker() { Close(); }

bool SocketWaker::Open() {
  std::lock_guard<std::mutex> hold(impl_->m);
  if (impl_->socket != INVALID_SOCKET) return true;
  const SOCKET s = ::socket(AF_INET, SOCK_DGRAM, 0);
  if (s == INVALID_SOCKET) return false;
  sockaddr_in self = Ipv4Address(htonl(INADDR_LOOPBACK), 0);
  int size = sizeof self;
  u_long nonBlocking = 1;
  if (::bind(s, reinterpret_cast<const sockaddr*>(&self), sizeof self) != 0 ||
      ::getsockname(s, reinterpret_cast<sockaddr*>(&self), &size) != 0 ||
      ::connect(s, reinterpret_cast<const sockaddr*>(&self), sizeof self) != 0 ||
      ::ioctlsocket(s, FIONBIO, &nonBlocking) != 0) {
    ::closesocket(s);
    return false;
  }
  impl_->socket = s;
  return true;
}

void SocketWaker::Close() {
  std::lock_guard<std::mutex> hold(impl_->m);
  if (impl_->socket != INVALID_SOCKET) ::closesocket(impl_->socket);
  impl_->socket = INVALID_SOCKET;
}

bool SocketWaker::IsOpen() const {
  std::lock_guard<std::mutex> hold(impl_->m);
  return impl_->socket != INVALID_SOCKET;
}

void SocketWaker::Wake() {
  std::lock_guard<std::mutex> hold(impl_->m);
  if (impl_->socket == INVALID_SOCKET) return;
  const char one = 1;
  // A full receive buffer is already signalled enough.
  ::send(impl_->socket, &one, 1, 0);
}

void SocketWaker::Drain() {
  std::lock_guard<std::mutex> hold(impl_->m);
  if (impl_->socket == INVALID_SOCKET) return;
  char sink[64];
  while (::recv(impl_->socket, sink, sizeof sink, 0) > 0) {
  }
}

SocketHandle SocketWaker::WaitHandle() const {
  std::lock_guard<std::mutex> hold(impl_->m);
  return Handle(impl_->socket);
}

SocketReady WaitForSocket(SocketHandle socket, SocketWaitFor what, const SocketWaker* waker, std::uint32_t ms) {
  const SocketHandle wakeHandle = waker ? waker->WaitHandle() : kNoSocket;
  if (socket == kNoSocket && wakeHandle == kNoSocket) {
    // select refuses empty sets.
    ::Sleep(ms);
    return SocketReady::TimedOut;
  }
  fd_set readable;
  fd_set writable;
  fd_set failed;
  FD_ZERO(&readable);
  FD_ZERO(&writable);
  FD_ZERO(&failed);
  if (socket != kNoSocket) {
    if (what == SocketWaitFor::Reading) {
      FD_SET(Native(socket), &readable);
    } else {
      // A failed connect shows in the exception set, not as writable.
      FD_SET(Native(socket), &writable);
      FD_SET(Native(socket), &failed);
    }
  }
  if (wakeHandle != kNoSocket) FD_SET(Native(wakeHandle), &readable);
  timeval limit;
  limit.tv_sec = static_cast<long>(ms / 1000);
  limit.tv_usec = static_cast<long>((ms % 1000) * 1000);
  const int ready = ::select(0, &readable, &writable, &failed, &limit);
  if (ready == SOCKET_ERROR) return SocketReady::Failed;
  if (ready == 0) return SocketReady::TimedOut;
  if (socket != kNoSocket &&
      (FD_ISSET(Native(socket), &readable) || FD_ISSET(Native(socket), &writable) || FD_ISSET(Native(socket), &failed)))
    return SocketReady::Ready;
  return SocketReady::Woken;
}

SocketHandle AcceptConnection(SocketHandle listener) {
  // The accepted socket inherits the listener's non-blocking mode.
  return Handle(::accept(Native(listener), nullptr, nullptr));
}

}  // namespace platform
