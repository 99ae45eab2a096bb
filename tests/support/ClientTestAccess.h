// Lets tests reach the client's internals: its queues, worker-owned state and steps.
#pragma once

#include <mutex>

#include "client/KestoBrimoClientAsync.h"

struct KestoBrimoClientTestAccess {
  static std::deque<KestoBrimo_AsyncRequest> Requests(KestoBrimoClientAsync& c) {
    std::lock_guard<platform::Mutex> hold(c.Lock);
    return c.RequestQueue;
  }
  static void PushResponse(KestoBrimoClientAsync& c, const KestoBrimo_AsyncResponce& r) {
    std::lock_guard<platform::Mutex> hold(c.Lock);
    c.ResponseQueue.push_back(r);
  }
  static void SetCities(KestoBrimoClientAsync& c, const std::map<std::int32_t, std::string>& cities) {
    std::lock_guard<platform::Mutex> hold(c.Lock);
    c.CityDirectory = cities;
  }
  static void SetCarrierTypes(KestoBrimoClientAsync& c, const std::map<std::int32_t, std::string>& types) {
    std::lock_guard<platform::Mutex> hold(c.Lock);
    c.CarrierTypeDirectory = types;
  }
  static void SetOrderStatuses(KestoBrimoClientAsync& c, const std::map<std::int32_t, std::string>& statuses) {
    std::lock_guard<platform::Mutex> hold(c.Lock);
    c.OrderStatusDirectory = statuses;
  }
  static void SetTaxis(KestoBrimoClientAsync& c, const std::map<std::int32_t, KestoDirectoryItem>& taxis) {
    std::lock_guard<platform::Mutex> hold(c.Lock);
    c.TaxiDirectory = taxis;
  }
  // Forgets every queued request and response (a client shared by several tests).
  static void ClearQueues(KestoBrimoClientAsync& c) {
    std::lock_guard<platform::Mutex> hold(c.Lock);
    c.RequestQueue.clear();
    c.ResponseQueue.clear();
  }
  static std::string ServerName(KestoBrimoClientAsync& c) {
    std::lock_guard<platform::Mutex> hold(c.Lock);
    return c.ServerName;
  }
  static std::int32_t Port(KestoBrimoClientAsync& c) {
    std::lock_guard<platform::Mutex> hold(c.Lock);
    return c.Port;
  }
  static std::string& RndStr(KestoBrimoClientAsync& c) { return c.RndStr; }
  static std::string& LastError(KestoBrimoClientAsync& c) { return c.LastError; }
  static std::string& RecvBuffer(KestoBrimoClientAsync& c) { return c.RecvBuffer; }
  static platform::SocketHandle& Socket(KestoBrimoClientAsync& c) { return c.Socket; }
  static KBRStatus ReadBlock(KestoBrimoClientAsync& c, std::string& out) { return c.ReadBlock(out); }
  static KBRStatus SendTextBlock(KestoBrimoClientAsync& c, const std::string& text) { return c.SendTextBlock(text); }
  static KBRStatus TryConnect(KestoBrimoClientAsync& c) { return c.TryConnect(); }
  static KBRStatus ReceiveAuthentBlock(KestoBrimoClientAsync& c) { return c.ReceiveAuthentBlock(); }
  // Set before Connect: the worker reads them without the lock.
  static void SetPhase(KestoBrimoClientAsync& c, KestoConnectionPhase phase) { c.phase_.store(phase); }
  static void SetConnectTimeLimitMs(KestoBrimoClientAsync& c, std::uint32_t ms) { c.connectTimeLimitMs_ = ms; }
  static void SetRecvBufferLimit(KestoBrimoClientAsync& c, std::size_t bytes) { c.recvBufferLimit_ = bytes; }
  static void SetAwaitingAnswerLimit(KestoBrimoClientAsync& c, std::size_t requests) {
    c.awaitingAnswerLimit_ = requests;
  }
  static void SetResendAgeLimitMs(KestoBrimoClientAsync& c, std::uint32_t ms) { c.resendAgeLimitMs_ = ms; }
};
