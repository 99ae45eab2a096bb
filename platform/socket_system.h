// Inside the platform layer only: the system's socket headers and the few
// names that let one piece of socket code serve both systems.
#pragma once

#include <cstdint>

#ifdef _WIN32
#include <winsock2.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#endif

#include "platform/socket.h"

namespace platform {

#ifdef _WIN32
using NativeSocket = SOCKET;
using AddressLength = int;
#else
using NativeSocket = int;
using AddressLength = socklen_t;
#endif

inline NativeSocket Native(SocketHandle socket) { return static_cast<NativeSocket>(socket); }

// An IPv4 socket address; `address` in network byte order.
sockaddr_in Ipv4Address(std::uint32_t address, std::uint16_t port);

}  // namespace platform
