// Orders made up from lists of real-looking Moscow-region addresses, turned
// into messages by the exchange's own builders, so sizes and escapes are the wire's.
#include "bench/Notifications.h"

#include <random>
#include <stdexcept>

#include "exchange/JsonWire.h"
#include "exchange/Messages.h"
#include "platform/files.h"

namespace {

const char* const kStreets[] = {
    "ул. Ленина",          "Ленинградский проспект", "ул. Тверская",         "Профсоюзная ул.",
    "Кутузовский проспект", "ул. Маршала Жукова",    "Волоколамское шоссе", "ул. Строителей",
    "Каширское шоссе",     "ул. Новый Арбат",       "Мичуринский проспект", "ул. Гагарина",
};
const char* const kAdditions[] = {"подъезд 2", "у шлагбаума", "", "кв. 14, домофон 14В", "торговый центр, вход 3", ""};
const char* const kComments[] = {
    "",
    "с детским креслом",
    "багаж: два чемодана",
    "клиент ждёт у магазина «Пятёрочка», позвонить за 5 минут",
    "оплата картой, нужен чек",
    "животное в переноске",
};

ExchangeOrder MakeOrder(std::int32_t orderId, std::mt19937& random) {
  auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
  auto real = [&](double low, double high) { return std::uniform_real_distribution<double>(low, high)(random); };
  const std::int64_t now = 1760000000 + pick(86400);
  ExchangeOrder order;
  order.OrderId = orderId;
  order.UniKey = 100000 + orderId;
  order.CityIdFrom = 1 + pick(5);
  order.CityIdTo = 1 + pick(5);
  order.StreetFrom = std::string(kStreets[pick(12)]) + ", д. " + std::to_string(1 + pick(120));
  order.AdditionalFrom = kAdditions[pick(6)];
  order.LatitudeFrom = real(55.55, 55.95);
  order.LongitudeFrom = real(37.35, 37.85);
  order.StreetTo = std::string(kStreets[pick(12)]) + ", д. " + std::to_string(1 + pick(120));
  order.AdditionalTo = kAdditions[pick(6)];
  order.LatitudeTo = real(55.55, 55.95);
  order.LongitudeTo = real(37.35, 37.85);
  order.CarrierType = 1 + pick(5);
  order.Price = 150 + pick(2850) + 0.5 * pick(2);
  order.ClientPhone = "+7 (9" + std::to_string(10 + pick(90)) + ") " + std::to_string(100 + pick(900)) + "-" +
                      std::to_string(10 + pick(90)) + "-" + std::to_string(10 + pick(90));
  order.PhoneId = pick(100000);
  order.Comment = kComments[pick(6)];
  order.PreliminaryTime = pick(3) == 0 ? now + 3600 : 0;
  order.Time0Km1Fixed2 = pick(3);
  order.StatusId = 17;
  order.WriteTime = now;
  order.Publisher = 2 + pick(5);
  order.ServiceComission = 10 + pick(20);
  order.PublisherComission = 5 + pick(10);
  order.TimeToLiveSec = 600 + pick(3000);
  return order;
}

}  // namespace

ExchangeData LoadDemoData() {
  std::string text;
  ExchangeData data;
  std::string error;
  if (!platform::ReadWholeFile(KB_EXCHANGE_DEMO_DATA, text) || !LoadExchangeData(text, data, error))
    throw std::runtime_error("cannot load " KB_EXCHANGE_DEMO_DATA ": " + error);
  return data;
}

std::vector<std::string> NewOrderNotifications(int count, std::int32_t firstOrderId, std::uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<std::string> texts;
  for (int i = 0; i < count; ++i)
    texts.push_back(JsonText(OrderMessage(3, AnswerTo{}, MakeOrder(firstOrderId + i, random), 1)));
  return texts;
}

std::vector<std::string> NotificationMix(int count, std::uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<std::string> texts;
  std::vector<std::int32_t> offered;
  std::int32_t nextId = 5000;
  for (int i = 0; i < count; ++i) {
    const int roll = std::uniform_int_distribution<int>(0, 9)(random);
    if (roll < 2 && !offered.empty()) {
      const std::size_t at = std::uniform_int_distribution<std::size_t>(0, offered.size() - 1)(random);
      texts.push_back(JsonText(RemovalMessage(4, AnswerTo{}, offered[at])));
      offered.erase(offered.begin() + static_cast<std::ptrdiff_t>(at));
    } else if (roll == 2) {
      ExchangeOrder own = MakeOrder(nextId++, random);
      own.Publisher = 1;
      texts.push_back(JsonText(OrderMessage(5, AnswerTo{}, own, 1)));
    } else {
      offered.push_back(nextId);
      texts.push_back(JsonText(OrderMessage(3, AnswerTo{}, MakeOrder(nextId++, random), 1)));
    }
  }
  return texts;
}

std::string DirectoriesText(const ExchangeData& data, std::uint32_t commandId) {
  return JsonText(DirectoriesMessage(AnswerTo{commandId, 2}, data, 0));
}

std::string AuthenticationText(const std::string& rndStr) { return JsonText(AuthenticationMessage(rndStr)); }

std::string PlainAnswerText(std::uint32_t commandId, std::int32_t commandCode, const std::string& text) {
  return JsonText(Envelope(kReasonPlainAnswer, AnswerTo{commandId, commandCode}, 0, 0, text));
}
