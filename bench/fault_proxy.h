// A TCP proxy for robustness runs: it sits between the client and the exchange
// and injects latency, 1-byte slicing, stalls and connection resets.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

struct FaultPlan {
  double latencyChance = 0.2;  // of a chunk being held back
  int maxLatencyMs = 30;
  double sliceChance = 0.2;  // of a chunk going out one byte per send
  double stallChance = 0.02;  // of a chunk being held for a long pause
  int stallMs = 1500;
  double resetChance = 0.01;  // of a chunk ending both connections with a reset instead
  std::uint32_t seed = 1;
};

enum class ProxyDirection { ToExchange, ToClient };

class FaultProxy {
 public:
  // Sees every chunk the proxy reads, in order per connection and direction,
  // tagged with the connection's number (from 1); `delivered` is false for
  // a chunk that a reset swallowed. Calls are serialised, never concurrent.
  using Tap = std::function<void(int connection, ProxyDirection direction, const std::string& bytes, bool delivered)>;

  FaultProxy(std::string upstreamHost, int upstreamPort, FaultPlan plan, Tap tap = nullptr);
  ~FaultProxy();
  FaultProxy(const FaultProxy&) = delete;
  FaultProxy& operator=(const FaultProxy&) = delete;

  // Listens on 127.0.0.1 and an ephemeral port; false if it cannot.
  bool Start();
  int Port() const;
  // Ends every connection and joins every thread; a stall in progress runs out first.
  void Stop();

  int Connections() const { return connections_.load(); }
  int Resets() const { return resets_.load(); }
  int Stalls() const { return stalls_.load(); }
  int Slices() const { return slices_.load(); }
  int Delays() const { return delays_.load(); }
  // Whether the proxy ended connection `number` with a reset.
  bool WasReset(int number) const;

 private:
  struct Impl;
  struct Link;
  void Accept();
  void Pump(const std::shared_ptr<Link>& link, ProxyDirection direction, std::uint32_t seed);
  void ResetLink(Link& link);

  std::unique_ptr<Impl> impl_;
  std::atomic<int> connections_{0};
  std::atomic<int> resets_{0};
  std::atomic<int> stalls_{0};
  std::atomic<int> slices_{0};
  std::atomic<int> delays_{0};
};
