// Building the answer boxes' texts. Texts from the exchange are appended, never
// formatted, so no length of street, comment or tariff id can overflow anything.
#include "desk/MessageTexts.h"

#include <map>

#include "desk/OrderList.h"
#include "desk/TextFormat.h"

const char kOrderInfoCaption[] = "GetorderInfo Ok";
const char kTariffCaption[] = "GetTariff Ok";

namespace {
std::string Money(float value) { return FormatText("%10.2f", static_cast<double>(value)); }

std::string NameOr(const std::map<std::int32_t, std::string>& directory, std::int32_t id, const char* missing) {
  const auto found = directory.find(id);
  return found == directory.end() ? std::string(missing) : found->second;
}

std::string ShortNameOr(const std::map<std::int32_t, KestoDirectoryItem>& taxis, std::int32_t id,
                        const char* missing) {
  const auto found = taxis.find(id);
  return found == taxis.end() ? std::string(missing) : found->second.ShortName;
}
}  // namespace

std::string OrderInfoText(const KestoOrder& order, KestoBrimoClientAsync& client) {
  const std::string carrierType = NameOr(client.GetCarrierTypeDirectory(), order.CarrierType, "не определено");
  const std::string status = NameOr(client.GetOrderStatusDirectory(), order.StatusId, "не определен");
  const std::string state = BrimoOrderStateText(order.BrimoOrderState);
  const auto taxis = client.GetTaxiDirectory();
  const std::string publisher = ShortNameOr(taxis, order.Publisher, "не определено");
  const std::string acceptor = ShortNameOr(taxis, order.Acceptor, "не определено");
  const std::string cityFrom = client.GetCity(order.CityIdFrom);
  const std::string cityTo = client.GetCity(order.CityIdTo);

  std::string text;
  text += "OrderId=" + FormatText("%d", order.OrderId) + "\n";
  text += "CityNameFrom=" + cityFrom + "\n";
  text += "StreetFrom=" + order.StreetFrom + "\n";
  text += "AdditionalFrom=" + order.AdditionalFrom + "\n";
  text += "CityNameTo=" + cityTo + "\n";
  text += "StreetTo=" + order.StreetTo + "\n";
  text += "AdditionalTo=" + order.AdditionalTo + "\n";
  text += "ClientPhone=" + order.ClientPhone + "\n";
  text += "GetCarrierType=" + carrierType + "\n";
  text += "Price=" + Money(order.Price) + "\n";
  text += "PreliminaryTime=" + FormatTime(order.PreliminaryTime) + "\n";
  text += ",StatusId=" + status + "\n";
  text += ",BrimoOrderState=" + state + "\n";
  text += "PublisherName=" + publisher + "\n";
  text += "AcceptorName=" + acceptor + "\n";
  text += "WriteTime=" + FormatTime(order.WriteTime) + "\n";
  text += ",AcceptTime=" + FormatTime(order.AcceptTime) + "\n";
  text += "Comission=" + Money(order.PublisherComission) + "/" + Money(order.ServiceComission) + "\n";
  text += "Time0Km1Fixed2=" + FormatText("%d", order.Time0Km1Fixed2) + "\n";
  text += "Comment=" + order.Comment + "\n";
  text += "CarDescription=" + order.CarDescription + "\n";
  text += "CarGovNumber=" + order.CarGovNumber + "\n";
  text += "CarCallNumber=" + FormatText("%d", order.CarCallNumber) + "\n";
  return text;
}

std::string TariffText(const KestoTariffStruct& tariff) {
  std::string text = FormatText("Publisher=%d,Acceptor=%d,CityId=%d,\n", tariff.Publisher, tariff.Acceptor,
                                tariff.CityId);
  text += " ID Тарифа:" + tariff.TariffId + "\n";
  text += " Комиссия публикатора (фикс):" + Money(tariff.PublisherFixed) + "\n";
  text += " Комиссия публикатора (проц):" + Money(tariff.PublisherPercent) + "\n";
  text += " Комиссия сервиса (фикс):" + Money(tariff.ServiceFixed) + "\n";
  text += " Комиссия сервися (проц):" + Money(tariff.ServicePercent) + "\n";
  text += " Штраф за возврат заказа публикатору:" + Money(tariff.PublisherReturnForeit) + "\n";
  text += " Штраф за возврат заказа сервису:" + Money(tariff.ServiceReturnForeit) + "\n";
  return text;
}

std::string StatusCaption(std::int32_t operationStatus) {
  const char* name = KBRStatusName(operationStatus);
  return name != nullptr ? std::string(name) : FormatText("OperationStatus=%d", operationStatus);
}

std::string StatusText(const KestoBrimo_AsyncResponce& response) {
  return "ErrorString='" + response.ErrorString + "'\nDigitalValue='" + ToString(response.Num) + "'\n";
}

std::string AcceptQuestion(const KestoOrder& order, KestoBrimoClientAsync& client) {
  // "city, street" at each end, whichever of the two are known.
  const auto place = [](const std::string& city, const std::string& street) {
    return city.empty() || street.empty() ? city + street : city + ", " + street;
  };
  return "Вы хотите принять заказ?\n" + place(client.GetCity(order.CityIdFrom), order.StreetFrom) + " — " +
         place(client.GetCity(order.CityIdTo), order.StreetTo) +
         FormatText(", %.2f руб.", static_cast<double>(order.Price));
}
