// Texts the desk shows of an order: list row cells with their time and number
// formats, the row kept per order id, and the layouts of the answer boxes.
#include <gtest/gtest.h>

#include <numeric>

#include "DeskFakes.h"
#include "desk/MessageTexts.h"
#include "desk/OrderList.h"
#include "desk/TextFormat.h"

namespace {

std::string ExpectedLocal(std::int64_t t) {
  platform::LocalTime l;
  EXPECT_TRUE(platform::ToLocalTime(t, l));
  return FormatText("%02d:%02d:%02d %02d.%02d.%04d ", l.Hour, l.Minute, l.Second, l.Day, l.Month, l.Year);
}

std::string Joined(const std::array<std::string, kOrderColumnCount>& cells) {
  return std::accumulate(cells.begin(), cells.end(), std::string(), [](std::string t, auto& c) { return t + c + "|"; });
}

TEST(OrderTexts, RowCellsInfoAndTariffBoxesWithNamesOrPlaceholdersTimesOnlyWhereTheyAreTimesAndTheRowKeptPerOrder) {
  for (std::int64_t notATime : {0LL, 65535LL, -1LL, 0xFFFF0000LL, 0x7FFFFFFFFFFF0000LL})
    EXPECT_EQ(FormatTime(notATime), "") << notATime;
  EXPECT_EQ(FormatTime(65536), ExpectedLocal(65536));
  using Access = KestoBrimoClientTestAccess;
  KestoBrimoClientAsync client;
  KestoDirectoryItem publisher;
  publisher.ShortName = "Такси-1", Access::SetTaxis(client, {{10, publisher}});
  Access::SetCities(client, {{1, "Москва"}, {2, "Тверь"}}), Access::SetCarrierTypes(client, {{3, "Седан"}});
  Access::SetOrderStatuses(client, {{17, "На сервере обмена"}});
  KestoOrder o;
  o.OrderId = 4711, o.CityIdFrom = 1, o.CityIdTo = 2, o.CarrierType = 3, o.StatusId = 17, o.BrimoOrderState = 1;
  o.StreetFrom = "Тверская", o.AdditionalFrom = "д. 5", o.StreetTo = "Арбат", o.AdditionalTo = "под. 2";
  o.ClientPhone = "+7 900 000", o.Comment = std::string(5000, 'c') + "%s";
  o.Price = 12.5f, o.PublisherComission = 1.25f, o.ServiceComission = 100;
  o.PreliminaryTime = 1236000000, o.WriteTime = 0, o.AcceptTime = 1236003600, o.SetCarInfoTime = 65535;
  o.Publisher = 10, o.Acceptor = 99, o.Time0Km1Fixed2 = 7, o.TimeToLiveSec = 600, o.ToCarMin = 12;
  o.CarDescription = "Лада", o.CarGovNumber = "А001АА", o.CarCallNumber = -2147483647 - 1;
  EXPECT_EQ(Joined(OrderRowCells(o, client)),
            "4711|Москва|Тверская|д. 5|Тверь|Арбат|под. 2|+7 900 000|Седан|     12.50|" + ExpectedLocal(1236000000) +
                "|На сервере обмена|Принят нами|()Такси-1|(" + ExpectedLocal(1236003600) +
                ")|      1.25/    100.00|фикс. стоимость|" + o.Comment + "|Лада|А001АА|-2147483648|600|12||");
  // An order the directories do not know, in mileage mode; then by time.
  KestoOrder unknown;
  unknown.BrimoOrderState = 9;
  EXPECT_EQ(Joined(OrderRowCells(unknown, client)),
            "0||||||||<не определен>|      0.00||<не определен>|<не определен>|()|()|      0.00/      "
            "0.00|километраж||||0|0|0||");
  unknown.Time0Km1Fixed2 = 0;
  EXPECT_EQ(Fields(OrderRowCells(unknown, client)[16], BrimoOrderStateText(4), BrimoOrderStateText(5)),
            Fields("Время", "Не опубликован", "<не определен>"));
  // The info box of the same order, its status now unknown; no text is a format.
  o.StatusId = -1;
  EXPECT_EQ(
      OrderInfoText(o, client),
      "OrderId=4711\nCityNameFrom=Москва\nStreetFrom=Тверская\nAdditionalFrom=д. 5\nCityNameTo=Тверь\nStreetTo=Арбат\n"
      "AdditionalTo=под. 2\nClientPhone=+7 900 000\nGetCarrierType=Седан\nPrice=     12.50\nPreliminaryTime=" +
          ExpectedLocal(1236000000) +
          "\n,StatusId=не определен\n,BrimoOrderState=Принят нами\nPublisherName=Такси-1\nAcceptorName=не определено\n"
          "WriteTime=\n,AcceptTime=" +
          ExpectedLocal(1236003600) + "\nComission=      1.25/    100.00\nTime0Km1Fixed2=7\nComment=" + o.Comment +
          "\nCarDescription=Лада\nCarGovNumber=А001АА\nCarCallNumber=-2147483648\n");
  // A status without a name (named ones and the status text: the main window's answer cases); the tariff box.
  EXPECT_EQ(Fields(StatusCaption(2), StatusCaption(-13)), Fields("OperationStatus=2", "OperationStatus=-13"));

  KestoTariffStruct t;
  t.Publisher = 1, t.Acceptor = 2, t.CityId = 3, t.MinOrderPrice = 777;
  t.PublisherFixed = 1, t.PublisherPercent = 2.5f, t.ServiceFixed = 3, t.ServicePercent = 4;
  t.PublisherReturnForeit = 5, t.ServiceReturnForeit = 6, t.TariffId = std::string(100000, '%') + "%s%n";
  EXPECT_EQ(TariffText(t), "Publisher=1,Acceptor=2,CityId=3,\n ID Тарифа:" + t.TariffId +
                               "\n Комиссия публикатора (фикс):      1.00\n"
                               " Комиссия публикатора (проц):      2.50\n Комиссия сервиса (фикс):      3.00\n"
                               " Комиссия сервися (проц):      4.00\n Штраф за возврат заказа публикатору:      5.00\n"
                               " Штраф за возврат заказа сервису:      6.00\n");
  // The list keeps one row per order, refreshing the last of several; deletion removes all, next to each other too.
  FakeListView list;
  ResetDesk(), SetColumn(list);
  for (std::intptr_t data : {7, 15, 15, 8}) list.InsertItemWithData(kAppendRowIndex, std::to_string(data), data);
  KestoOrder order;
  for (const auto& [id, street] : {std::pair(15, "fresh"), {9, "fresh"}, {9, "twice"}})
    order.OrderId = id, order.StreetFrom = street, PutOrderToListView(list, order);
  EXPECT_EQ(
      Fields(list.inserts, list.rows[1].cells[2], list.rows[2].cells[2], list.rows[4].cells[0], list.rows[4].cells[2]),
      Fields(5, "", "fresh", 9, "twice"));
  DelOrderFromListView(list, 15), DelOrderFromListView(list, 42);
  EXPECT_EQ(list.Ids(), (std::vector<std::intptr_t>{7, 8, 9}));
}

}  // namespace
