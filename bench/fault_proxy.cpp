// The fault-injecting proxy: one listener thread, two pump threads per
// connection. Sockets stay open until Stop, so no thread ever touches a
// descriptor that another connection has reused.
#include "bench/fault_proxy.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <mutex>
#include <random>
#include <set>
#include <thread>
#include <vector>

namespace {

void Pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

bool SendAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL);
    if (n <= 0) return false;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

// Drops the connection at once with a reset to the peer. Unlike close(), the
// descriptor stays valid, so the other pump of the link can still poll it
// safely and simply finds the connection gone.
void ResetNow(int fd) {
  sockaddr unspecified{};
  unspecified.sa_family = AF_UNSPEC;
  ::connect(fd, &unspecified, sizeof unspecified);
}

}  // namespace

struct FaultProxy::Link {
  int client = -1;
  int upstream = -1;
  int number = 0;
  std::atomic<bool> reset{false};
};

struct FaultProxy::Impl {
  std::string host;
  int upstreamPort = 0;
  FaultPlan plan;
  Tap tap;
  std::mutex tapLock;
  int listener = -1;
  int port = 0;
  std::atomic<bool> stopping{false};
  std::thread acceptor;
  mutable std::mutex lock;
  std::vector<std::thread> pumps;
  std::vector<std::shared_ptr<Link>> links;
  std::set<int> resetLinks;
  std::mt19937 rng;
};

FaultProxy::FaultProxy(std::string upstreamHost, int upstreamPort, FaultPlan plan, Tap tap) : impl_(new Impl) {
  impl_->host = std::move(upstreamHost);
  impl_->upstreamPort = upstreamPort;
  impl_->plan = plan;
  impl_->tap = std::move(tap);
  impl_->rng.seed(plan.seed);
}

FaultProxy::~FaultProxy() { Stop(); }

int FaultProxy::Port() const { return impl_->port; }

bool FaultProxy::WasReset(int number) const {
  std::lock_guard<std::mutex> hold(impl_->lock);
  return impl_->resetLinks.count(number) > 0;
}

bool FaultProxy::Start() {
  Impl& p = *impl_;
  p.listener = ::socket(AF_INET, SOCK_STREAM, 0);
  if (p.listener < 0) return false;
  const int yes = 1;
  ::setsockopt(p.listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::bind(p.listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(p.listener, 16) != 0)
    return false;
  socklen_t len = sizeof addr;
  ::getsockname(p.listener, reinterpret_cast<sockaddr*>(&addr), &len);
  p.port = ntohs(addr.sin_port);
  p.acceptor = std::thread([this] { Accept(); });
  return true;
}

void FaultProxy::Accept() {
  Impl& p = *impl_;
  while (!p.stopping) {
    pollfd waiting{p.listener, POLLIN, 0};
    if (::poll(&waiting, 1, 100) <= 0) continue;
    const int client = ::accept(p.listener, nullptr, nullptr);
    if (client < 0) continue;
    const int upstream = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<std::uint16_t>(p.upstreamPort));
    ::inet_pton(AF_INET, p.host.c_str(), &to.sin_addr);
    if (upstream < 0 || ::connect(upstream, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) {
      if (upstream >= 0) ::close(upstream);
      ::close(client);
      continue;
    }
    const int one = 1;
    ::setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    ::setsockopt(upstream, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    auto link = std::make_shared<Link>();
    link->client = client;
    link->upstream = upstream;
    link->number = ++connections_;
    std::lock_guard<std::mutex> hold(p.lock);
    p.links.push_back(link);
    const std::uint32_t seedUp = p.rng(), seedDown = p.rng();
    p.pumps.emplace_back([this, link, seedUp] { Pump(link, ProxyDirection::ToExchange, seedUp); });
    p.pumps.emplace_back([this, link, seedDown] { Pump(link, ProxyDirection::ToClient, seedDown); });
  }
}

void FaultProxy::ResetLink(Link& link) {
  if (link.reset.exchange(true)) return;
  ++resets_;
  {
    std::lock_guard<std::mutex> hold(impl_->lock);
    impl_->resetLinks.insert(link.number);
  }
  ResetNow(link.client);
  ResetNow(link.upstream);
}

void FaultProxy::Pump(const std::shared_ptr<Link>& link, ProxyDirection direction, std::uint32_t seed) {
  Impl& p = *impl_;
  const bool toExchange = direction == ProxyDirection::ToExchange;
  const int from = toExchange ? link->client : link->upstream;
  const int to = toExchange ? link->upstream : link->client;
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> chance(0.0, 1.0);
  std::vector<char> buffer(4096);
  const auto tap = [&](const std::string& bytes, bool delivered) {
    if (!p.tap) return;
    std::lock_guard<std::mutex> hold(p.tapLock);
    p.tap(link->number, direction, bytes, delivered);
  };

  while (!p.stopping && !link->reset) {
    pollfd waiting{from, POLLIN, 0};
    if (::poll(&waiting, 1, 100) <= 0) continue;
    const ssize_t n = ::recv(from, buffer.data(), buffer.size(), 0);
    if (n <= 0) break;
    const std::string chunk(buffer.data(), static_cast<std::size_t>(n));
    if (chance(rng) < p.plan.resetChance) {
      tap(chunk, false);
      ResetLink(*link);
      return;
    }
    if (chance(rng) < p.plan.stallChance) {
      ++stalls_;
      Pause(p.plan.stallMs);
    } else if (chance(rng) < p.plan.latencyChance) {
      ++delays_;
      Pause(std::uniform_int_distribution<int>(1, p.plan.maxLatencyMs)(rng));
    }
    bool ok = true;
    if (chance(rng) < p.plan.sliceChance) {
      ++slices_;
      for (char c : chunk)
        if (!(ok = SendAll(to, &c, 1))) break;
    } else {
      ok = SendAll(to, chunk.data(), chunk.size());
    }
    tap(chunk, ok);
    if (!ok) break;
  }
  // An orderly end on one side is passed on as one on the other.
  if (!link->reset) ::shutdown(to, SHUT_WR);
}

void FaultProxy::Stop() {
  Impl& p = *impl_;
  if (p.stopping.exchange(true)) return;
  if (p.acceptor.joinable()) p.acceptor.join();
  std::vector<std::thread> pumps;
  std::vector<std::shared_ptr<Link>> links;
  {
    std::lock_guard<std::mutex> hold(p.lock);
    pumps.swap(p.pumps);
    links = p.links;
  }
  // Unblocks a pump that waits in a send to a peer that no longer reads.
  for (const auto& link : links) {
    ::shutdown(link->client, SHUT_RDWR);
    ::shutdown(link->upstream, SHUT_RDWR);
  }
  for (auto& t : pumps) t.join();
  for (const auto& link : links) {
    ::close(link->client);
    ::close(link->upstream);
  }
  if (p.listener >= 0) ::close(p.listener);
}
