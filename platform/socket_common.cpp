// The socket code that is the same on every system, built on the primitives
// of socket.h: socket addresses and the loopback listener.
#include <cstring>

#include "platform/socket_system.h"

namespace platform {

sockaddr_in Ipv4Address(std::uint32_t address, std::uint16_t port) {
  sockaddr_in to;
  std::memset(&to, 0, sizeof to);
  to.sin_family = AF_INET;
  to.sin_port = htons(port);
  to.sin_addr.s_addr = address;
  return to;
}

SocketHandle OpenLoopbackListener(int backlog, std::uint16_t& port) {
  const SocketHandle listener = CreateTcpSocket();
  if (listener == kNoSocket) return kNoSocket;
  sockaddr_in at = Ipv4Address(htonl(INADDR_LOOPBACK), 0);
  AddressLength size = sizeof at;
  if (::bind(Native(listener), reinterpret_cast<const sockaddr*>(&at), sizeof at) != 0 ||
      ::listen(Native(listener), backlog) != 0 ||
      ::getsockname(Native(listener), reinterpret_cast<sockaddr*>(&at), &size) != 0 || !SetNonBlocking(listener)) {
    CloseSocket(listener);
    return kNoSocket;
  }
  port = ntohs(at.sin_port);
  return listener;
}

}  // namespace platform
