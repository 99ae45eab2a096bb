// Texts of the answer boxes: exact layouts, missing names, and texts of any length.
#include "desk/MessageTexts.h"

#include <gtest/gtest.h>

#include "support/ClientTestAccess.h"

namespace {
using Access = KestoBrimoClientTestAccess;

TEST(StatusBox, CaptionNamesTheStatusAndTextShowsErrorAndNumber) {
  EXPECT_EQ(StatusCaption(-9), "KBRStatus_UnknownResponse");
  EXPECT_EQ(StatusCaption(2), "OperationStatus=2");
  EXPECT_EQ(StatusCaption(-13), "OperationStatus=-13");
  KestoBrimo_AsyncResponce response;
  response.ErrorString = "нет заказа";
  response.Num = -3;
  EXPECT_EQ(StatusText(response), "ErrorString='нет заказа'\nDigitalValue='-3'\n");
}

TEST(TariffBox, ExactLayoutAndATariffIdOfAnyLength) {
  KestoTariffStruct tariff;
  tariff.Publisher = 1;
  tariff.Acceptor = 2;
  tariff.CityId = 3;
  tariff.TariffId = "T-1";
  tariff.PublisherFixed = 1;
  tariff.PublisherPercent = 2.5f;
  tariff.ServiceFixed = 3;
  tariff.ServicePercent = 4;
  tariff.PublisherReturnForeit = 5;
  tariff.ServiceReturnForeit = 6;
  tariff.MinOrderPrice = 777;
  EXPECT_EQ(TariffText(tariff),
            "Publisher=1,Acceptor=2,CityId=3,\n"
            " ID Тарифа:T-1\n"
            " Комиссия публикатора (фикс):      1.00\n"
            " Комиссия публикатора (проц):      2.50\n"
            " Комиссия сервиса (фикс):      3.00\n"
            " Комиссия сервися (проц):      4.00\n"
            " Штраф за возврат заказа публикатору:      5.00\n"
            " Штраф за возврат заказа сервису:      6.00\n");
  tariff.TariffId = std::string(100000, '%') + "%s%n";
  const std::string text = TariffText(tariff);
  EXPECT_NE(text.find(" ID Тарифа:" + tariff.TariffId + "\n"), std::string::npos);
  EXPECT_NE(text.find("сервису:      6.00\n"), std::string::npos);
}

TEST(OrderInfoBox, ExactLayoutWithMissingNames) {
  KestoBrimoClientAsync client;
  Access::SetCities(client, {{1, "Москва"}});
  KestoOrder order;
  order.OrderId = 12;
  order.CityIdFrom = 1;
  order.StreetFrom = "Тверская";
  order.Price = 99.999f;
  order.BrimoOrderState = 7;
  order.Publisher = 5;
  order.Time0Km1Fixed2 = 2;
  order.CarCallNumber = 31;
  EXPECT_EQ(OrderInfoText(order, client),
            "OrderId=12\nCityNameFrom=Москва\nStreetFrom=Тверская\nAdditionalFrom=\nCityNameTo=\nStreetTo=\n"
            "AdditionalTo=\nClientPhone=\nGetCarrierType=не определено\nPrice=    100.00\nPreliminaryTime=\n"
            ",StatusId=не определен\n,BrimoOrderState=<не определен>\nPublisherName=не определено\n"
            "AcceptorName=не определено\nWriteTime=\n,AcceptTime=\nComission=      0.00/      0.00\n"
            "Time0Km1Fixed2=2\nComment=\nCarDescription=\nCarGovNumber=\nCarCallNumber=31\n");

  KestoDirectoryItem acceptor;
  acceptor.ShortName = "Наши";
  Access::SetTaxis(client, {{6, acceptor}});
  Access::SetCarrierTypes(client, {{0, "Любой"}});
  Access::SetOrderStatuses(client, {{-1, "Нет"}});
  order.Acceptor = 6;
  order.StatusId = -1;
  order.Comment = std::string(20000, 'k') + "%s";
  const std::string text = OrderInfoText(order, client);
  EXPECT_NE(text.find("AcceptorName=Наши\n"), std::string::npos);
  EXPECT_NE(text.find("GetCarrierType=Любой\n"), std::string::npos);
  EXPECT_NE(text.find(",StatusId=Нет\n"), std::string::npos);
  EXPECT_NE(text.find("Comment=" + order.Comment + "\nCarDescription="), std::string::npos);
}

}  // namespace
