// MD5 as RFC 1321 defines it, written from the algorithm's description, and
// the hexadecimal password hash of the login request.
#include "protocol/Md5.h"

#include <cstring>

namespace {

// floor(abs(sin(i + 1)) * 2^32), the per-step additive constants.
const std::uint32_t kSineTable[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391,
};

// Left-rotation amounts, four per round.
const int kShifts[4][4] = {{7, 12, 17, 22}, {5, 9, 14, 20}, {4, 11, 16, 23}, {6, 10, 15, 21}};

std::uint32_t RotateLeft(std::uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

std::uint32_t LoadLittleEndian(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

void StoreLittleEndian(std::uint32_t v, std::uint8_t* p) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

void TransformBlock(std::uint32_t state[4], const std::uint8_t block[64]) {
  std::uint32_t words[16];
  for (int i = 0; i < 16; ++i) words[i] = LoadLittleEndian(block + 4 * i);
  std::uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
  for (int step = 0; step < 64; ++step) {
    const int round = step / 16;
    std::uint32_t mixed;
    int wordIndex;
    switch (round) {
      case 0:
        mixed = (b & c) | (~b & d);
        wordIndex = step;
        break;
      case 1:
        mixed = (b & d) | (c & ~d);
        wordIndex = (5 * step + 1) % 16;
        break;
      case 2:
        mixed = b ^ c ^ d;
        wordIndex = (3 * step + 5) % 16;
        break;
      default:
        mixed = c ^ (b | ~d);
        wordIndex = (7 * step) % 16;
        break;
    }
    const std::uint32_t rotated =
        RotateLeft(a + mixed + kSineTable[step] + words[wordIndex], kShifts[round][step % 4]);
    a = d;
    d = c;
    c = b;
    b = b + rotated;
  }
  state[0] += a;
  state[1] += b;
  state[2] += c;
  state[3] += d;
}

// Takes a length of any size, so a text longer than 4 GiB is not cut short.
Md5Digest DigestOf(const std::uint8_t* bytes, std::uint64_t length) {
  std::uint32_t state[4] = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};
  std::uint64_t offset = 0;
  for (; length - offset >= 64; offset += 64) TransformBlock(state, bytes + offset);

  // Padding: 0x80, zeros up to 56 mod 64, then the bit length, little-endian, 64 bits.
  std::uint8_t tail[128] = {};
  const std::size_t rest = static_cast<std::size_t>(length - offset);
  if (rest > 0) std::memcpy(tail, bytes + offset, rest);
  tail[rest] = 0x80;
  const std::size_t tailSize = rest < 56 ? 64 : 128;
  const std::uint64_t bitLength = length * 8;
  for (int i = 0; i < 8; ++i) tail[tailSize - 8 + i] = static_cast<std::uint8_t>(bitLength >> (8 * i));
  TransformBlock(state, tail);
  if (tailSize == 128) TransformBlock(state, tail + 64);

  Md5Digest digest;
  for (int i = 0; i < 4; ++i) StoreLittleEndian(state[i], digest.data() + 4 * i);
  return digest;
}

}  // namespace

Md5Digest CalcMD5(const void* data, std::uint32_t length) {
  return DigestOf(static_cast<const std::uint8_t*>(data), length);
}

std::string PassHash(const std::string& rndStr, const std::string& password) {
  const std::string joined = rndStr + password;
  const Md5Digest digest = DigestOf(reinterpret_cast<const std::uint8_t*>(joined.data()), joined.size());
  static const char kHexDigits[] = "0123456789ABCDEF";
  std::string hex;
  hex.reserve(32);
  for (std::uint8_t b : digest) {
    hex += kHexDigits[b >> 4];
    hex += kHexDigits[b & 0x0F];
  }
  return hex;
}
