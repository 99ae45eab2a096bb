// A small exchange data set for the exchange's tests and the requests a client sends.
#pragma once

#include <json/json.h>

#include <sstream>
#include <stdexcept>
#include <string>

#include "exchange/Exchange.h"
#include "exchange/ExchangeData.h"
#include "exchange/JsonWire.h"
#include "protocol/Md5.h"

// Three real services (1, 2, 3), one simulated (4). Texts are ASCII but for the password of "cyr", Cyrillic in UTF-8.
inline constexpr const char* kTestExchangeText =
    u8R"({"CarrierTypes": {"1": "Car", "2": "Van"}, "Cities": {"1": "Moscow", "2": "Khimki", "3": "Kazan"},
    "OrderStatuses": {"17": "On exchange", "18": "Car sent", "21": "Done"},
    "Services": [{"Id": 1, "FullName": "Alpha Taxi", "ShortName": "Alpha", "Cities": [1, 2], "Balance": 1000},
      {"Id": 2, "FullName": "Beta Taxi", "ShortName": "Beta", "Cities": [1], "Balance": 500},
      {"Id": 3, "FullName": "Gamma Taxi", "ShortName": "Gamma", "Cities": [3]},
      {"Id": 4, "FullName": "Delta Taxi", "ShortName": "Delta", "Cities": [1], "Simulated": true}],
    "Accounts": [{"Login":"alpha","Password":"a-pass","ServiceId":1},{"Login":"beta","Password":"b-pass","ServiceId":2},
      {"Login":"alpha2","Password":"a2-pass","ServiceId":1},{"Login":"gamma","Password":"g-pass","ServiceId":3},
      {"Login": "cyr", "Password": "пароль", "ServiceId": 3}],
    "Tariffs": [{"TariffId": "BASE", "ServicePercent": 10, "ServiceFixed": 5, "PublisherPercent": 20,
      "PublisherFixed": 1, "ServiceReturnForeit": 7, "PublisherReturnForeit": 11, "MinOrderPrice": 100},
      {"Publisher": 1, "Acceptor": 2, "TariffId": "ALPHA-BETA", "ServicePercent": 1, "ServiceFixed": 0,
       "PublisherPercent": 2, "PublisherFixed": 0, "ServiceReturnForeit": 0, "PublisherReturnForeit": 0}]})";

inline ExchangeData TestExchangeData() {
  ExchangeData data;
  std::string error;
  if (!LoadExchangeData(kTestExchangeText, data, error)) throw std::runtime_error("test data: " + error);
  return data;
}

// The values at the named paths, as in "31 1 Main street" for "CommandId CommandCode StreetFrom"; "A.b" is b in A.
inline std::string Show(const Json::Value& m, const std::string& paths) {
  std::istringstream in(paths);
  std::string out;
  for (std::string path; in >> path;) out += (out.empty() ? "" : " ") + Json::Path(path).resolve(m).asString();
  return out;
}

inline Json::Value With(Json::Value request, const char* member, const Json::Value& value) {
  request[member] = value;
  return request;
}

// A request with its code, its number and the members given as JSON text.
inline Json::Value Request(int code, unsigned commandId, const std::string& members = "{}") {
  Json::Value r;
  ParseJsonText(members, r);
  return With(With(With(r, "CommandCode", code), "CommandId", commandId), "CommandStr", "x");
}

inline Json::Value OrderRequest(int code, unsigned commandId, int orderId, const std::string& members = "{}") {
  return With(Request(code, commandId, members), "OrderId", orderId);
}
// An InsertOrder request as the client sends it.
inline Json::Value InsertRequest(unsigned commandId, double price, int timeToLive = 0) {
  const Json::Value r = Request(1, commandId, R"({"AdditionalFrom": "12", "AdditionalTo": "", "CarrierType": 1,
    "CityIdFrom": 1, "CityIdTo": 2, "ClientPhone": "+7 900 000-00-00", "Comment": "child seat",
    "LatitudeFrom": 15.123456, "LatitudeTo": 17.8765, "LongitudeFrom": 16.987654, "LongitudeTo": 18.654322,
    "PreliminaryTime": 4000000000, "StatusId": 17, "StreetFrom": "Main street", "StreetTo": "Station",
    "Time0Km1Fixed2": 2, "UniKey": 4242})");
  return With(With(r, "Price", price), "TimeToLiveSec", timeToLive);
}

// The login as the client sends it, digested with the session's random string.
inline Json::Value LoginRequest(const std::string& login, const std::string& password, const std::string& rndStr) {
  return With(With(Request(2, 0), "Login", login), "PassHash", PassHash(rndStr, password));
}
