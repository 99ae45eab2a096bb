// A client logged in to a scripted exchange on 127.0.0.1: the handshake and
// the login answer done, the peer connection handed to the benchmark.
#pragma once

#include <memory>
#include <string>

#include "client/KestoBrimoClientAsync.h"
#include "support/FakeExchange.h"

class FakeSession {
 public:
  // Connects, sends the authentication block, reads the login request and
  // answers it with `directoriesText`; false when any step fails or
  // Authorized does not follow within a few seconds.
  bool Open(const std::string& directoriesText);
  ~FakeSession();

  KestoBrimoClientAsync& Client() { return client_; }
  FakePeer& Peer() { return *peer_; }

 private:
  FakeExchange exchange_;
  KestoBrimoClientAsync client_;
  std::unique_ptr<FakePeer> peer_;
};

// Waits, polling, until `client` is logged in; false after `ms`.
bool WaitAuthorized(KestoBrimoClientAsync& client, unsigned ms);
