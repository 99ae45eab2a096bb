// A small exchange data set for the exchange's tests, and helpers that read
// the blocks the exchange queues.
#pragma once

#include <json/json.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "exchange/Exchange.h"
#include "exchange/ExchangeData.h"
#include "exchange/JsonWire.h"
#include "protocol/Md5.h"

// Three real services (1, 2, 3), one simulated (4). Texts are ASCII but for
// the password of "cyr", which is Cyrillic in UTF-8.
inline ExchangeData TestExchangeData() {
  const std::string text = std::string(R"({
    "CarrierTypes": {"1": "Car", "2": "Van"},
    "OrderStatuses": {"17": "On exchange", "18": "Car sent", "21": "Done"},
    "Cities": {"1": "Moscow", "2": "Khimki", "3": "Kazan"},
    "Services": [
      {"Id": 1, "FullName": "Alpha Taxi", "ShortName": "Alpha", "Cities": [1, 2], "Balance": 1000},
      {"Id": 2, "FullName": "Beta Taxi", "ShortName": "Beta", "Cities": [1], "Balance": 500},
      {"Id": 3, "FullName": "Gamma Taxi", "ShortName": "Gamma", "Cities": [3]},
      {"Id": 4, "FullName": "Delta Taxi", "ShortName": "Delta", "Cities": [1], "Simulated": true}
    ],
    "Accounts": [
      {"Login": "alpha", "Password": "a-pass", "ServiceId": 1},
      {"Login": "alpha2", "Password": "a2-pass", "ServiceId": 1},
      {"Login": "beta", "Password": "b-pass", "ServiceId": 2},
      {"Login": "gamma", "Password": "g-pass", "ServiceId": 3},
      {"Login": "cyr", "Password": ")") +
                           u8"пароль" + R"(", "ServiceId": 3}
    ],
    "Tariffs": [
      {"TariffId": "BASE", "ServicePercent": 10, "ServiceFixed": 5, "PublisherPercent": 20, "PublisherFixed": 1,
       "ServiceReturnForeit": 7, "PublisherReturnForeit": 11, "MinOrderPrice": 100},
      {"Publisher": 1, "Acceptor": 2, "TariffId": "ALPHA-BETA", "ServicePercent": 1, "ServiceFixed": 0,
       "PublisherPercent": 2, "PublisherFixed": 0, "ServiceReturnForeit": 0, "PublisherReturnForeit": 0,
       "MinOrderPrice": 0}
    ]
  })";
  ExchangeData data;
  std::string error;
  if (!LoadExchangeData(text, data, error)) throw std::runtime_error("test data: " + error);
  return data;
}

// The JSON of one framed block; null when it is not one.
inline Json::Value DecodeBlock(const std::string& bytes) {
  Json::Value value;
  if (bytes.empty() || bytes.back() != '\x08' || !ParseJsonText(bytes.substr(0, bytes.size() - 1), value)) {
    return Json::Value();
  }
  return value;
}

// An InsertOrder request as the client sends it.
inline Json::Value InsertRequest(unsigned commandId, double price, int timeToLive = 0) {
  Json::Value r(Json::objectValue);
  r["CommandCode"] = 1;
  r["CommandId"] = commandId;
  r["CommandStr"] = "KBRCommand_InsertOrder";
  r["AdditionalFrom"] = "12";
  r["AdditionalTo"] = "";
  r["CarrierType"] = 1;
  r["CityIdFrom"] = 1;
  r["CityIdTo"] = 2;
  r["ClientPhone"] = "+7 900 000-00-00";
  r["Comment"] = "child seat";
  r["LatitudeFrom"] = 15.123456;
  r["LatitudeTo"] = 17.8765;
  r["LongitudeFrom"] = 16.987654;
  r["LongitudeTo"] = 18.654322;
  r["PreliminaryTime"] = 0;
  r["Price"] = price;
  r["StatusId"] = 17;
  r["StreetFrom"] = "Main street";
  r["StreetTo"] = "Station";
  r["Time0Km1Fixed2"] = 2;
  r["TimeToLiveSec"] = timeToLive;
  r["UniKey"] = 4242;
  return r;
}

// A request with no members beyond its code and number.
inline Json::Value Request(int code, unsigned commandId) {
  Json::Value r(Json::objectValue);
  r["CommandCode"] = code;
  r["CommandId"] = commandId;
  r["CommandStr"] = "x";
  return r;
}

inline Json::Value OrderRequest(int code, unsigned commandId, int orderId) {
  Json::Value r = Request(code, commandId);
  r["OrderId"] = orderId;
  return r;
}

// The login as the client sends it, digested with the session's random string.
inline Json::Value LoginRequest(const std::string& login, const std::string& password, const std::string& rndStr) {
  Json::Value r = Request(2, 0);
  r["CommandStr"] = "KBRCommand_GetDirectory";
  r["Login"] = login;
  r["PassHash"] = PassHash(rndStr, password);
  return r;
}

inline std::string Compact(const Json::Value& v) {
  Json::StreamWriterBuilder b;
  b["indentation"] = "";
  return Json::writeString(b, v);
}
