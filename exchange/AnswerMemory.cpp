// Remembered answers: found by command id and request text, dropped oldest
// first by age and by count.
#include "exchange/AnswerMemory.h"

#include "protocol/AnswerMemoryLimits.h"

namespace {
constexpr std::int64_t kAnswerMemorySec = kAnswerMemoryMs / 1000;
}  // namespace

AnswerMemory::Key AnswerMemory::KeyOf(std::uint32_t commandId, const std::string& text) {
  return {commandId, CalcMD5(text.data(), static_cast<std::uint32_t>(text.size()))};
}

void AnswerMemory::ForgetOld(std::int64_t now) {
  // Whole seconds: an answer older than the age by less than a second is still kept.
  while (!oldestFirst_.empty() && now - oldestFirst_.front()->second.Time > kAnswerMemorySec) {
    entries_.erase(oldestFirst_.front());
    oldestFirst_.pop_front();
  }
}

const AnswerMemory::Answer* AnswerMemory::Find(std::uint32_t commandId, const std::string& text, std::int64_t now) {
  ForgetOld(now);
  const auto found = entries_.find(KeyOf(commandId, text));
  return found == entries_.end() ? nullptr : &found->second.Given;
}

void AnswerMemory::Remember(std::uint32_t commandId, const std::string& text, Answer answer, std::int64_t now) {
  ForgetOld(now);
  const auto placed = entries_.insert({KeyOf(commandId, text), Entry{std::move(answer), now}});
  // Found again only after Find missed it, so it is new here.
  if (!placed.second) return;
  oldestFirst_.push_back(placed.first);
  if (oldestFirst_.size() > kAnswerMemoryCount) {
    entries_.erase(oldestFirst_.front());
    oldestFirst_.pop_front();
  }
}
