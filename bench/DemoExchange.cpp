// Starting and stopping the in-process demo exchange.
#include "bench/DemoExchange.h"

#include <iostream>

#include "bench/Notifications.h"

DemoExchange::DemoExchange(LogSink log) {
  ServerOptions options;
  options.Port = 0;
  server_.reset(new ExchangeServer(LoadDemoData(), options, [log](const std::string& line) {
    if (log) log(line);
  }));
  std::string error;
  if (!server_->Listen(error)) {
    std::cerr << "demo exchange: " << error << "\n";
    return;
  }
  thread_ = std::thread([this] { server_->Run(); });
  running_ = true;
}

DemoExchange::~DemoExchange() {
  server_->Stop();
  if (thread_.joinable()) thread_.join();
}
