// Loading the exchange's data file, and the tariff and account look-ups.
#include "exchange/ExchangeData.h"

#include <cerrno>
#include <cstdlib>
#include <set>

#include "exchange/JsonWire.h"

namespace {

bool ParseId(const std::string& text, std::int32_t& out) {
  if (text.empty() || text.size() > 11) return false;
  std::size_t i = text[0] == '-' ? 1 : 0;
  if (i == text.size()) return false;
  for (std::size_t k = i; k < text.size(); ++k) {
    if (text[k] < '0' || text[k] > '9') return false;
  }
  const long long value = std::strtoll(text.c_str(), nullptr, 10);
  if (value < INT32_MIN || value > INT32_MAX) return false;
  out = static_cast<std::int32_t>(value);
  return true;
}

bool LoadNameDirectory(const Json::Value& root, const char* member,
                       std::map<std::int32_t, std::string>& out, std::string& error) {
  const Json::Value& dir = root[member];
  if (!dir.isObject() || dir.empty()) {
    error = std::string("\"") + member + "\" must be a non-empty object of id: name";
    return false;
  }
  for (const std::string& name : dir.getMemberNames()) {
    std::int32_t id = 0;
    if (!ParseId(name, id) || !dir[name].isString() || !IsValidUtf8(dir[name].asString())) {
      error = std::string("\"") + member + "\": entry \"" + name + "\" needs a decimal id and a text";
      return false;
    }
    out[id] = dir[name].asString();
  }
  return true;
}

bool ReadText(const Json::Value& object, const char* name, std::string& out, bool required) {
  const Json::Value& v = object[name];
  if (v.isNull() && !required) return true;
  if (!v.isString() || !IsValidUtf8(v.asString())) return false;
  out = v.asString();
  return true;
}

bool ReadNumber(const Json::Value& object, const char* name, double& out) {
  const Json::Value& v = object[name];
  if (v.isNull()) return true;
  if (!v.isNumeric() || v.isBool()) return false;
  out = v.asDouble();
  return true;
}

bool ReadInt(const Json::Value& object, const char* name, std::int32_t& out, bool required) {
  const Json::Value& v = object[name];
  if (v.isNull() && !required) return true;
  if (!v.isInt()) return false;
  out = v.asInt();
  return true;
}

bool LoadServices(const Json::Value& root, ExchangeData& data, std::string& error) {
  const Json::Value& list = root["Services"];
  if (!list.isArray() || list.empty()) {
    error = "\"Services\" must be a non-empty array";
    return false;
  }
  for (Json::ArrayIndex i = 0; i < list.size(); ++i) {
    const Json::Value& s = list[i];
    ServiceInfo service;
    const std::string where = "\"Services\"[" + std::to_string(i) + "]";
    if (!s.isObject() || !ReadInt(s, "Id", service.Id, true) || service.Id <= 0) {
      error = where + " needs a positive \"Id\"";
      return false;
    }
    if (!ReadText(s, "FullName", service.FullName, true) || !ReadText(s, "ShortName", service.ShortName, true) ||
        !ReadText(s, "LeaderName", service.LeaderName, false) || !ReadText(s, "Comment", service.Comment, false) ||
        !ReadInt(s, "TimeZone", service.TimeZone, false) || !ReadNumber(s, "Balance", service.Balance)) {
      error = where + " has a missing or mistyped member";
      return false;
    }
    const Json::Value& simulated = s["Simulated"];
    if (!simulated.isNull() && !simulated.isBool()) {
      error = where + ": \"Simulated\" must be true or false";
      return false;
    }
    service.Simulated = simulated.asBool();
    const Json::Value& cities = s["Cities"];
    if (!cities.isArray()) {
      error = where + ": \"Cities\" must be an array of city ids";
      return false;
    }
    for (const Json::Value& c : cities) {
      if (!c.isInt() || !data.Cities.count(c.asInt())) {
        error = where + ": \"Cities\" holds an id that is not a city";
        return false;
      }
      service.Cities.push_back(c.asInt());
    }
    if (data.Services.count(service.Id)) {
      error = where + ": the id " + std::to_string(service.Id) + " is used twice";
      return false;
    }
    data.Services[service.Id] = service;
  }
  return true;
}

bool LoadAccounts(const Json::Value& root, ExchangeData& data, std::string& error) {
  const Json::Value& list = root["Accounts"];
  if (!list.isArray() || list.empty()) {
    error = "\"Accounts\" must be a non-empty array";
    return false;
  }
  std::set<std::string> logins;
  for (Json::ArrayIndex i = 0; i < list.size(); ++i) {
    const Json::Value& a = list[i];
    Account account;
    const std::string where = "\"Accounts\"[" + std::to_string(i) + "]";
    if (!a.isObject() || !ReadText(a, "Login", account.Login, true) || account.Login.empty() ||
        !ReadText(a, "Password", account.Password, true) || !ReadInt(a, "ServiceId", account.ServiceId, true)) {
      error = where + " needs \"Login\", \"Password\" and \"ServiceId\"";
      return false;
    }
    if (!data.Services.count(account.ServiceId)) {
      error = where + ": \"ServiceId\" is not a service";
      return false;
    }
    if (!logins.insert(account.Login).second) {
      error = where + ": the login \"" + account.Login + "\" is used twice";
      return false;
    }
    data.Accounts.push_back(account);
  }
  return true;
}

bool LoadTariffs(const Json::Value& root, ExchangeData& data, std::string& error) {
  const Json::Value& list = root["Tariffs"];
  if (!list.isArray()) {
    error = "\"Tariffs\" must be an array";
    return false;
  }
  for (Json::ArrayIndex i = 0; i < list.size(); ++i) {
    const Json::Value& t = list[i];
    Tariff tariff;
    if (!t.isObject() || !ReadInt(t, "Publisher", tariff.Publisher, false) ||
        !ReadInt(t, "Acceptor", tariff.Acceptor, false) || !ReadInt(t, "CityId", tariff.CityId, false) ||
        !ReadText(t, "TariffId", tariff.TariffId, true) || !ReadNumber(t, "ServicePercent", tariff.ServicePercent) ||
        !ReadNumber(t, "ServiceFixed", tariff.ServiceFixed) ||
        !ReadNumber(t, "PublisherPercent", tariff.PublisherPercent) ||
        !ReadNumber(t, "PublisherFixed", tariff.PublisherFixed) ||
        !ReadNumber(t, "ServiceReturnForeit", tariff.ServiceReturnForeit) ||
        !ReadNumber(t, "PublisherReturnForeit", tariff.PublisherReturnForeit) ||
        !ReadNumber(t, "MinOrderPrice", tariff.MinOrderPrice)) {
      error = "\"Tariffs\"[" + std::to_string(i) + "] has a missing or mistyped member";
      return false;
    }
    data.Tariffs.push_back(tariff);
  }
  return true;
}

}  // namespace

bool LoadExchangeData(const std::string& jsonText, ExchangeData& data, std::string& error) {
  data = ExchangeData();
  Json::Value root;
  if (!ParseJsonText(jsonText, root) || !root.isObject()) {
    error = "the file is not a JSON object";
    return false;
  }
  return LoadNameDirectory(root, "CarrierTypes", data.CarrierTypes, error) &&
         LoadNameDirectory(root, "OrderStatuses", data.OrderStatuses, error) &&
         LoadNameDirectory(root, "Cities", data.Cities, error) && LoadServices(root, data, error) &&
         LoadAccounts(root, data, error) && LoadTariffs(root, data, error);
}

const Tariff* FindTariff(const ExchangeData& data, std::int32_t publisher, std::int32_t acceptor,
                         std::int32_t cityId) {
  const Tariff* best = nullptr;
  int bestScore = -1;
  for (const Tariff& t : data.Tariffs) {
    if ((t.Publisher && t.Publisher != publisher) || (t.Acceptor && t.Acceptor != acceptor) ||
        (t.CityId && t.CityId != cityId)) {
      continue;
    }
    const int score = (t.Publisher ? 4 : 0) + (t.Acceptor ? 2 : 0) + (t.CityId ? 1 : 0);
    if (score > bestScore) {
      best = &t;
      bestScore = score;
    }
  }
  return best;
}

const Account* FindAccount(const ExchangeData& data, const std::string& login) {
  for (const Account& a : data.Accounts) {
    if (a.Login == login) return &a;
  }
  return nullptr;
}
