// TCP sockets: Winsock 1.1 on Windows, BSD sockets elsewhere. Sockets made
// here are non-blocking once connected; every wait is bounded and can be cut
// short by a SocketWaker.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace platform {

// Why a socket call failed.
enum class SocketError {
  None,
  Refused,       // nothing listens at the address
  TimedOut,      // the peer did not answer in time
  Unreachable,   // no route to the network or host
  NameNotFound,  // the host name has no IPv4 address
  Reset,         // the peer reset or aborted the connection
  Closed,        // the peer ended the connection in order
  Other,
};

// A socket as the client stores it; kNoSocket when there is none.
using SocketHandle = std::intptr_t;
constexpr SocketHandle kNoSocket = 0;

// Starts and stops the process's socket library (Windows Sockets 1.1; nothing
// elsewhere). The application owns them; tests call them themselves.
bool StartSockets();
void StopSockets();

// A server name made only of digits, dots and spaces is taken as a dotted
// IPv4 address and never looked up.
inline bool IsDottedAddress(const std::string& name) {
  return name.find_first_not_of("1234567890. ") == std::string::npos;
}

// An IPv4 address in network byte order from a dotted text; false when the
// text is not one (inet_addr gives no address).
bool ParseDottedAddress(const std::string& text, std::uint32_t& address);
// The first IPv4 address of a host name: None, or why the lookup failed.
// Blocks for as long as the system's resolver takes.
SocketError LookUpHostName(const std::string& name, std::uint32_t& address);

// A TCP/IPv4 stream socket, or kNoSocket.
SocketHandle CreateTcpSocket();
bool SetNonBlocking(SocketHandle socket);
void CloseSocket(SocketHandle socket);
// Closes with a reset instead of an orderly shutdown.
void ResetSocket(SocketHandle socket);

enum class ConnectStart { Connected, InProgress, Failed };
// Starts connecting a non-blocking socket to `address` (network byte order);
// on Failed, `cause` (when given) says why.
ConnectStart StartConnect(SocketHandle socket, std::uint32_t address, std::uint16_t port, SocketError* cause = nullptr);
// After the socket became writable: None when the connection was established, else why not.
SocketError ConnectOutcome(SocketHandle socket);
inline bool ConnectSucceeded(SocketHandle socket) { return ConnectOutcome(socket) == SocketError::None; }

// SendSome's result when the system's send buffer is full for now.
constexpr long kSendWouldBlock = -2;
// The bytes handed to the system, kSendWouldBlock, or -1 on any other error,
// whose reason goes to `cause` when given.
long SendSome(SocketHandle socket, const char* data, std::size_t size, SocketError* cause = nullptr);
// The bytes received, 0 when the peer closed the connection, -1 on any
// error (would-block included), whose reason goes to `cause` when given.
long ReceiveSome(SocketHandle socket, char* buffer, std::size_t size, SocketError* cause = nullptr);

// Lets any thread cut short a socket wait of the worker. Waking is
// level-triggered: it stays signalled until Drain.
class SocketWaker {
 public:
  SocketWaker();
  ~SocketWaker();
  SocketWaker(const SocketWaker&) = delete;
  SocketWaker& operator=(const SocketWaker&) = delete;

  // Needs the socket library to be started. False when the system refuses.
  bool Open();
  void Close();
  bool IsOpen() const;
  // Any thread; does nothing while closed.
  void Wake();
  // Clears pending wake-ups.
  void Drain();
  // The handle a wait watches; kNoSocket while closed. Worker thread only.
  SocketHandle WaitHandle() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

enum class SocketWaitFor { Reading, Writing };
enum class SocketReady { Ready, Woken, TimedOut, Failed };

// Waits at most `ms` until `socket` can be read (data, end of stream or an
// error) or written (including a finished or failed connect), or until
// `waker` is signalled. Either may be absent (kNoSocket, nullptr or a closed
// waker). Readiness of the socket wins over a wake-up.
SocketReady WaitForSocket(SocketHandle socket, SocketWaitFor what, const SocketWaker* waker, std::uint32_t ms);

// A listening socket on 127.0.0.1 with a port the system picks, for the
// demo exchange and tests. kNoSocket on failure.
SocketHandle OpenLoopbackListener(int backlog, std::uint16_t& port);
// Takes one pending connection; kNoSocket when none is pending. The
// accepted socket is non-blocking.
SocketHandle AcceptConnection(SocketHandle listener);

}  // namespace platform
