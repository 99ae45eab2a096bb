// Order list rows: cell texts, time and number formats, and the row kept per order id.
#include "desk/OrderList.h"

#include <gtest/gtest.h>

#include "DeskFakes.h"

namespace {
using Access = KestoBrimoClientTestAccess;

std::string ExpectedLocal(std::int64_t t) {
  platform::LocalTime local;
  if (!platform::ToLocalTime(t, local)) return "?";
  char text[64];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d %02d.%02d.%04d ", local.Hour, local.Minute, local.Second,
                local.Day, local.Month, local.Year);
  return text;
}

KestoOrder SampleOrder() {
  KestoOrder order;
  order.OrderId = 4711;
  order.CityIdFrom = 1;
  order.CityIdTo = 2;
  order.StreetFrom = "Тверская";
  order.AdditionalFrom = "д. 5";
  order.StreetTo = "Арбат";
  order.AdditionalTo = "под. 2";
  order.ClientPhone = "+7 900 000";
  order.CarrierType = 3;
  order.Price = 12.5f;
  order.PreliminaryTime = 1236000000;
  order.StatusId = 17;
  order.BrimoOrderState = 1;
  order.WriteTime = 0;
  order.Publisher = 10;
  order.AcceptTime = 1236003600;
  order.Acceptor = 99;
  order.PublisherComission = 1.25f;
  order.ServiceComission = 100;
  order.Time0Km1Fixed2 = 7;
  order.Comment = std::string(5000, 'c');
  order.CarDescription = "Лада";
  order.CarGovNumber = "А001АА";
  order.CarCallNumber = -5;
  order.TimeToLiveSec = 600;
  order.ToCarMin = 12;
  order.SetCarInfoTime = 65535;
  return order;
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
  EXPECT_EQ(FormatTime(0), "");
  EXPECT_EQ(FormatTime(65535), "");
  EXPECT_EQ(FormatTime(-1), "");
  EXPECT_EQ(FormatTime(0xFFFF0000LL), "");
  EXPECT_EQ(FormatTime(0x7FFFFFFFFFFF0000LL), "");
  const std::string first = FormatTime(65536);
  EXPECT_EQ(first, ExpectedLocal(65536));
  EXPECT_NE(first.find(".01.1970 "), std::string::npos) << first;
  EXPECT_EQ(FormatTime(1236000000), ExpectedLocal(1236000000));
  EXPECT_EQ(ToString(-2147483647 - 1), "-2147483648");
}

TEST(OrderRow, CellsFromTheOrderAndTheDirectories) {
  KestoBrimoClientAsync client;
  FillDirectories(client);
  const KestoOrder order = SampleOrder();
  const std::array<std::string, kOrderColumnCount> expected = {
      "4711", "Москва", "Тверская", "д. 5", "Тверь", "Арбат", "под. 2", "+7 900 000", "Седан", "     12.50",
      ExpectedLocal(1236000000), "На сервере обмена", "Принят нами", "()Такси-1",
      "(" + ExpectedLocal(1236003600) + ")", "      1.25/    100.00", "фикс. стоимость", order.Comment, "Лада",
      "А001АА", "-5", "600", "12", ""};
  EXPECT_EQ(OrderRowCells(order, client), expected);
}

TEST(OrderRow, UnknownReferencesAndCodes) {
  KestoBrimoClientAsync client;
  KestoOrder order;  // city ids and status -1, mileage mode
  order.BrimoOrderState = 9;
  const auto cells = OrderRowCells(order, client);
  EXPECT_EQ(cells[1], "");
  EXPECT_EQ(cells[8], "<не определен>");
  EXPECT_EQ(cells[11], "<не определен>");
  EXPECT_EQ(cells[12], "<не определен>");
  EXPECT_EQ(cells[13], "()");
  EXPECT_EQ(cells[16], "километраж");
  order.Time0Km1Fixed2 = 0;
  EXPECT_EQ(OrderRowCells(order, client)[16], "Время");
  EXPECT_EQ(BrimoOrderStateText(4), "Не опубликован");
  EXPECT_EQ(BrimoOrderStateText(5), "<не определен>");
}

class OrderListView : public ::testing::Test {
 protected:
  void SetUp() override { ResetDesk(); }
  void TearDown() override { ResetDesk(); }
  FakeListView list;
};

TEST_F(OrderListView, SetColumnGivesTheTwentyFourColumns) {
  SetColumn(list);
  EXPECT_EQ(list.styles, 0x31u);  // grid lines, header drag and drop, full row select
  ASSERT_EQ(list.columns.size(), 24u);
  EXPECT_EQ(list.columns[0], std::make_pair(std::string("ID"), 0));
  EXPECT_EQ(list.columns[9], std::make_pair(std::string("Цена"), 80));
  EXPECT_EQ(list.columns[23], std::make_pair(std::string("Время установки описания машины"), 240));
}

TEST_F(OrderListView, PuttingAnOrderTwiceKeepsOneRowWithTheSecondVersion) {
  SetColumn(list);
  FillDirectories(Client);
  KestoOrder order = SampleOrder();
  PutOrderToListView(list, order);
  order.StreetFrom = "Новая";
  PutOrderToListView(list, order);
  ASSERT_EQ(list.rows.size(), 1u);
  EXPECT_EQ(list.rows[0].data, 4711);
  EXPECT_EQ(list.rows[0].cells[0], "4711");
  EXPECT_EQ(list.rows[0].cells[1], "Москва");
  EXPECT_EQ(list.rows[0].cells[2], "Новая");
}

TEST_F(OrderListView, TheLastOfSeveralMatchingRowsIsRefreshedAndDeletionRemovesAll) {
  SetColumn(list);
  for (std::intptr_t data : {5, 7, 5, 8}) list.InsertItemWithData(kAppendRowIndex, "x", data);
  KestoOrder order;
  order.OrderId = 5;
  order.StreetFrom = "fresh";
  PutOrderToListView(list, order);
  EXPECT_EQ(list.rows[0].cells[2], "");
  EXPECT_EQ(list.rows[2].cells[2], "fresh");
  EXPECT_EQ(list.inserts, 4);

  DelOrderFromListView(list, 5);
  ASSERT_EQ(list.rows.size(), 2u);
  EXPECT_EQ(list.rows[0].data, 7);
  EXPECT_EQ(list.rows[1].data, 8);
  DelOrderFromListView(list, 42);
  EXPECT_EQ(list.rows.size(), 2u);

  // Adjacent matches: the row moving into a deleted index is looked at too.
  FakeListView pairs;
  for (std::intptr_t data : {3, 3, 3}) pairs.InsertItemWithData(kAppendRowIndex, "x", data);
  DelOrderFromListView(pairs, 3);
  EXPECT_TRUE(pairs.rows.empty());
}

}  // namespace
