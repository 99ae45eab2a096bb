// The demo exchange served on 127.0.0.1 and an ephemeral port by a thread of
// the test, and a raw TCP peer that speaks to it byte by byte (POSIX only).
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

#include "ExchangeTestData.h"
#include "exchange/BlockReader.h"
#include "exchange/ExchangeServer.h"
#include "platform/clock.h"

class RunningExchange {
 public:
  explicit RunningExchange(ServerOptions options = ServerOptions()) {
    options.Port = 0;
    server_.reset(new ExchangeServer(TestExchangeData(), options, [this](const std::string& line) {
      std::lock_guard<std::mutex> hold(logLock_);
      log_ += line + "\n";
    }));
    std::string error;
    if (!server_->Listen(error)) throw std::runtime_error("listen: " + error);
    done_ = std::async(std::launch::async, [this] { server_->Run(); });
  }
  ~RunningExchange() { Stop(); }

  // True when the loop ended within the bound.
  bool Stop() {
    if (!done_.valid()) return true;
    server_->Stop();
    const bool ended = done_.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
    if (ended) done_.get();
    return ended;
  }
  std::uint16_t Port() const { return server_->Port(); }
  std::string Log() {
    std::lock_guard<std::mutex> hold(logLock_);
    return log_;
  }

 private:
  std::unique_ptr<ExchangeServer> server_;
  std::future<void> done_;
  std::mutex logLock_;
  std::string log_;
};

// One request as the client frames it: text, line feed, 0x08, 0x00.
inline std::string Framed(const Json::Value& request) { return JsonText(request) + "\n" + std::string("\x08\0", 2); }

class RawPeer {
 public:
  explicit RawPeer(std::uint16_t port) : fd_(socket(AF_INET, SOCK_STREAM, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd_ < 0 || connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
      throw std::runtime_error("cannot connect to the exchange");
    }
  }
  ~RawPeer() { close(fd_); }
  RawPeer(const RawPeer&) = delete;
  RawPeer& operator=(const RawPeer&) = delete;

  bool SendBytes(const std::string& bytes) {
    return send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) == ssize_t(bytes.size());
  }
  bool SendRequest(const Json::Value& request) { return SendBytes(Framed(request)); }

  // The next block as JSON; null after five seconds without one or when closed.
  Json::Value Read() {
    const std::uint64_t deadline = platform::MonotonicMs() + 5000;
    std::string block;
    while (!reader_.Next(block)) {
      if (!Receive(deadline)) return Json::Value();
    }
    Json::Value value;
    ParseJsonText(block, value);
    return value;
  }
  // Reads past notifications to the answer to request `commandId`.
  Json::Value ReadAnswer(unsigned commandId) {
    for (Json::Value m = Read();; m = Read()) {
      if (m.isNull() || (m["CommandId"].asUInt() == commandId && m["CommandCode"].asInt() != 0)) return m;
    }
  }
  // True when the exchange closes the connection within five seconds.
  bool Closed() {
    const std::uint64_t deadline = platform::MonotonicMs() + 5000;
    while (!closed_ && Receive(deadline)) {
    }
    return closed_;
  }
  // Reads the authentication block and logs in; the answer to the login.
  Json::Value Login(const std::string& login, const std::string& password) {
    SendRequest(LoginRequest(login, password, Read()["RndStr"].asString()));
    return Read();
  }

 private:
  bool Receive(std::uint64_t deadline) {
    const std::uint64_t now = platform::MonotonicMs();
    pollfd p{fd_, POLLIN, 0};
    if (closed_ || now >= deadline || poll(&p, 1, static_cast<int>(deadline - now)) <= 0) return false;
    char chunk[65536];
    const ssize_t n = recv(fd_, chunk, sizeof chunk, 0);
    closed_ = n <= 0;
    if (n > 0) reader_.Append(chunk, static_cast<std::size_t>(n));
    return n > 0;
  }

  int fd_;
  bool closed_ = false;
  BlockReader reader_{64 << 20};
};
