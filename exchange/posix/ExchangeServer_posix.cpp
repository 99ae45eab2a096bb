// The exchange's poll() loop over POSIX sockets: accepting, reading blocks,
// writing queued output, dropping misbehaving peers, ticking expiry and the
// demo traffic, and stopping on request through a self-pipe.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <map>
#include <vector>

#include "exchange/BlockReader.h"
#include "exchange/DemoTraffic.h"
#include "exchange/ExchangeServer.h"
#include "platform/clock.h"

namespace {

bool SetNonBlocking(int fd) {
  const int flags = fcntl(fd, F_GETFL, 0);
  return flags >= 0 && fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

struct Connection {
  int Fd = -1;
  SessionId Session = kNoSession;
  BlockReader Reader;
  std::string Output;
  std::size_t Sent = 0;  // bytes of Output already written
  bool CloseWhenFlushed = false;
  explicit Connection(std::size_t maxBlock) : Reader(maxBlock) {}
};

}  // namespace

struct ExchangeServer::Impl {
  Impl(ExchangeData data, ServerOptions opts, Exchange::LogSink logSink)
      : options(std::move(opts)),
        log(logSink),
        exchange(std::move(data), logSink),
        demo(exchange, std::random_device{}()) {}

  ServerOptions options;
  Exchange::LogSink log;
  Exchange exchange;
  DemoTraffic demo;
  int listenFd = -1;
  int wakeRead = -1;
  int wakeWrite = -1;
  std::uint16_t port = 0;
  std::atomic<bool> stopping{false};
  std::map<SessionId, Connection> connections;

  void Log(const std::string& line) {
    if (log) log(line);
  }
  void Accept();
  void Read(Connection& c);
  void Write(Connection& c);
  void Drop(SessionId session, const std::string& why);
  void Deliver();
  void CloseAll();
};

ExchangeServer::ExchangeServer(ExchangeData data, ServerOptions options, Exchange::LogSink log)
    : impl_(new Impl(std::move(data), std::move(options), std::move(log))) {}

ExchangeServer::~ExchangeServer() {
  impl_->CloseAll();
  if (impl_->listenFd >= 0) close(impl_->listenFd);
  if (impl_->wakeRead >= 0) close(impl_->wakeRead);
  if (impl_->wakeWrite >= 0) close(impl_->wakeWrite);
}

std::uint16_t ExchangeServer::Port() const { return impl_->port; }

Exchange& ExchangeServer::Core() { return impl_->exchange; }

bool ExchangeServer::Listen(std::string& error) {
  Impl& s = *impl_;
  int pipeFds[2];
  if (pipe(pipeFds) != 0) {
    error = std::string("pipe: ") + std::strerror(errno);
    return false;
  }
  s.wakeRead = pipeFds[0];
  s.wakeWrite = pipeFds[1];
  SetNonBlocking(s.wakeRead);
  SetNonBlocking(s.wakeWrite);

  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(s.options.Port);
  if (inet_pton(AF_INET, s.options.BindAddress.c_str(), &address.sin_addr) != 1) {
    error = "not an IPv4 address: " + s.options.BindAddress;
    return false;
  }
  s.listenFd = socket(AF_INET, SOCK_STREAM, 0);
  if (s.listenFd < 0) {
    error = std::string("socket: ") + std::strerror(errno);
    return false;
  }
  const int yes = 1;
  setsockopt(s.listenFd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  if (bind(s.listenFd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(s.listenFd, 256) != 0 ||
      !SetNonBlocking(s.listenFd)) {
    error = s.options.BindAddress + ":" + std::to_string(s.options.Port) + ": " + std::strerror(errno);
    return false;
  }
  socklen_t length = sizeof address;
  getsockname(s.listenFd, reinterpret_cast<sockaddr*>(&address), &length);
  s.port = ntohs(address.sin_port);
  return true;
}

void ExchangeServer::Stop() {
  impl_->stopping.store(true);
  if (impl_->wakeWrite >= 0) {
    const char byte = 1;
    // A full pipe already holds a wake-up; nothing more to do then.
    ssize_t ignored = write(impl_->wakeWrite, &byte, 1);
    (void)ignored;
  }
}

void ExchangeServer::Impl::Accept() {
  for (;;) {
    sockaddr_in peer{};
    socklen_t length = sizeof peer;
    const int fd = accept(listenFd, reinterpret_cast<sockaddr*>(&peer), &length);
    if (fd < 0) {
      if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR && errno != ECONNABORTED) {
        Log(std::string("accept: ") + std::strerror(errno));
      }
      return;
    }
    char host[INET_ADDRSTRLEN] = "?";
    inet_ntop(AF_INET, &peer.sin_addr, host, sizeof host);
    const std::string name = std::string(host) + ":" + std::to_string(ntohs(peer.sin_port));
    if (connections.size() >= options.MaxConnections || !SetNonBlocking(fd)) {
      Log("connection from " + name + " refused: too many connections");
      close(fd);
      continue;
    }
    const SessionId session = exchange.OpenSession(name);
    auto inserted = connections.emplace(session, Connection(options.MaxBlockBytes));
    inserted.first->second.Fd = fd;
    inserted.first->second.Session = session;
  }
}

void ExchangeServer::Impl::Drop(SessionId session, const std::string& why) {
  auto it = connections.find(session);
  if (it == connections.end()) return;
  close(it->second.Fd);
  connections.erase(it);
  exchange.CloseSession(session, why);
}

void ExchangeServer::Impl::Read(Connection& c) {
  char chunk[65536];
  const ssize_t got = recv(c.Fd, chunk, sizeof chunk, 0);
  if (got == 0) {
    Drop(c.Session, "peer closed");
    return;
  }
  if (got < 0) {
    if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) Drop(c.Session, std::strerror(errno));
    return;
  }
  const SessionId session = c.Session;
  c.Reader.Append(chunk, static_cast<std::size_t>(got));
  std::string block;
  while (c.Reader.Next(block)) {
    if (exchange.HandleBlock(session, block, platform::NowSeconds()) == Exchange::Verdict::Drop) {
      Deliver();
      Drop(session, "not a protocol block");
      return;
    }
    // The answers of one block go out before the next block is read, so a
    // peer that never reads cannot pile up unbounded output.
    Deliver();
    auto it = connections.find(session);
    if (it == connections.end() || it->second.CloseWhenFlushed) return;
  }
  if (c.Reader.Overflowed()) Drop(session, "block too long");
}

void ExchangeServer::Impl::Write(Connection& c) {
  while (c.Sent < c.Output.size()) {
    const ssize_t sent = send(c.Fd, c.Output.data() + c.Sent, c.Output.size() - c.Sent, MSG_NOSIGNAL);
    if (sent < 0) {
      if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) break;
      Drop(c.Session, std::strerror(errno));
      return;
    }
    c.Sent += static_cast<std::size_t>(sent);
  }
  if (c.Sent == c.Output.size()) {
    c.Output.clear();
    c.Sent = 0;
    if (c.CloseWhenFlushed) Drop(c.Session, "login refused");
  } else if (c.Sent > c.Output.size() / 2) {
    c.Output.erase(0, c.Sent);
    c.Sent = 0;
  }
}

void ExchangeServer::Impl::Deliver() {
  std::vector<SessionId> overfull;
  for (OutgoingBlock& block : exchange.TakeOutgoing()) {
    auto it = connections.find(block.Session);
    if (it == connections.end()) continue;
    Connection& c = it->second;
    if (c.Output.size() - c.Sent + block.Bytes.size() > options.MaxPendingOutput) {
      overfull.push_back(block.Session);
      continue;
    }
    c.Output += block.Bytes;
  }
  for (SessionId session : exchange.TakeClosing()) {
    auto it = connections.find(session);
    if (it != connections.end()) it->second.CloseWhenFlushed = true;
  }
  for (SessionId session : overfull) Drop(session, "does not read its messages");
}

void ExchangeServer::Impl::CloseAll() {
  while (!connections.empty()) Drop(connections.begin()->first, "exchange stopping");
}

void ExchangeServer::Run() {
  Impl& s = *impl_;
  if (s.options.Demo && !s.demo.HasActors()) s.Log("demo: the data file marks no service as simulated");
  std::uint64_t nextExpiry = platform::MonotonicMs();
  std::uint64_t nextDemo = platform::MonotonicMs() + 1000;
  const std::uint64_t demoEnd = s.options.DemoForMs == 0 ? UINT64_MAX : platform::MonotonicMs() + s.options.DemoForMs;
  std::vector<pollfd> fds;
  std::vector<SessionId> polled;
  while (!s.stopping.load()) {
    fds.clear();
    polled.clear();
    fds.push_back(pollfd{s.wakeRead, POLLIN, 0});
    fds.push_back(pollfd{s.listenFd, POLLIN, 0});
    for (auto& entry : s.connections) {
      Connection& c = entry.second;
      short events = c.CloseWhenFlushed ? 0 : POLLIN;
      if (c.Sent < c.Output.size()) events |= POLLOUT;
      fds.push_back(pollfd{c.Fd, events, 0});
      polled.push_back(entry.first);
    }
    const std::uint64_t now = platform::MonotonicMs();
    std::uint64_t wakeAt = nextExpiry;
    if (s.options.Demo && nextDemo < wakeAt) wakeAt = nextDemo;
    const int timeout = wakeAt > now ? static_cast<int>(wakeAt - now) : 0;
    const int ready = poll(fds.data(), fds.size(), timeout);
    if (ready < 0 && errno != EINTR) {
      s.Log(std::string("poll: ") + std::strerror(errno));
      break;
    }
    if (ready > 0) {
      if (fds[0].revents) {
        char drain[64];
        while (read(s.wakeRead, drain, sizeof drain) > 0) {
        }
      }
      if (fds[1].revents & POLLIN) {
        s.Accept();
        s.Deliver();  // the new peers' authentication blocks
      }
      for (std::size_t i = 0; i < polled.size(); ++i) {
        const short revents = fds[i + 2].revents;
        if (!revents) continue;
        auto it = s.connections.find(polled[i]);
        if (it == s.connections.end()) continue;
        if (revents & (POLLERR | POLLNVAL)) {
          s.Drop(polled[i], "socket error");
          continue;
        }
        if (revents & POLLOUT) {
          s.Write(it->second);
          it = s.connections.find(polled[i]);
          if (it == s.connections.end()) continue;
        }
        if (revents & (POLLIN | POLLHUP)) s.Read(it->second);
      }
    }
    const std::uint64_t after = platform::MonotonicMs();
    if (after >= nextExpiry) {
      s.exchange.ExpireOrders(platform::NowSeconds());
      s.Deliver();
      nextExpiry = after + 1000;
    }
    if (s.options.Demo && after >= nextDemo && after < demoEnd) {
      s.demo.Step(platform::NowSeconds());
      s.Deliver();
      nextDemo = after + s.options.DemoPeriodMs;
    }
    // Output queued for peers other than the one being served goes out on
    // the next turn, when poll() reports them writable.
  }
  s.CloseAll();
}
