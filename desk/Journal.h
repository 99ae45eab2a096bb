// The shift's journal: one line for every answer and notification the desk
// receives, newest at the top, the oldest dropped beyond kJournalLines. The
// journal's list view holds the lines; nothing else keeps them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "desk/ListView.h"
#include "platform/clock.h"
#include "protocol/KestoRecords.h"

constexpr int kJournalLines = 1000;

// What the desk knows of a request it sent: its command and the order it names.
struct SentCommand {
  std::int32_t commandCode = 0;
  std::int32_t orderId = 0;
};

struct JournalLine {
  std::string time;  // local "hh:mm:ss dd.mm.yyyy"
  std::string command;
  std::string orderId;  // empty when the message names no order
  std::string status;
  std::string text;  // the exchange's own words
};

// The line for a received message; `sent` is the request it answers, if
// known, and `commandName` the operator's name for its command (empty when it
// has none: the exchange's name is shown then).
JournalLine JournalLineFor(const KestoBrimo_AsyncResponce& response, const SentCommand* sent,
                           const std::string& commandName, const platform::LocalTime& now);

// A line the desk writes itself, about an order: its words in the message column.
JournalLine DeskJournalLine(const char* command, std::int32_t orderId, const std::string& text,
                            const platform::LocalTime& now);

// Prepares the journal's empty list: its columns.
void SetJournalColumns(KestoListView& journal);
// Puts `line` at the top, dropping lines beyond kJournalLines.
void AddJournalLine(KestoListView& journal, const JournalLine& line);
