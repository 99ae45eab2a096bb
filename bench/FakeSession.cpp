// Logging a client in to the scripted exchange.
#include "bench/FakeSession.h"

#include "bench/Notifications.h"
#include "platform/clock.h"
#include "platform/sync.h"

bool WaitAuthorized(KestoBrimoClientAsync& client, unsigned ms) {
  const std::uint64_t deadline = platform::MonotonicMs() + ms;
  while (!client.Authorized.load()) {
    if (platform::MonotonicMs() >= deadline) return false;
    platform::SleepMs(1);
  }
  return true;
}

bool FakeSession::Open(const std::string& directoriesText) {
  if (!exchange_.Listening()) return false;
  client_.SetConnectionParam("127.0.0.1", exchange_.Port(), "operator", "password");
  client_.Connect();
  peer_ = exchange_.Accept(5000);
  if (!peer_ || !peer_->SendBlock(AuthenticationText("bench"))) return false;
  std::string login;
  if (!peer_->ReadRequest(login, 5000) || !peer_->SendBlock(directoriesText)) return false;
  return WaitAuthorized(client_, 5000);
}

FakeSession::~FakeSession() {
  // The worker ends at the marker; the peer goes after it.
  client_.Disconnect();
}
