// The second service's side of the end-to-end run.
#include "OtherService.h"

#include "platform/clock.h"
#include "platform/sync.h"
#include "protocol/KBRCodes.h"

OtherService::OtherService(int port, const std::string& login, const std::string& password) {
  client_.SetConnectionParam("127.0.0.1", port, login, password);
}

OtherService::~OtherService() { client_.Disconnect(); }

bool OtherService::LogIn(unsigned timeoutMs) {
  client_.Connect();
  const std::uint64_t deadline = platform::MonotonicMs() + timeoutMs;
  while (!client_.Authorized.load()) {
    if (platform::MonotonicMs() >= deadline) return false;
    platform::SleepMs(50);
  }
  return true;
}

bool OtherService::NextResponse(KestoBrimo_AsyncResponce& response, std::uint64_t deadline, unsigned pollMs) {
  while (platform::MonotonicMs() < deadline) {
    if (client_.GetClientResponce(response)) return true;
    platform::SleepMs(pollMs);
  }
  return false;
}

std::int32_t OtherService::Publish(const KestoOrder& order, unsigned timeoutMs) {
  const std::uint32_t commandId = static_cast<std::uint32_t>(client_.InsertOrder(order));
  const std::uint64_t deadline = platform::MonotonicMs() + timeoutMs;
  KestoBrimo_AsyncResponce response;
  while (NextResponse(response, deadline, 50)) {
    if (response.CommandId != commandId) continue;
    if (response.OperationStatus != KBRStatus_Ok || response.reason != KBRReason_MyOrder) return 0;
    return response.Order.OrderId;
  }
  return 0;
}

bool OtherService::WaitTaken(std::int32_t orderId, unsigned timeoutMs) {
  const std::uint64_t deadline = platform::MonotonicMs() + timeoutMs;
  KestoBrimo_AsyncResponce response;
  while (NextResponse(response, deadline, 5)) {
    if (response.reason == KBRReason_MyOrder && response.Order.OrderId == orderId && response.Order.Acceptor != 0) {
      return true;
    }
  }
  return false;
}

void OtherService::ForgetAnswers() {
  KestoBrimo_AsyncResponce response;
  while (client_.GetClientResponce(response)) {
  }
}

void OtherService::Follow(std::set<std::int32_t>& offered, std::set<std::int32_t>& own) {
  KestoBrimo_AsyncResponce response;
  while (client_.GetClientResponce(response)) {
    const std::int32_t id = response.Order.OrderId;
    if (response.reason == KBRReason_NewOrder) offered.insert(id);
    if (response.reason == KBRReason_NewOrderRemoved) offered.erase(id);
    if (response.reason == KBRReason_MyOrder) own.insert(id);
    if (response.reason == KBRReason_MyOrderRemoved) own.erase(id);
  }
}
