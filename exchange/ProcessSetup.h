// What the kbexchange program asks of the operating system before it serves:
// enough descriptors for its peers, and a clean stop on a signal.
#pragma once

class ExchangeServer;

// 200 and more peers need more descriptors than some systems grant by default.
void RaiseDescriptorLimit();
// SIGINT and SIGTERM stop `server`; a peer that has gone never kills the
// program with SIGPIPE. Until ForgetStopSignals, `server` must stay alive.
void StopOnSignals(ExchangeServer& server);
void ForgetStopSignals();
