// The order life cycle: publishing, accepting, status and price, the car,
// withdrawal, giving back, expiry and order information, with the money that
// moves on acceptance and on giving back.
#include "exchange/Exchange.h"
#include "protocol/KBRCodes.h"
#include "protocol/KBRStatus.h"

namespace {

std::string NotFound(std::int32_t orderId) { return "Заказ " + std::to_string(orderId) + " не найден"; }

}  // namespace

CommandOutcome Exchange::InsertFromRequest(const Request& req, RequestFields& f, std::int64_t now) {
  ExchangeOrder o;
  std::uint32_t preliminary = 0;
  const bool ok =
      f.Int("CityIdFrom", o.CityIdFrom) && f.Int("CityIdTo", o.CityIdTo) &&
      f.Text("StreetFrom", o.StreetFrom, kMaxTextBytes) && f.Text("AdditionalFrom", o.AdditionalFrom, kMaxTextBytes) &&
      f.Number("LatitudeFrom", o.LatitudeFrom) && f.Number("LongitudeFrom", o.LongitudeFrom) &&
      f.Text("StreetTo", o.StreetTo, kMaxTextBytes) && f.Text("AdditionalTo", o.AdditionalTo, kMaxTextBytes) &&
      f.Number("LatitudeTo", o.LatitudeTo) && f.Number("LongitudeTo", o.LongitudeTo) &&
      f.Int("CarrierType", o.CarrierType) && f.Number("Price", o.Price) && f.Int("UniKey", o.UniKey) &&
      f.Text("ClientPhone", o.ClientPhone, kMaxTextBytes) && f.Int("StatusId", o.StatusId) &&
      f.UInt32("PreliminaryTime", preliminary) && f.Int("Time0Km1Fixed2", o.Time0Km1Fixed2) &&
      f.Text("Comment", o.Comment, kMaxTextBytes) && f.Int("TimeToLiveSec", o.TimeToLiveSec);
  if (!ok) {
    CommandOutcome bad{KBRStatus_InsertOrderError, "Неверный формат заказа: поле " + f.FirstBadMember()};
    Answer(req, bad.Status, bad.Text);
    return bad;
  }
  o.PreliminaryTime = preliminary;
  return Insert(req, std::move(o), now);
}

CommandOutcome Exchange::Insert(const Request& req, ExchangeOrder o, std::int64_t now) {
  std::string problem;
  if (!data_.Cities.count(o.CityIdFrom)) {
    problem = "Неизвестный город отправления";
  } else if (!data_.Cities.count(o.CityIdTo)) {
    problem = "Неизвестный город назначения";
  } else if (!data_.CarrierTypes.count(o.CarrierType)) {
    problem = "Неизвестный тип транспортного средства";
  } else if (!data_.OrderStatuses.count(o.StatusId)) {
    problem = "Неизвестный статус заказа";
  } else if (!(o.Price >= 0 && o.Price <= kMaxPrice)) {
    problem = "Недопустимая цена";
  } else if (o.Time0Km1Fixed2 < 0 || o.Time0Km1Fixed2 > 2) {
    problem = "Неизвестный режим тарификации";
  } else if (orders_.size() >= kMaxOrders) {
    problem = "Биржа переполнена, попробуйте позже";
  }
  if (!problem.empty()) {
    Answer(req, KBRStatus_InsertOrderError, problem);
    return {KBRStatus_InsertOrderError, problem};
  }
  while (orders_.count(nextOrderId_)) nextOrderId_ = nextOrderId_ == INT32_MAX ? 1 : nextOrderId_ + 1;
  o.OrderId = nextOrderId_;
  nextOrderId_ = nextOrderId_ == INT32_MAX ? 1 : nextOrderId_ + 1;
  o.Publisher = req.ServiceId;
  o.Acceptor = 0;
  o.WriteTime = now;
  o.AcceptTime = 0;
  o.Stage = OrderStage::InPool;
  o.Returned = false;
  // A lifetime of 0 or less is an order that stays until withdrawn.
  if (o.TimeToLiveSec > kMaxTimeToLiveSec) o.TimeToLiveSec = kMaxTimeToLiveSec;
  o.ExpiresAt = o.TimeToLiveSec > 0 ? now + o.TimeToLiveSec : 0;
  const ExchangeOrder& stored = orders_[o.OrderId] = std::move(o);
  SendOrderToService(req.ServiceId, KBRReason_MyOrder, stored, &req);
  OfferToOthers(stored, now);
  return {KBRStatus_Ok, "заказ " + std::to_string(stored.OrderId)};
}

CommandOutcome Exchange::Accept(const Request& req, std::int32_t orderId, std::int64_t now) {
  ExchangeOrder* o = FindOrder(orderId);
  std::string problem;
  if (!o) {
    problem = NotFound(orderId);
  } else if (o->Publisher == req.ServiceId) {
    problem = "Нельзя принять заказ своей службы";
  } else if (o->Stage == OrderStage::Accepted) {
    problem = o->Acceptor == req.ServiceId ? "Заказ уже принят вашей службой" : "Заказ уже принят другой службой";
  } else if (o->Stage == OrderStage::Expired) {
    problem = "Время жизни заказа истекло";
  }
  if (!problem.empty()) {
    Answer(req, KBRStatus_CommonError, problem);
    return {KBRStatus_CommonError, problem};
  }
  const Tariff* tariff = FindTariff(data_, o->Publisher, req.ServiceId, o->CityIdFrom);
  o->ServiceComission = tariff ? tariff->ServiceFixed + o->Price * tariff->ServicePercent / 100 : 0;
  o->PublisherComission = tariff ? tariff->PublisherFixed + o->Price * tariff->PublisherPercent / 100 : 0;
  balances_[req.ServiceId] -= o->ServiceComission + o->PublisherComission;
  balances_[o->Publisher] += o->PublisherComission;
  o->Stage = OrderStage::Accepted;
  o->Acceptor = req.ServiceId;
  o->AcceptTime = now;
  o->ExpiresAt = 0;
  SendOrderToService(req.ServiceId, KBRReason_MyOrder, *o, &req);
  SendOrderToService(o->Publisher, KBRReason_MyOrder, *o, nullptr);
  RemoveFromPools(orderId, o->Publisher);
  return {KBRStatus_Ok, "заказ " + std::to_string(orderId)};
}

CommandOutcome Exchange::SetStatus(const Request& req, std::int32_t orderId, std::int32_t statusId, double price,
                                   std::int64_t now) {
  ExchangeOrder* o = FindOrder(orderId);
  const bool mine =
      o && (o->Publisher == req.ServiceId || (o->Stage == OrderStage::Accepted && o->Acceptor == req.ServiceId));
  std::string problem;
  if (!mine) {
    problem = o && o->Stage == OrderStage::InPool ? "Заказ не принадлежит вашей службе" : NotFound(orderId);
  } else if (!data_.OrderStatuses.count(statusId)) {
    problem = "Неизвестный статус заказа";
  } else if (!(price >= 0 && price <= kMaxPrice)) {
    problem = "Недопустимая цена";
  }
  if (!problem.empty()) {
    Answer(req, KBRStatus_SetOrderStatusError, problem);
    return {KBRStatus_SetOrderStatusError, problem};
  }
  o->StatusId = statusId;
  o->Price = price;
  SendOrderToService(o->Publisher, KBRReason_MyOrder, *o, &req);
  if (o->Stage == OrderStage::Accepted) {
    SendOrderToService(o->Acceptor, KBRReason_MyOrder, *o, &req);
  } else if (o->Stage == OrderStage::InPool) {
    // Offered orders change under the other services' eyes too.
    OfferToOthers(*o, now);
  }
  return {KBRStatus_Ok, "заказ " + std::to_string(orderId)};
}

CommandOutcome Exchange::Withdraw(const Request& req, std::int32_t orderId) {
  ExchangeOrder* o = FindOrder(orderId);
  if (!o || o->Publisher != req.ServiceId) {
    const std::string problem = o && (o->Stage == OrderStage::InPool || o->Acceptor == req.ServiceId)
                                    ? "Снять заказ с раздачи может только опубликовавшая его служба"
                                    : NotFound(orderId);
    Answer(req, KBRStatus_CommonError, problem);
    return {KBRStatus_CommonError, problem};
  }
  const ExchangeOrder order = *o;
  orders_.erase(orderId);
  SendRemovalToService(order.Publisher, KBRReason_MyOrderRemoved, orderId, &req);
  if (order.Stage == OrderStage::Accepted) {
    SendRemovalToService(order.Acceptor, KBRReason_MyOrderRemoved, orderId, nullptr);
  } else if (order.Stage == OrderStage::InPool) {
    RemoveFromPools(orderId, order.Publisher);
  }
  return {KBRStatus_Ok, "заказ " + std::to_string(orderId)};
}

CommandOutcome Exchange::GiveBack(const Request& req, std::int32_t orderId, std::int64_t now) {
  ExchangeOrder* o = FindOrder(orderId);
  if (!o || o->Stage != OrderStage::Accepted || o->Acceptor != req.ServiceId) {
    const std::string problem = o && (o->Publisher == req.ServiceId || o->Stage == OrderStage::InPool)
                                    ? "Вернуть публикатору можно только заказ, принятый вашей службой"
                                    : NotFound(orderId);
    Answer(req, KBRStatus_CommonError, problem);
    return {KBRStatus_CommonError, problem};
  }
  // The acceptor gets its commissions back and pays the forfeits instead.
  const Tariff* tariff = FindTariff(data_, o->Publisher, o->Acceptor, o->CityIdFrom);
  const double serviceForfeit = tariff ? tariff->ServiceReturnForeit : 0;
  const double publisherForfeit = tariff ? tariff->PublisherReturnForeit : 0;
  balances_[o->Acceptor] += o->ServiceComission + o->PublisherComission - serviceForfeit - publisherForfeit;
  balances_[o->Publisher] += publisherForfeit - o->PublisherComission;
  const std::int32_t formerAcceptor = o->Acceptor;
  o->Stage = OrderStage::InPool;
  o->Returned = true;
  o->Acceptor = 0;
  o->AcceptTime = 0;
  o->ServiceComission = 0;
  o->PublisherComission = 0;
  o->CarDescription.clear();
  o->CarGovNumber.clear();
  o->CarCallNumber = 0;
  o->ToCarMin = 0;
  o->SetCarInfoTime = 0;
  o->ExpiresAt = o->TimeToLiveSec > 0 ? now + o->TimeToLiveSec : 0;
  SendRemovalToService(formerAcceptor, KBRReason_MyOrderRemoved, orderId, &req);
  SendOrderToService(o->Publisher, KBRReason_MyOrder, *o, nullptr);
  OfferToOthers(*o, now);
  return {KBRStatus_Ok, "заказ " + std::to_string(orderId)};
}

CommandOutcome Exchange::CarDescription(const Request& req, RequestFields& f, std::int64_t now) {
  std::int32_t orderId = 0, callNumber = 0, toCarMin = 0;
  std::string description, govNumber;
  if (!f.Int("OrderId", orderId) || !f.Text("FullDescription", description, kMaxTextBytes) ||
      !f.Text("GovNumber", govNumber, kMaxTextBytes) || !f.Int("CallNumber", callNumber) ||
      !f.Int("ToCarMin", toCarMin)) {
    CommandOutcome bad{KBRStatus_CommonError, "Неверный формат запроса: поле " + f.FirstBadMember()};
    Answer(req, bad.Status, bad.Text);
    return bad;
  }
  ExchangeOrder* o = FindOrder(orderId);
  if (!o || o->Stage != OrderStage::Accepted || o->Acceptor != req.ServiceId) {
    const std::string problem = o && (o->Publisher == req.ServiceId || o->Stage == OrderStage::InPool)
                                    ? "Описание машины сообщает принявшая заказ служба"
                                    : NotFound(orderId);
    Answer(req, KBRStatus_CommonError, problem);
    return {KBRStatus_CommonError, problem};
  }
  o->CarDescription = description;
  o->CarGovNumber = govNumber;
  o->CarCallNumber = callNumber;
  o->ToCarMin = toCarMin;
  o->SetCarInfoTime = now;
  SendOrderToService(o->Acceptor, KBRReason_MyOrder, *o, &req);
  SendOrderToService(o->Publisher, KBRReason_MyOrder, *o, nullptr);
  return {KBRStatus_Ok, "заказ " + std::to_string(orderId)};
}

CommandOutcome Exchange::OrderInfo(const Request& req, std::int32_t orderId, std::int32_t reason) {
  const ExchangeOrder* o = FindOrder(orderId);
  const bool visible = o && (o->Stage == OrderStage::InPool || o->Publisher == req.ServiceId ||
                             (o->Stage == OrderStage::Accepted && o->Acceptor == req.ServiceId));
  if (!visible) {
    Answer(req, KBRStatus_CommonError, NotFound(orderId));
    return {KBRStatus_CommonError, NotFound(orderId)};
  }
  Send(req.Session, OrderMessage(reason, req.To, *o, req.ServiceId));
  return {KBRStatus_Ok, "заказ " + std::to_string(orderId)};
}

void Exchange::ExpireOrders(std::int64_t now) {
  for (auto& entry : orders_) {
    ExchangeOrder& o = entry.second;
    if (o.Stage != OrderStage::InPool || o.ExpiresAt == 0 || now < o.ExpiresAt) continue;
    o.Stage = OrderStage::Expired;
    o.ExpiresAt = 0;
    Log("order " + std::to_string(o.OrderId) + " of " + ServiceName(o.Publisher) + " expired");
    RemoveFromPools(o.OrderId, 0);
    SendOrderToService(o.Publisher, KBRReason_MyOrder, o, nullptr);
  }
}

void Exchange::LogSimulated(std::int32_t serviceId, const std::string& what, const CommandOutcome& outcome) {
  const char* status = KBRStatusName(outcome.Status);
  Log("simulated " + ServiceName(serviceId) + " " + what + " -> " + (status ? status : std::to_string(outcome.Status)) +
      (outcome.Text.empty() ? std::string() : " (" + outcome.Text + ")"));
}

CommandOutcome Exchange::PublishAs(std::int32_t serviceId, ExchangeOrder order, std::int64_t now) {
  Request req;
  req.ServiceId = serviceId;
  const CommandOutcome outcome = Insert(req, std::move(order), now);
  LogSimulated(serviceId, "InsertOrder", outcome);
  return outcome;
}

CommandOutcome Exchange::AcceptAs(std::int32_t serviceId, std::int32_t orderId, std::int64_t now) {
  Request req;
  req.ServiceId = serviceId;
  const CommandOutcome outcome = Accept(req, orderId, now);
  LogSimulated(serviceId, "AcceptOrder " + std::to_string(orderId), outcome);
  return outcome;
}

CommandOutcome Exchange::ChangeStatusAs(std::int32_t serviceId, std::int32_t orderId, std::int32_t statusId,
                                        double price, std::int64_t now) {
  Request req;
  req.ServiceId = serviceId;
  const CommandOutcome outcome = SetStatus(req, orderId, statusId, price, now);
  LogSimulated(serviceId, "SetOrderStatus " + std::to_string(orderId), outcome);
  return outcome;
}

CommandOutcome Exchange::WithdrawAs(std::int32_t serviceId, std::int32_t orderId) {
  Request req;
  req.ServiceId = serviceId;
  const CommandOutcome outcome = Withdraw(req, orderId);
  LogSimulated(serviceId, "ReturnOrder " + std::to_string(orderId), outcome);
  return outcome;
}
