// The texts of the desk's answer boxes: order information, tariff, and the
// status box that shows any other answer.
#pragma once

#include <cstdint>
#include <string>

#include "client/KestoBrimoClientAsync.h"
#include "protocol/KestoRecords.h"

// Caption of the boxes showing a successful order-information or tariff answer.
extern const char kOrderInfoCaption[];  // "GetorderInfo Ok"
extern const char kTariffCaption[];     // "GetTariff Ok"

// The order information box's text, names looked up in `client`'s directories.
std::string OrderInfoText(const KestoOrder& order, KestoBrimoClientAsync& client);

// "Вы хотите принять заказ?" and, on a second line, the order's route and price.
std::string AcceptQuestion(const KestoOrder& order, KestoBrimoClientAsync& client);

// The tariff box's text (MinOrderPrice is not shown).
std::string TariffText(const KestoTariffStruct& tariff);

// The status box: captioned with the name of the operation status, or
// "OperationStatus=<n>" for a code that has no name.
std::string StatusCaption(std::int32_t operationStatus);
std::string StatusText(const KestoBrimo_AsyncResponce& response);
