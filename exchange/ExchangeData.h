// What the demo exchange knows before any service connects: its four
// directories, the accounts that may log in, the tariffs and opening balances.
// Loaded from a readable JSON file; every text is UTF-8.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct ServiceInfo {
  std::int32_t Id = 0;
  std::string FullName;
  std::string ShortName;
  std::string LeaderName;
  std::string Comment;
  std::int32_t TimeZone = 0;
  std::vector<std::int32_t> Cities;
  double Balance = 0;      // opening balance in roubles
  bool Simulated = false;  // driven by the demo traffic when it runs
};

struct Account {
  std::string Login;
  std::string Password;  // UTF-8 as in the file
  std::int32_t ServiceId = 0;
};

// Commissions and forfeits between a publishing and an accepting service in a
// city; 0 in Publisher, Acceptor or CityId matches any.
struct Tariff {
  std::int32_t Publisher = 0;
  std::int32_t Acceptor = 0;
  std::int32_t CityId = 0;
  std::string TariffId;
  double ServicePercent = 0;
  double ServiceFixed = 0;
  double PublisherPercent = 0;
  double PublisherFixed = 0;
  double ServiceReturnForeit = 0;
  double PublisherReturnForeit = 0;
  double MinOrderPrice = 0;
};

struct ExchangeData {
  std::map<std::int32_t, std::string> CarrierTypes;
  std::map<std::int32_t, std::string> OrderStatuses;
  std::map<std::int32_t, std::string> Cities;
  std::map<std::int32_t, ServiceInfo> Services;
  std::vector<Account> Accounts;
  std::vector<Tariff> Tariffs;
};

// Fills `data` from the JSON text of a data file. False, with a reason in
// `error`, when the text is not such a file; `data` is then unspecified.
bool LoadExchangeData(const std::string& jsonText, ExchangeData& data, std::string& error);

// The most specific tariff for the three keys (an exact key beats a wildcard),
// or nullptr when none applies.
const Tariff* FindTariff(const ExchangeData& data, std::int32_t publisher, std::int32_t acceptor,
                         std::int32_t cityId);

// The account with this login, or nullptr.
const Account* FindAccount(const ExchangeData& data, const std::string& login);
