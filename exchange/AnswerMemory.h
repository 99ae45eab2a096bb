// The answers the exchange gave to one account's requests, kept for a while so
// that a request sent again after a broken connection is answered again
// instead of being handled twice.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "protocol/Md5.h"

class AnswerMemory {
 public:
  struct Answer {
    std::vector<std::string> Blocks;  // framed, as they were sent to the requester
    std::int32_t OrderId = 0;         // the order the answer was about; 0 for none
  };

  // The answer to the request (`commandId`, `text`) if one was given within
  // the memory's age at `now` (seconds); otherwise null.
  const Answer* Find(std::uint32_t commandId, const std::string& text, std::int64_t now);
  // Keeps the newest answers only, within the count bound.
  void Remember(std::uint32_t commandId, const std::string& text, Answer answer, std::int64_t now);

 private:
  // The text's digest stands in for it: a request block may be long.
  using Key = std::pair<std::uint32_t, Md5Digest>;
  struct Entry {
    Answer Given;
    std::int64_t Time = 0;
  };
  static Key KeyOf(std::uint32_t commandId, const std::string& text);
  void ForgetOld(std::int64_t now);

  std::map<Key, Entry> entries_;
  std::deque<std::map<Key, Entry>::iterator> oldestFirst_;
};
