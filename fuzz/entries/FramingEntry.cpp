// Fuzz entry: whatever the chunking, the blocks cut from a buffer and what is
// left in it give back exactly the bytes taken in, and a framed request comes
// back out as its text.
#include <string>
#include <vector>

#include "fuzz/entries/FuzzEntries.h"
#include "protocol/Framing.h"

void FuzzFraming(const std::uint8_t* data, std::size_t size) {
  // Chunk sizes from 1 to 64, drawn from a generator seeded by the input's
  // first bytes, so that the fuzzer steers the slicing too.
  const std::size_t seedBytes = size < 4 ? size : 4;
  std::uint32_t state = 0x9E3779B9u;
  for (std::size_t i = 0; i < seedBytes; ++i) state = state * 31u + data[i];
  auto nextChunkSize = [&state] {
    state = state * 1103515245u + 12345u;
    return 1 + ((state >> 16) % 64);
  };
  const char* bytes = reinterpret_cast<const char*>(data) + seedBytes;
  const std::size_t length = size - seedBytes;

  std::string buffer;
  std::vector<std::string> socketChunks;  // the same chunks, zero bytes made 0x01
  std::string taken;                      // what the buffer should have received: each chunk up to its first zero byte
  std::string rebuilt;
  std::string block;
  for (std::size_t at = 0; at < length;) {
    std::size_t n = nextChunkSize();
    if (n > length - at) n = length - at;
    const std::string chunk(bytes + at, n);
    taken += chunk.substr(0, chunk.find('\0'));
    AppendReceivedChunk(buffer, chunk.data(), chunk.size());
    socketChunks.push_back(chunk);
    for (char& c : socketChunks.back())
      if (c == '\0') c = '\x01';
    at += n;
    while (CutBlock(buffer, block)) {
      FuzzCheck(block.find(kBlockTerminator) == std::string::npos, "a block holds a terminator");
      rebuilt += block;
      rebuilt += kBlockTerminator;
    }
    FuzzCheck(buffer.find(kBlockTerminator) == std::string::npos, "a complete block stayed buffered");
  }
  rebuilt += buffer;
  FuzzCheck(rebuilt == taken, "blocks and the rest of the buffer differ from the bytes taken in");
  FuzzCheck(taken.find('\0') == std::string::npos, "a zero byte was buffered");

  FuzzReadBlockChunks(socketChunks);

  // One request framed and received in one chunk comes back as its text
  // when the text holds neither a zero byte nor the terminator.
  const std::string text(bytes, length);
  if (text.find('\0') == std::string::npos && text.find(kBlockTerminator) == std::string::npos) {
    const std::string frame = FrameRequest(text);
    std::string received;
    AppendReceivedChunk(received, frame.data(), frame.size());
    FuzzCheck(CutBlock(received, block) && block == text && received.empty(),
              "a framed request did not come back as its text");
  }
}
