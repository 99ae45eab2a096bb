// Texts the desk shows of an order: list row cells with their time and number
// formats, the row kept per order id, and the layouts of the answer boxes.
#include <gtest/gtest.h>

#include "DeskFakes.h"
#include "desk/MessageTexts.h"
#include "desk/OrderList.h"

namespace {
using Access = KestoBrimoClientTestAccess;
using Texts = std::vector<std::string>;

std::string ExpectedLocal(std::int64_t t) {
  platform::LocalTime l;
  if (!platform::ToLocalTime(t, l)) return "?";
  char text[64];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d %02d.%02d.%04d ", l.Hour, l.Minute, l.Second, l.Day, l.Month,
                l.Year);
  return text;
}

KestoOrder SampleOrder() {
  KestoOrder o;
  o.OrderId = 4711, o.CityIdFrom = 1, o.CityIdTo = 2, o.CarrierType = 3, o.StatusId = 17, o.BrimoOrderState = 1;
  o.StreetFrom = "Тверская", o.AdditionalFrom = "д. 5", o.StreetTo = "Арбат", o.AdditionalTo = "под. 2";
  o.ClientPhone = "+7 900 000", o.Comment = std::string(5000, 'c') + "%s";
  o.Price = 12.5f, o.PublisherComission = 1.25f, o.ServiceComission = 100;
  o.PreliminaryTime = 1236000000, o.WriteTime = 0, o.AcceptTime = 1236003600, o.SetCarInfoTime = 65535;
  o.Publisher = 10, o.Acceptor = 99, o.Time0Km1Fixed2 = 7, o.TimeToLiveSec = 600, o.ToCarMin = 12;
  o.CarDescription = "Лада", o.CarGovNumber = "А001АА", o.CarCallNumber = -5;
  return o;
}

void FillDirectories(KestoBrimoClientAsync& client) {
  Access::SetCities(client, {{1, "Москва"}, {2, "Тверь"}});
  Access::SetCarrierTypes(client, {{3, "Седан"}});
  Access::SetOrderStatuses(client, {{17, "На сервере обмена"}});
  KestoDirectoryItem publisher;
  publisher.ShortName = "Такси-1";
  Access::SetTaxis(client, {{10, publisher}});
}

TEST(FormatTime, EmptyForValuesThatAreNotTimes) {
  for (std::int64_t notATime : {0LL, 65535LL, -1LL, 0xFFFF0000LL, 0x7FFFFFFFFFFF0000LL})
    EXPECT_EQ(FormatTime(notATime), "") << notATime;
  EXPECT_EQ(FormatTime(65536), ExpectedLocal(65536));
  EXPECT_NE(FormatTime(65536).find(".01.1970 "), std::string::npos) << FormatTime(65536);
  EXPECT_EQ(FormatTime(1236000000), ExpectedLocal(1236000000));
  EXPECT_EQ(ToString(-2147483647 - 1), "-2147483648");
}

TEST(OrderRow, CellsFromTheOrderAndTheDirectoriesOrTheirPlaceholders) {
  KestoBrimoClientAsync client;
  FillDirectories(client);
  const KestoOrder order = SampleOrder();
  const auto cells = OrderRowCells(order, client);
  EXPECT_EQ(Texts(cells.begin(), cells.end()), (Texts{"4711",
                                                      "Москва",
                                                      "Тверская",
                                                      "д. 5",
                                                      "Тверь",
                                                      "Арбат",
                                                      "под. 2",
                                                      "+7 900 000",
                                                      "Седан",
                                                      "     12.50",
                                                      ExpectedLocal(1236000000),
                                                      "На сервере обмена",
                                                      "Принят нами",
                                                      "()Такси-1",
                                                      "(" + ExpectedLocal(1236003600) + ")",
                                                      "      1.25/    100.00",
                                                      "фикс. стоимость",
                                                      order.Comment,
                                                      "Лада",
                                                      "А001АА",
                                                      "-5",
                                                      "600",
                                                      "12",
                                                      ""}));

  KestoOrder unknown;  // city ids and status -1, mileage mode
  unknown.BrimoOrderState = 9;
  KestoBrimoClientAsync empty;
  const auto placeholders = OrderRowCells(unknown, empty);
  EXPECT_EQ(
      Texts({placeholders[1], placeholders[8], placeholders[11], placeholders[12], placeholders[13], placeholders[16]}),
      (Texts{"", "<не определен>", "<не определен>", "<не определен>", "()", "километраж"}));
  unknown.Time0Km1Fixed2 = 0;
  EXPECT_EQ(OrderRowCells(unknown, empty)[16], "Время");
  EXPECT_EQ(BrimoOrderStateText(4), "Не опубликован");
  EXPECT_EQ(BrimoOrderStateText(5), "<не определен>");
}

class OrderListView : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetDesk();
    SetColumn(list);
  }
  void TearDown() override { ResetDesk(); }
  FakeListView list;
};

TEST_F(OrderListView, SetColumnGivesTheTwentyFourColumnsAndAnOrderPutTwiceKeepsOneRow) {
  EXPECT_EQ(list.styles, 0x31u);  // grid lines, header drag and drop, full row select
  ASSERT_EQ(list.columns.size(), 24u);
  EXPECT_EQ(list.columns[0], std::make_pair(std::string("ID"), 0));
  EXPECT_EQ(list.columns[9], std::make_pair(std::string("Цена"), 80));
  EXPECT_EQ(list.columns[23], std::make_pair(std::string("Время установки описания машины"), 240));

  FillDirectories(Client);
  KestoOrder order = SampleOrder();
  PutOrderToListView(list, order);
  order.StreetFrom = "Новая";
  PutOrderToListView(list, order);
  ASSERT_EQ(list.rows.size(), 1u);
  EXPECT_EQ(list.rows[0].data, 4711);
  EXPECT_EQ(Texts(list.rows[0].cells.begin(), list.rows[0].cells.begin() + 3), (Texts{"4711", "Москва", "Новая"}));
}

TEST_F(OrderListView, TheLastOfSeveralMatchingRowsIsRefreshedAndDeletionRemovesAll) {
  for (std::intptr_t data : {5, 7, 5, 8}) list.InsertItemWithData(kAppendRowIndex, "x", data);
  KestoOrder order;
  order.OrderId = 5;
  order.StreetFrom = "fresh";
  PutOrderToListView(list, order);
  EXPECT_EQ(list.rows[0].cells[2], "");
  EXPECT_EQ(list.rows[2].cells[2], "fresh");
  EXPECT_EQ(list.inserts, 4);
  DelOrderFromListView(list, 5);
  DelOrderFromListView(list, 42);
  EXPECT_EQ(list.Ids(), (std::vector<std::intptr_t>{7, 8}));
  // Adjacent matches: the row moving into a deleted index is looked at too.
  FakeListView pairs;
  for (std::intptr_t data : {3, 3, 3}) pairs.InsertItemWithData(kAppendRowIndex, "x", data);
  DelOrderFromListView(pairs, 3);
  EXPECT_TRUE(pairs.rows.empty());
}

TEST(StatusBox, CaptionNamesTheStatusAndTextShowsErrorAndNumber) {
  EXPECT_EQ((Texts{StatusCaption(-9), StatusCaption(2), StatusCaption(-13)}),
            (Texts{"KBRStatus_UnknownResponse", "OperationStatus=2", "OperationStatus=-13"}));
  KestoBrimo_AsyncResponce response;
  response.ErrorString = "нет заказа";
  response.Num = -3;
  EXPECT_EQ(StatusText(response), "ErrorString='нет заказа'\nDigitalValue='-3'\n");
}

TEST(TariffBox, ExactLayoutAndATariffIdOfAnyLength) {
  KestoTariffStruct t;
  t.Publisher = 1, t.Acceptor = 2, t.CityId = 3, t.TariffId = "T-1", t.MinOrderPrice = 777;
  t.PublisherFixed = 1, t.PublisherPercent = 2.5f, t.ServiceFixed = 3, t.ServicePercent = 4;
  t.PublisherReturnForeit = 5, t.ServiceReturnForeit = 6;
  EXPECT_EQ(TariffText(t),
            "Publisher=1,Acceptor=2,CityId=3,\n ID Тарифа:T-1\n Комиссия публикатора (фикс):      1.00\n"
            " Комиссия публикатора (проц):      2.50\n Комиссия сервиса (фикс):      3.00\n"
            " Комиссия сервися (проц):      4.00\n Штраф за возврат заказа публикатору:      5.00\n"
            " Штраф за возврат заказа сервису:      6.00\n");
  t.TariffId = std::string(100000, '%') + "%s%n";
  const std::string text = TariffText(t);
  EXPECT_NE(text.find(" ID Тарифа:" + t.TariffId + "\n"), std::string::npos);
  EXPECT_NE(text.find("сервису:      6.00\n"), std::string::npos);
}

TEST(OrderInfoBox, ExactLayoutWithMissingNames) {
  KestoBrimoClientAsync client;
  Access::SetCities(client, {{1, "Москва"}});
  KestoOrder order;
  order.OrderId = 12, order.CityIdFrom = 1, order.BrimoOrderState = 7, order.Publisher = 5;
  order.Time0Km1Fixed2 = 2, order.CarCallNumber = 31;
  order.StreetFrom = "Тверская";
  order.Price = 99.999f;
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
  for (const std::string& line :
       Texts{"AcceptorName=Наши\n", "GetCarrierType=Любой\n", ",StatusId=Нет\n", "Comment=" + order.Comment + "\nCar"})
    EXPECT_NE(text.find(line), std::string::npos) << line;
}

}  // namespace
