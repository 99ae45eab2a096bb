// The MD5 digest (RFC 1321) and the login password hash built from it.
#pragma once

#include <array>
#include <cstdint>
#include <string>

using Md5Digest = std::array<std::uint8_t, 16>;

// The MD5 digest of `length` bytes at `data`.
Md5Digest CalcMD5(const void* data, std::uint32_t length);

// The login proof: the MD5 digest of the bytes of `rndStr` followed directly
// by those of `password` (both code page 1251, as held in memory), written as
// 32 upper-case hexadecimal digits.
std::string PassHash(const std::string& rndStr, const std::string& password);
