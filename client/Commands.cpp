// The command operations: each takes its "CommandId" under Lock, has the
// protocol build the request text, logs the command's queueing line and
// queues the request.
#include <mutex>
#include <utility>

#include "client/DebugLog.h"
#include "client/KestoBrimoClientAsync.h"
#include "protocol/Requests.h"

int KestoBrimoClientAsync::QueueRequest(KBRCommand code, const RequestBuilder& build, bool withLogin,
                                        QueuePlace place) {
  std::int32_t commandId;
  {
    std::lock_guard<platform::Mutex> hold(Lock);
    commandId = withLogin ? 0 : TakeNextCommandId();
    KestoBrimo_AsyncRequest queued;
    queued.CommandId = commandId;
    queued.CommandCode = code;
    queued.Text = withLogin ? LoginRequestText(Login, RndStr, Password) : build(commandId);
    PrintToDebugLog("%s", KBRCommandLogLine(code));
    if (place == QueuePlace::AheadOfWaiting) {
      RequestQueue.insert(FrontBehindMarkers(), std::move(queued));
    } else {
      RequestQueue.push_back(std::move(queued));
    }
  }
  WakeWorker();
  return commandId;
}

int KestoBrimoClientAsync::QueuePlainRequest(KBRCommand code) {
  return QueueRequest(code, [code](std::int32_t id) { return PlainRequestText(code, id); });
}

int KestoBrimoClientAsync::QueueOrderIdRequest(KBRCommand code, int OrderId) {
  return QueueRequest(code, [code, OrderId](std::int32_t id) { return OrderIdRequestText(code, id, OrderId); });
}

int KestoBrimoClientAsync::GetDirectory(bool WithLogin) {
  return WithLogin ? QueueRequest(KBRCommand_GetDirectory, nullptr, true) : QueuePlainRequest(KBRCommand_GetDirectory);
}

void KestoBrimoClientAsync::QueueLoginRequest() {
  QueueRequest(KBRCommand_GetDirectory, nullptr, true, QueuePlace::AheadOfWaiting);
}

int KestoBrimoClientAsync::InsertOrder(KestoOrder order) {
  return QueueRequest(KBRCommand_InsertOrder, [&order](std::int32_t id) { return InsertOrderRequestText(id, order); });
}

int KestoBrimoClientAsync::AcceptOrder(int OrderId) { return QueueOrderIdRequest(KBRCommand_AcceptOrder, OrderId); }

int KestoBrimoClientAsync::ReturnMyOrder(int OrderId) { return QueueOrderIdRequest(KBRCommand_ReturnOrder, OrderId); }

int KestoBrimoClientAsync::ChangeOrderStatus(int OrderId, int StatusId, float Price) {
  return QueueRequest(KBRCommand_SetOrderStatus,
                      [=](std::int32_t id) { return SetOrderStatusRequestText(id, OrderId, StatusId, Price); });
}

int KestoBrimoClientAsync::ReturnForeignOrder(int OrderId) {
  return QueueOrderIdRequest(KBRCommand_ForceReturnOrder, OrderId);
}

int KestoBrimoClientAsync::AddCarDescription(int OrderId, const std::string& FullDescription,
                                             const std::string& GovNumber, int CallNumber, int ToCarMin) {
  return QueueRequest(KBRCommand_AddCarDescription, [&](std::int32_t id) {
    return AddCarDescriptionRequestText(id, OrderId, FullDescription, GovNumber, CallNumber, ToCarMin);
  });
}

int KestoBrimoClientAsync::GetStatement() { return QueuePlainRequest(KBRCommand_GetStatement); }

int KestoBrimoClientAsync::GetTariff(int Publisher, int Acceptor, int CityId) {
  return QueueRequest(KBRCommand_GetTariffByPubisherAndAcceptor,
                      [=](std::int32_t id) { return GetTariffRequestText(id, Publisher, Acceptor, CityId); });
}

int KestoBrimoClientAsync::SetOrderNotifyMode(int Mode, std::int64_t BeginTime, std::int64_t EndTime) {
  return QueueRequest(KBRCommand_SetOrderNotifyMode,
                      [=](std::int32_t id) { return SetOrderNotifyModeRequestText(id, Mode, BeginTime, EndTime); });
}

int KestoBrimoClientAsync::GetOrderFullInfo(int OrderId) {
  return QueueOrderIdRequest(KBRCommand_GetOrderFullInfo, OrderId);
}

int KestoBrimoClientAsync::GetOrderpartialInfo(int OrderId) {
  return QueueOrderIdRequest(KBRCommand_GetOrderPartialInfo, OrderId);
}
