// The demo exchange served by a thread of the benchmark on 127.0.0.1 and an
// ephemeral port, with its log lines handed to a callback.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "exchange/ExchangeServer.h"

class DemoExchange {
 public:
  using LogSink = std::function<void(const std::string&)>;
  explicit DemoExchange(LogSink log = LogSink());
  ~DemoExchange();
  DemoExchange(const DemoExchange&) = delete;
  DemoExchange& operator=(const DemoExchange&) = delete;

  bool Running() const { return running_; }
  std::uint16_t Port() const { return server_->Port(); }

 private:
  std::unique_ptr<ExchangeServer> server_;
  std::thread thread_;
  bool running_ = false;
};
