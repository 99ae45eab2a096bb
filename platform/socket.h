// TCP sockets: Winsock 1.1 on Windows, BSD sockets elsewhere.
#pragma once

#include <cstdint>

namespace platform {

// A socket as the client stores it; kNoSocket when there is none.
using SocketHandle = std::intptr_t;
constexpr SocketHandle kNoSocket = 0;

}  // namespace platform
