// Cutting received bytes into blocks, and framing an outgoing request.
#include "protocol/Framing.h"

#include <cstring>

void AppendReceivedChunk(std::string& buffer, const char* data, std::size_t size) {
  const void* zero = std::memchr(data, '\0', size);
  if (zero) size = static_cast<std::size_t>(static_cast<const char*>(zero) - data);
  buffer.append(data, size);
}

bool CutBlock(std::string& buffer, std::string& block) {
  const std::size_t end = buffer.find(kBlockTerminator);
  if (end == std::string::npos) return false;
  block.assign(buffer, 0, end);
  buffer.erase(0, end + 1);
  return true;
}

std::string FrameRequest(const std::string& utf8Text) {
  std::string frame = utf8Text;
  frame += kBlockTerminator;
  frame += '\0';
  return frame;
}
