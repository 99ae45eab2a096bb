// The framing as the worker meets it: bytes written into a loopback TCP
// connection, chunk by chunk, and cut into blocks by the client's ReadBlock.
// One connection serves every input, so the run needs no new port per input.
#include <memory>
#include <string>

#include "client/KestoBrimoClientAsync.h"
#include "fuzz/entries/FuzzEntries.h"
#include "platform/socket.h"
#include "protocol/Framing.h"
#include "tests/support/ClientTestAccess.h"

namespace {

using Access = KestoBrimoClientTestAccess;

// The client holds one end of the connection as its socket; the other end
// stands in for the exchange.
struct LoopbackPair {
  KestoBrimoClientAsync client;
  platform::SocketHandle exchange = platform::kNoSocket;
  bool ready = false;

  LoopbackPair() {
    if (!platform::StartSockets()) return;
    std::uint16_t port = 0;
    const platform::SocketHandle listener = platform::OpenLoopbackListener(1, port);
    const platform::SocketHandle near = platform::CreateTcpSocket();
    std::uint32_t address = 0;
    if (listener == platform::kNoSocket || near == platform::kNoSocket ||
        !platform::ParseDottedAddress("127.0.0.1", address) || !platform::SetNonBlocking(near))
      return;
    const platform::ConnectStart start = platform::StartConnect(near, address, port);
    if (start == platform::ConnectStart::Failed ||
        platform::WaitForSocket(listener, platform::SocketWaitFor::Reading, nullptr, 3000) !=
            platform::SocketReady::Ready)
      return;
    exchange = platform::AcceptConnection(listener);
    platform::CloseSocket(listener);
    if (platform::WaitForSocket(near, platform::SocketWaitFor::Writing, nullptr, 3000) !=
            platform::SocketReady::Ready ||
        !platform::ConnectSucceeded(near) || exchange == platform::kNoSocket)
      return;
    Access::Socket(client) = near;
    ready = true;
  }
};

bool SendAll(platform::SocketHandle socket, const std::string& bytes) {
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    const long n = platform::SendSome(socket, bytes.data() + sent, bytes.size() - sent);
    if (n > 0) {
      sent += static_cast<std::size_t>(n);
    } else if (platform::WaitForSocket(socket, platform::SocketWaitFor::Writing, nullptr, 3000) !=
               platform::SocketReady::Ready) {
      return false;
    }
  }
  return true;
}

}  // namespace

void FuzzReadBlockChunks(const std::vector<std::string>& chunks) {
  static LoopbackPair* pair = new LoopbackPair();  // lives as long as the process
  if (!pair->ready) return;
  KestoBrimoClientAsync& client = pair->client;
  std::string& buffer = Access::RecvBuffer(client);
  buffer.clear();

  std::size_t written = 0;
  std::size_t taken = 0;  // bytes that left the buffer as blocks and their terminators
  std::string sent;
  std::string rebuilt;
  for (const std::string& chunk : chunks) {
    FuzzCheck(chunk.find('\0') == std::string::npos, "a chunk for ReadBlock holds a zero byte");
    if (!SendAll(pair->exchange, chunk)) return;
    written += chunk.size();
    sent += chunk;
    // Every byte written is read before the next chunk goes out, so no call
    // waits for data that is not coming.
    while (taken + buffer.size() < written || buffer.find(kBlockTerminator) != std::string::npos) {
      std::string block;
      const KBRStatus status = Access::ReadBlock(client, block);
      FuzzCheck(status == KBRStatus_Ok || status == KBRStatus_PartialBlock,
                "ReadBlock gave neither a block nor a partial one while bytes were waiting");
      if (status == KBRStatus_Ok) {
        FuzzCheck(block.find(kBlockTerminator) == std::string::npos, "a block from ReadBlock holds a terminator");
        rebuilt += block;
        rebuilt += kBlockTerminator;
        taken += block.size() + 1;
      }
    }
  }
  FuzzCheck(rebuilt + buffer == sent, "ReadBlock's blocks and buffer differ from the bytes sent");
  buffer.clear();
}
