// The client object: its queues, connection parameters, directory copies,
// the process-wide request counter. The worker lives in Worker.cpp.
#include "client/KestoBrimoClientAsync.h"

#include <mutex>

#include "client/DebugLog.h"
#include "platform/clock.h"

const char* const kDisconnectMarkerText = "Disconnect";

namespace {
constexpr std::int32_t kLargestCommandId = 2147483647;
std::atomic<std::int32_t> NextCommandId{1};
}  // namespace

std::int32_t PeekNextCommandId() { return NextCommandId.load(); }

std::int32_t TakeNextCommandId() {
  // Atomic as well as locked: tests and tools may run several clients in one process.
  std::int32_t id = NextCommandId.load();
  while (!NextCommandId.compare_exchange_weak(id, id == kLargestCommandId ? 1 : id + 1)) {
  }
  return id;
}

void SetNextCommandIdForTesting(std::int32_t value) { NextCommandId.store(value); }

KestoBrimoClientAsync::KestoBrimoClientAsync() = default;

KestoBrimoClientAsync::~KestoBrimoClientAsync() {
  if (ThreadId.load() != 0 || ThreadHandle.Joinable()) Disconnect();
}

void KestoBrimoClientAsync::SetConnectionParam(const std::string& serverName, int port, const std::string& login,
                                               const std::string& password) {
  std::lock_guard<platform::Mutex> hold(Lock);
  ServerName = serverName;
  Port = port;
  Login = login;
  Password = password;
}

bool KestoBrimoClientAsync::GetClientResponce(KestoBrimo_AsyncResponce& Responce) {
  std::lock_guard<platform::Mutex> hold(Lock);
  if (ResponseQueue.empty()) return false;
  Responce = std::move(ResponseQueue.front());
  ResponseQueue.pop_front();
  return true;
}

bool KestoBrimoClientAsync::GetClientResponce(KestoBrimo_AsyncResponce& Responce, std::uint32_t waitMs) {
  const std::uint64_t deadline = platform::MonotonicMs() + waitMs;
  for (;;) {
    if (GetClientResponce(Responce)) return true;
    const std::uint64_t now = platform::MonotonicMs();
    if (now >= deadline) return false;
    // A set left over from a response already taken only costs one more look.
    responseQueued_.Wait(static_cast<std::uint32_t>(deadline - now));
  }
}

void KestoBrimoClientAsync::SetResponseNotify(ResponseNotify notify, void* context) {
  std::lock_guard<platform::Mutex> hold(Lock);
  notify_ = notify;
  notifyContext_ = context;
}

void KestoBrimoClientAsync::QueueResponse(KestoBrimo_AsyncResponce record) {
  ResponseNotify notify;
  void* context;
  {
    std::lock_guard<platform::Mutex> hold(Lock);
    ResponseQueue.push_back(std::move(record));
    notify = notify_;
    context = notifyContext_;
  }
  responseQueued_.Set();
  if (notify != nullptr) notify(context);
}

std::map<std::int32_t, std::string> KestoBrimoClientAsync::GetCarrierTypeDirectory() {
  std::lock_guard<platform::Mutex> hold(Lock);
  return CarrierTypeDirectory;
}

std::map<std::int32_t, std::string> KestoBrimoClientAsync::GetOrderStatusDirectory() {
  std::lock_guard<platform::Mutex> hold(Lock);
  return OrderStatusDirectory;
}

std::map<std::int32_t, std::string> KestoBrimoClientAsync::GetCityDirectory() {
  std::lock_guard<platform::Mutex> hold(Lock);
  return CityDirectory;
}

std::map<std::int32_t, KestoDirectoryItem> KestoBrimoClientAsync::GetTaxiDirectory() {
  std::lock_guard<platform::Mutex> hold(Lock);
  return TaxiDirectory;
}

std::string KestoBrimoClientAsync::GetCity(int CityId) {
  std::lock_guard<platform::Mutex> hold(Lock);
  const auto found = CityDirectory.find(CityId);
  return found == CityDirectory.end() ? std::string() : found->second;
}

KestoConnectionState KestoBrimoClientAsync::GetConnectionState() {
  KestoConnectionState state;
  state.Phase = phase_.load();
  state.LastBlockMonotonicMs = lastBlockMonotonicMs_.load();
  state.LastBlockTime = lastBlockTime_.load();
  std::lock_guard<platform::Mutex> hold(Lock);
  state.LastFailure = failureCause_;
  state.LastError = LastError;
  state.ServerName = triedServer_;
  state.Port = triedPort_;
  return state;
}
