// Lets tests reach the client's internals: its queues, worker-owned state and steps.
#pragma once

#include <mutex>

#include "client/KestoBrimoClientAsync.h"

struct KestoBrimoClientTestAccess {
  using Client = KestoBrimoClientAsync;
  using Names = std::map<std::int32_t, std::string>;
  // A member read or written under the client's lock.
  template <typename T>
  static T Get(Client& c, T Client::*member) {
    std::lock_guard<platform::Mutex> hold(c.Lock);
    return c.*member;
  }
  template <typename T>
  static void Set(Client& c, T Client::*member, const T& value) {
    std::lock_guard<platform::Mutex> hold(c.Lock);
    c.*member = value;
  }
  static std::deque<KestoBrimo_AsyncRequest> Requests(Client& c) { return Get(c, &Client::RequestQueue); }
  static void PushResponse(Client& c, const KestoBrimo_AsyncResponce& r) {
    std::lock_guard<platform::Mutex> hold(c.Lock);
    c.ResponseQueue.push_back(r);
  }
  static void SetCities(Client& c, const Names& cities) { Set(c, &Client::CityDirectory, cities); }
  static void SetCarrierTypes(Client& c, const Names& types) { Set(c, &Client::CarrierTypeDirectory, types); }
  static void SetOrderStatuses(Client& c, const Names& statuses) { Set(c, &Client::OrderStatusDirectory, statuses); }
  static void SetTaxis(Client& c, const std::map<std::int32_t, KestoDirectoryItem>& taxis) {
    Set(c, &Client::TaxiDirectory, taxis);
  }
  // Forgets every queued request and response (a client shared by several tests).
  static void ClearQueues(Client& c) { Set(c, &Client::RequestQueue, {}), Set(c, &Client::ResponseQueue, {}); }
  static std::string ServerName(Client& c) { return Get(c, &Client::ServerName); }
  static std::int32_t Port(Client& c) { return Get(c, &Client::Port); }
  static std::string& RndStr(Client& c) { return c.RndStr; }
  static std::string& LastError(Client& c) { return c.LastError; }
  static std::string& RecvBuffer(Client& c) { return c.RecvBuffer; }
  static KBRStatus ReadBlock(Client& c, std::string& out) { return c.ReadBlock(out); }
  static KBRStatus TryConnect(Client& c) { return c.TryConnect(); }
  static void SettleUnansweredRequests(Client& c, bool broke) { c.SettleUnansweredRequests(broke); }
  // Set before Connect: the worker reads them without the lock.
  static void SetPhase(Client& c, KestoConnectionPhase phase) { c.phase_.store(phase); }
  static void SetConnectTimeLimitMs(Client& c, std::uint32_t ms) { c.connectTimeLimitMs_ = ms; }
  static void SetRecvBufferLimit(Client& c, std::size_t bytes) { c.recvBufferLimit_ = bytes; }
  static void SetAwaitingAnswerLimit(Client& c, std::size_t requests) { c.awaitingAnswerLimit_ = requests; }
  static void SetResendAgeLimitMs(Client& c, std::uint32_t ms) { c.resendAgeLimitMs_ = ms; }
};
