// Block framing on the wire: every block ends with the byte 0x08. The client
// sends 0x08 0x00 after each request; the exchange ends its blocks with 0x08 alone.
#pragma once

#include <cstddef>
#include <string>

constexpr char kBlockTerminator = '\x08';

// Appends one received chunk the way the client takes it: only the bytes
// before its first zero byte, if it holds one.
void AppendReceivedChunk(std::string& buffer, const char* data, std::size_t size);

// Moves the first complete block (without its terminator) from the front of
// `buffer` into `block`. False, with `buffer` untouched, when no terminator is buffered.
bool CutBlock(std::string& buffer, std::string& block);

// The bytes one request goes out as: its text, 0x08, 0x00.
std::string FrameRequest(const std::string& utf8Text);
