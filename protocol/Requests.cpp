// The command operations: each builds its request object from its arguments,
// and QueueRequest numbers, serialises, logs and queues it.
#include <mutex>
#include <utility>

#include "client/DebugLog.h"
#include "client/KestoBrimoClientAsync.h"
#include "client/Md5.h"
#include "protocol/RequestJson.h"

namespace {

KestoRequestJson Envelope(const char* commandStr, KBRCommand code) {
  KestoRequestJson request;
  request.SetText("CommandStr", commandStr);
  request.SetInteger("CommandCode", code);
  return request;
}

KestoRequestJson OrderIdRequest(const char* commandStr, KBRCommand code, int OrderId) {
  KestoRequestJson request = Envelope(commandStr, code);
  request.SetInteger("OrderId", OrderId);
  return request;
}

}  // namespace

int KestoBrimoClientAsync::QueueRequest(KestoRequestJson request, KBRCommand code, const char* logLine,
                                        bool withLogin, QueuePlace place) {
  std::int32_t commandId;
  {
    std::lock_guard<platform::Mutex> hold(Lock);
    if (withLogin) {
      request.SetText("Login", Login);
      request.SetText("PassHash", PassHash(RndStr, Password));
      commandId = 0;
    } else {
      commandId = TakeNextCommandId();
    }
    request.SetInteger("CommandId", commandId);
    KestoBrimo_AsyncRequest queued;
    queued.CommandId = commandId;
    queued.CommandCode = code;
    queued.Text = request.Serialize();
    PrintToDebugLog("%s", logLine);
    if (place == QueuePlace::AheadOfWaiting) {
      RequestQueue.insert(FrontBehindMarkers(), std::move(queued));
    } else {
      RequestQueue.push_back(std::move(queued));
    }
  }
  WakeWorker();
  return commandId;
}

int KestoBrimoClientAsync::GetDirectory(bool WithLogin) {
  return QueueRequest(Envelope("KBRCommand_GetDirectory", KBRCommand_GetDirectory), KBRCommand_GetDirectory,
                      "Add GetDirectory", WithLogin);
}

void KestoBrimoClientAsync::QueueLoginRequest() {
  QueueRequest(Envelope("KBRCommand_GetDirectory", KBRCommand_GetDirectory), KBRCommand_GetDirectory,
               "Add GetDirectory", true, QueuePlace::AheadOfWaiting);
}

int KestoBrimoClientAsync::InsertOrder(KestoOrder order) {
  KestoRequestJson request = Envelope("KBRCommand_InsertOrder", KBRCommand_InsertOrder);
  request.SetInteger("CityIdFrom", order.CityIdFrom);
  request.SetText("StreetFrom", order.StreetFrom);
  request.SetText("AdditionalFrom", order.AdditionalFrom);
  request.SetReal("LatitudeFrom", order.LatitudeFrom);
  request.SetReal("LongitudeFrom", order.LongitudeFrom);
  request.SetInteger("CityIdTo", order.CityIdTo);
  request.SetText("StreetTo", order.StreetTo);
  request.SetText("AdditionalTo", order.AdditionalTo);
  request.SetReal("LatitudeTo", order.LatitudeTo);
  request.SetReal("LongitudeTo", order.LongitudeTo);
  request.SetInteger("CarrierType", order.CarrierType);
  request.SetReal("Price", order.Price);
  request.SetInteger("UniKey", order.UniKey);
  request.SetText("ClientPhone", order.ClientPhone);
  request.SetInteger("StatusId", order.StatusId);
  request.SetInteger("PreliminaryTime", WireTime(order.PreliminaryTime));
  request.SetInteger("Time0Km1Fixed2", order.Time0Km1Fixed2);
  request.SetText("Comment", order.Comment);
  request.SetInteger("TimeToLiveSec", order.TimeToLiveSec);
  return QueueRequest(std::move(request), KBRCommand_InsertOrder, "Add InsertOrder", false);
}

int KestoBrimoClientAsync::AcceptOrder(int OrderId) {
  return QueueRequest(OrderIdRequest("KBRCommand_AcceptOrder", KBRCommand_AcceptOrder, OrderId),
                      KBRCommand_AcceptOrder, "Add AcceptOrder", false);
}

int KestoBrimoClientAsync::ReturnMyOrder(int OrderId) {
  return QueueRequest(OrderIdRequest("KBRCommand_ReturnOrder", KBRCommand_ReturnOrder, OrderId),
                      KBRCommand_ReturnOrder, "Add ReturnMyOrder", false);
}

int KestoBrimoClientAsync::ChangeOrderStatus(int OrderId, int StatusId, float Price) {
  KestoRequestJson request = OrderIdRequest("KBRCommand_SetOrderStatus", KBRCommand_SetOrderStatus, OrderId);
  request.SetInteger("StatusId", StatusId);
  request.SetReal("Price", Price);
  return QueueRequest(std::move(request), KBRCommand_SetOrderStatus, "Add KBRCommand_SetOrderStatus", false);
}

int KestoBrimoClientAsync::ReturnForeignOrder(int OrderId) {
  return QueueRequest(OrderIdRequest("KBRCommand_ForceReturnOrder", KBRCommand_ForceReturnOrder, OrderId),
                      KBRCommand_ForceReturnOrder, "Add KBRCommand_ForceReturnOrder", false);
}

int KestoBrimoClientAsync::AddCarDescription(int OrderId, const std::string& FullDescription,
                                             const std::string& GovNumber, int CallNumber, int ToCarMin) {
  KestoRequestJson request = OrderIdRequest("KBRCommand_AddCarDescription", KBRCommand_AddCarDescription, OrderId);
  request.SetText("FullDescription", FullDescription);
  request.SetText("GovNumber", GovNumber);
  request.SetInteger("CallNumber", CallNumber);
  request.SetInteger("ToCarMin", ToCarMin);
  return QueueRequest(std::move(request), KBRCommand_AddCarDescription, "Add KBRCommand_AddCarDescription", false);
}

int KestoBrimoClientAsync::GetStatement() {
  return QueueRequest(Envelope("KBRCommand_GetStatement", KBRCommand_GetStatement), KBRCommand_GetStatement,
                      "Add KBRCommand_GetStatement", false);
}

int KestoBrimoClientAsync::GetTariff(int Publisher, int Acceptor, int CityId) {
  KestoRequestJson request =
      Envelope("KBRCommand_GetTariffByPubisherAndAcceptor", KBRCommand_GetTariffByPubisherAndAcceptor);
  request.SetInteger("Publisher", Publisher);
  request.SetInteger("Acceptor", Acceptor);
  request.SetInteger("CityId", CityId);
  return QueueRequest(std::move(request), KBRCommand_GetTariffByPubisherAndAcceptor,
                      "Add KBRCommand_GetTariffByPubisherAndAcceptor", false);
}

int KestoBrimoClientAsync::SetOrderNotifyMode(int Mode, std::int64_t BeginTime, std::int64_t EndTime) {
  KestoRequestJson request = Envelope("KBRCommand_SetOrderNotifyMode", KBRCommand_SetOrderNotifyMode);
  request.SetInteger("Mode", Mode);
  request.SetInteger("BeginTime", WireTime(BeginTime));
  request.SetInteger("EndTime", WireTime(EndTime));
  return QueueRequest(std::move(request), KBRCommand_SetOrderNotifyMode, "Add KBRCommand_SetOrderNotifyMode", false);
}

int KestoBrimoClientAsync::GetOrderFullInfo(int OrderId) {
  return QueueRequest(OrderIdRequest("KBRCommand_GetOrderFullInfo", KBRCommand_GetOrderFullInfo, OrderId),
                      KBRCommand_GetOrderFullInfo, "Add KBRCommand_GetOrderFullInfo", false);
}

int KestoBrimoClientAsync::GetOrderpartialInfo(int OrderId) {
  return QueueRequest(OrderIdRequest("KBRCommand_GetOrderPartialInfo", KBRCommand_GetOrderPartialInfo, OrderId),
                      KBRCommand_GetOrderPartialInfo, "Add KBRCommand_GetOrderPartialInfo", false);
}
