// TCP sockets over Windows Sockets 1.1 calls and select; the waker is a
// loopback UDP socket that sends to itself, so select can watch it.
#include <winsock2.h>
#include <windows.h>

#include <cstring>
#include <mutex>

#include "platform/socket.h"

namespace platform {
namespace {

SOCKET Raw(SocketHandle socket) { return static_cast<SOCKET>(socket); }
SocketHandle Handle(SOCKET socket) { return socket == INVALID_SOCKET ? kNoSocket : static_cast<SocketHandle>(socket); }

sockaddr_in AddressOf(std::uint32_t address, std::uint16_t port) {
  sockaddr_in to;
  std::memset(&to, 0, sizeof to);
  to.sin_family = AF_INET;
  to.sin_port = htons(port);
  to.sin_addr.s_addr = address;
  return to;
}

bool SetBlockingMode(SocketHandle socket, bool nonBlocking) {
  u_long mode = nonBlocking ? 1 : 0;
  return ::ioctlsocket(Raw(socket), FIONBIO, &mode) == 0;
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

bool LookUpHostName(const std::string& name, std::uint32_t& address) {
  // Winsock keeps the result per thread, so concurrent lookups do not clash.
  const hostent* host = ::gethostbyname(name.c_str());
  if (!host || host->h_addrtype != AF_INET || !host->h_addr_list || !host->h_addr_list[0]) return false;
  std::memcpy(&address, host->h_addr_list[0], sizeof address);
  return true;
}

SocketHandle CreateTcpSocket() { return Handle(::socket(AF_INET, SOCK_STREAM, 0)); }

bool SetNonBlocking(SocketHandle socket) { return SetBlockingMode(socket, true); }

void CloseSocket(SocketHandle socket) {
  if (socket != kNoSocket) ::closesocket(Raw(socket));
}

void ResetSocket(SocketHandle socket) {
  if (socket == kNoSocket) return;
  linger abort;
  abort.l_onoff = 1;
  abort.l_linger = 0;
  ::setsockopt(Raw(socket), SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&abort), sizeof abort);
  ::closesocket(Raw(socket));
}

ConnectStart StartConnect(SocketHandle socket, std::uint32_t address, std::uint16_t port) {
  const sockaddr_in to = AddressOf(address, port);
  if (::connect(Raw(socket), reinterpret_cast<const sockaddr*>(&to), sizeof to) == 0) return ConnectStart::Connected;
  return ::WSAGetLastError() == WSAEWOULDBLOCK ? ConnectStart::InProgress : ConnectStart::Failed;
}

bool ConnectSucceeded(SocketHandle socket) {
  int error = 0;
  int size = sizeof error;
  return ::getsockopt(Raw(socket), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size) == 0 && error == 0;
}

long SendSome(SocketHandle socket, const char* data, std::size_t size) {
  const int sent = ::send(Raw(socket), data, static_cast<int>(size), 0);
  if (sent != SOCKET_ERROR) return sent;
  return ::WSAGetLastError() == WSAEWOULDBLOCK ? kSendWouldBlock : -1;
}

long ReceiveSome(SocketHandle socket, char* buffer, std::size_t size) {
  const int got = ::recv(Raw(socket), buffer, static_cast<int>(size), 0);
  return got == SOCKET_ERROR ? -1 : got;
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
  sockaddr_in self = AddressOf(htonl(INADDR_LOOPBACK), 0);
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
      FD_SET(Raw(socket), &readable);
    } else {
      // A failed connect shows in the exception set, not as writable.
      FD_SET(Raw(socket), &writable);
      FD_SET(Raw(socket), &failed);
    }
  }
  if (wakeHandle != kNoSocket) FD_SET(Raw(wakeHandle), &readable);
  timeval limit;
  limit.tv_sec = static_cast<long>(ms / 1000);
  limit.tv_usec = static_cast<long>((ms % 1000) * 1000);
  const int ready = ::select(0, &readable, &writable, &failed, &limit);
  if (ready == SOCKET_ERROR) return SocketReady::Failed;
  if (ready == 0) return SocketReady::TimedOut;
  if (socket != kNoSocket && (FD_ISSET(Raw(socket), &readable) || FD_ISSET(Raw(socket), &writable) ||
                              FD_ISSET(Raw(socket), &failed)))
    return SocketReady::Ready;
  return SocketReady::Woken;
}

SocketHandle OpenLoopbackListener(int backlog, std::uint16_t& port) {
  const SocketHandle listener = CreateTcpSocket();
  if (listener == kNoSocket) return kNoSocket;
  sockaddr_in at = AddressOf(htonl(INADDR_LOOPBACK), 0);
  int size = sizeof at;
  if (::bind(Raw(listener), reinterpret_cast<const sockaddr*>(&at), sizeof at) != 0 ||
      ::listen(Raw(listener), backlog) != 0 ||
      ::getsockname(Raw(listener), reinterpret_cast<sockaddr*>(&at), &size) != 0 || !SetNonBlocking(listener)) {
    CloseSocket(listener);
    return kNoSocket;
  }
  port = ntohs(at.sin_port);
  return listener;
}

SocketHandle AcceptConnection(SocketHandle listener) {
  // The accepted socket inherits the listener's non-blocking mode.
  return Handle(::accept(Raw(listener), nullptr, nullptr));
}

}  // namespace platform
