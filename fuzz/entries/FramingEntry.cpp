// Fuzz entry: whatever the chunking, the blocks cut from a buffer and what is left in it give back exactly the bytes
// taken in, directly and through the client's ReadBlock on a loopback connection, and a framed request comes back out
// as its text.
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

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

// The framing as the worker meets it: the chunks (none holds a zero byte) written in turn into one loopback
// connection, which serves every input (no new port each time), and cut by the client's ReadBlock.
void ReadBlockChunks(const std::vector<std::string>& chunks) {
  static Loopback* loopback = new Loopback();  // lives as long as the process
  if (!loopback->peer) return;
  std::string& buffer = Access::RecvBuffer(loopback->client);  // emptied after every input
  std::string sent, rebuilt;  // rebuilt: the blocks that left the buffer, each with its terminator
  for (const std::string& chunk : chunks) {
    if (!loopback->peer->Send(chunk)) break;
    sent += chunk;
    // Every byte written is read before the next chunk goes out: no call waits for data that is not coming.
    while (rebuilt.size() + buffer.size() < sent.size() || buffer.find(kBlockTerminator) != std::string::npos) {
      std::string block;
      const KBRStatus status = Access::ReadBlock(loopback->client, block);
      FuzzCheck(status == KBRStatus_Ok || status == KBRStatus_PartialBlock,
                "ReadBlock gave neither a block nor a partial one while bytes were waiting");
      if (status != KBRStatus_Ok) continue;
      FuzzCheck(block.find(kBlockTerminator) == std::string::npos, "a block from ReadBlock holds a terminator");
      rebuilt += block + kBlockTerminator;
    }
  }
  FuzzCheck(rebuilt + buffer == sent, "ReadBlock's blocks and buffer differ from the bytes sent");
  buffer.clear();
}

}  // namespace

void FuzzFraming(const std::uint8_t* data, std::size_t size) {
  // Chunk sizes from 1 to 64 by a generator seeded with the input's first bytes: the fuzzer steers the slicing too.
  std::uint32_t state = 0x9E3779B9u;
  std::size_t seedBytes = 0;
  for (; seedBytes < 4 && seedBytes < size; ++seedBytes) state = state * 31u + data[seedBytes];
  const std::string text(reinterpret_cast<const char*>(data) + seedBytes, size - seedBytes);
  std::vector<std::string> chunks;
  for (std::size_t at = 0; at < text.size(); at += chunks.back().size()) {
    state = state * 1103515245u + 12345u;
    chunks.push_back(text.substr(at, 1 + ((state >> 16) % 64)));
  }

  std::string buffer, rebuilt, block;
  std::string taken;  // what the buffer should have received: each chunk up to its first zero byte
  for (std::string& chunk : chunks) {
    taken += chunk.substr(0, chunk.find('\0'));
    AppendReceivedChunk(buffer, chunk.data(), chunk.size());
    while (CutBlock(buffer, block)) {
      FuzzCheck(block.find(kBlockTerminator) == std::string::npos, "a block holds a terminator");
      rebuilt += block + kBlockTerminator;
    }
    FuzzCheck(buffer.find(kBlockTerminator) == std::string::npos, "a complete block stayed buffered");
    std::replace(chunk.begin(), chunk.end(), '\0', '\x01');  // a socket carries the chunk without zero bytes
  }
  FuzzCheck(rebuilt + buffer == taken, "blocks and the rest of the buffer differ from the bytes taken in");

  ReadBlockChunks(chunks);

  // A request framed and received whole comes back as its text, unless that holds a zero byte or the terminator.
  if (text.find('\0') == std::string::npos && text.find(kBlockTerminator) == std::string::npos) {
    const std::string frame = FrameRequest(text);
    std::string received;
    AppendReceivedChunk(received, frame.data(), frame.size());
    FuzzCheck(CutBlock(received, block) && block == text && received.empty(),
              "a framed request did not come back as its text");
  }
}
