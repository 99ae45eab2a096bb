// The connection to the exchange as the desk shows it: the state line built
// from a copy of the client's connection state, taken on every tick.
#pragma once

#include <cstddef>
#include <string>

#include "client/KestoBrimoClientAsync.h"

// The client's connection state, with the server and port of the settings
// before the client has tried any.
KestoConnectionState LinkStateOf(KestoBrimoClientAsync& client);

// The state line: the phase ("На связи", "Связь потеряна: <причина>, повтор…"),
// or "Вход отклонён: <refusal>" while the exchange's refusal stands; then
// how many rows are grey, and the time of the last block received.
std::string StateLineText(const KestoConnectionState& link, const std::string& refusal, std::size_t staleRows);
