// What a resent request relies on: an exchange remembers its answer to each
// (CommandId, request text) of an account this long and this many, so that a
// request sent again after a broken connection is answered, not handled twice.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr std::uint32_t kAnswerMemoryMs = 10 * 60 * 1000;
constexpr std::size_t kAnswerMemoryCount = 4096;
