// The demo exchange's network side: one thread, one poll() loop over the
// listening socket and every connection, so that every exchange action (the
// first acceptor wins, for one) happens in one place, one at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "exchange/Exchange.h"

constexpr std::uint16_t kDefaultExchangePort = 17171;

struct ServerOptions {
  std::string BindAddress = "127.0.0.1";
  std::uint16_t Port = kDefaultExchangePort;  // 0: the system picks one
  bool Demo = false;
  std::uint32_t DemoPeriodMs = 4000;
  // After this long the simulated services fall quiet, so that a run can
  // compare what a desk shows with an exchange that no longer changes; 0: never.
  std::uint32_t DemoForMs = 0;
  std::size_t MaxConnections = 1000;
  std::size_t MaxBlockBytes = 1 << 20;      // an unterminated block beyond this drops the peer
  std::size_t MaxPendingOutput = 4u << 20;  // unsent bytes beyond this drop the peer
};

class ExchangeServer {
 public:
  ExchangeServer(ExchangeData data, ServerOptions options, Exchange::LogSink log);
  ~ExchangeServer();
  ExchangeServer(const ExchangeServer&) = delete;
  ExchangeServer& operator=(const ExchangeServer&) = delete;

  // Opens the listening socket; false with a reason when it cannot.
  bool Listen(std::string& error);
  // The port listened on, once Listen succeeded.
  std::uint16_t Port() const;
  // Serves until Stop is called; closes every connection before it returns.
  void Run();
  // Safe from any thread and from a signal handler.
  void Stop();
  // The exchange served; its state is loaded before Run and saved after it.
  Exchange& Core();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};
