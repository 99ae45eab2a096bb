// The connection to the exchange as the desk shows it: a plain copy of the
// client's state taken on every tick, and the state line built from it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class KestoBrimoClientAsync;

enum class DeskLinkPhase { NotRunning, Connecting, WaitingForChallenge, LoggingIn, LoggedIn, WaitingToReconnect };

// Why the last connection attempt or connection ended.
enum class DeskLinkCause {
  None,
  Refused,
  TimedOut,
  Unreachable,
  NameNotFound,
  ClosedByExchange,
  Reset,
  BadData,
  SendFailed,
  Other
};

struct DeskLinkState {
  DeskLinkPhase phase = DeskLinkPhase::NotRunning;
  DeskLinkCause cause = DeskLinkCause::None;
  std::string errorText;  // the client's last error, shown for DeskLinkCause::Other
  std::string server;
  int port = 0;
  std::int64_t lastBlockTime = 0;  // seconds since 1970; 0 before the first block
};

// The one place where the desk reads the client's connection state.
DeskLinkState LinkStateOf(KestoBrimoClientAsync& client);

// The state line: the phase ("На связи", "Связь потеряна: <причина>, повтор…"),
// or "Вход отклонён: <refusal>" while the exchange's refusal stands; then
// how many rows are grey, and the time of the last block received.
std::string StateLineText(const DeskLinkState& link, const std::string& refusal, std::size_t staleRows);
