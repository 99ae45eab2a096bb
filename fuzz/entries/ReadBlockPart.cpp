// The framing as the worker meets it: bytes written into a loopback TCP
// connection, chunk by chunk, and cut into blocks by the client's ReadBlock.
// One connection serves every input, so the run needs no new port per input.
#include <memory>
#include <string>

#include "client/KestoBrimoClientAsync.h"
#include "fuzz/entries/FuzzEntries.h"
#include "protocol/Framing.h"
#include "tests/support/ClientTestAccess.h"
#include "tests/support/FakeExchange.h"

namespace {

using Access = KestoBrimoClientTestAccess;

// The client connects as it does to the exchange; the accepted peer stands in for the exchange.
struct Loopback {
  bool started = platform::StartSockets();
  FakeExchange exchange;
  KestoBrimoClientAsync client;
  std::unique_ptr<FakePeer> peer;

  Loopback() {
    client.SetConnectionParam("127.0.0.1", exchange.Port(), "", "");
    if (started && exchange.Listening() && Access::TryConnect(client) == KBRStatus_Ok) peer = exchange.Accept();
  }
};

}  // namespace

void FuzzReadBlockChunks(const std::vector<std::string>& chunks) {
  static Loopback* loopback = new Loopback();  // lives as long as the process
  if (!loopback->peer) return;
  KestoBrimoClientAsync& client = loopback->client;
  std::string& buffer = Access::RecvBuffer(client);
  buffer.clear();

  std::size_t taken = 0;  // bytes that left the buffer as blocks and their terminators
  std::string sent;
  std::string rebuilt;
  for (const std::string& chunk : chunks) {
    FuzzCheck(chunk.find('\0') == std::string::npos, "a chunk for ReadBlock holds a zero byte");
    if (!loopback->peer->Send(chunk)) return;
    sent += chunk;
    // Every byte written is read before the next chunk goes out, so no call
    // waits for data that is not coming.
    while (taken + buffer.size() < sent.size() || buffer.find(kBlockTerminator) != std::string::npos) {
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
