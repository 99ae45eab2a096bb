// The finished text of every request (code page 1251, one line), given its
// "CommandId". The client numbers, logs and queues them.
#pragma once

#include <cstdint>
#include <string>

#include "protocol/KBRCodes.h"
#include "protocol/KestoRecords.h"

// The login: the directory request with "CommandId" 0, "Login" and the
// digest of the connection's random string and the password.
std::string LoginRequestText(const std::string& login, const std::string& rndStr, const std::string& password);
// A command that carries nothing but its envelope (GetDirectory, GetStatement).
std::string PlainRequestText(KBRCommand code, std::int32_t commandId);
// A command that names one order and nothing else.
std::string OrderIdRequestText(KBRCommand code, std::int32_t commandId, std::int32_t orderId);
std::string InsertOrderRequestText(std::int32_t commandId, const KestoOrder& order);
std::string SetOrderStatusRequestText(std::int32_t commandId, std::int32_t orderId, std::int32_t statusId, float price);
std::string AddCarDescriptionRequestText(std::int32_t commandId, std::int32_t orderId,
                                         const std::string& fullDescription, const std::string& govNumber,
                                         std::int32_t callNumber, std::int32_t toCarMin);
std::string GetTariffRequestText(std::int32_t commandId, std::int32_t publisher, std::int32_t acceptor,
                                 std::int32_t cityId);
std::string SetOrderNotifyModeRequestText(std::int32_t commandId, std::int32_t mode, std::int64_t beginTime,
                                          std::int64_t endTime);
