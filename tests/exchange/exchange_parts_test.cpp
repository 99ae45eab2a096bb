// The exchange's building blocks: cutting blocks out of received bytes, the
// data file, the UTF-8 wire form of messages, the demo traffic and the
// command line.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>

#include "ExchangeTestData.h"
#include "exchange/BlockReader.h"
#include "exchange/CommandLine.h"
#include "exchange/DemoTraffic.h"
#include "platform/files.h"

#ifndef KB_EXCHANGE_DEMO_DATA
#error "KB_EXCHANGE_DEMO_DATA must name the shipped data file"
#endif

namespace {

TEST(BlockReader, PipelinedBlocksAllArriveAndOnlyAnUnterminatedOneOverflows) {
  BlockReader reader(100);
  std::vector<std::string> blocks;
  std::string block;
  const std::string bytes("{\"a\":1}\n\x08\0{\"b\":2}\n\x08\0{\"c\"", 24);
  reader.Append(bytes.data(), bytes.size());
  while (reader.Next(block)) blocks.push_back(block);
  reader.Append(":3}\x08", 4);
  while (reader.Next(block)) blocks.push_back(block);
  EXPECT_THAT(blocks, testing::ElementsAre("{\"a\":1}\n", "{\"b\":2}\n", "{\"c\":3}"));
  EXPECT_EQ(reader.Pending(), 0u);

  BlockReader limited(10);
  limited.Append("0123456789", 10);
  EXPECT_FALSE(limited.Next(block));
  EXPECT_FALSE(limited.Overflowed());
  limited.Append("x", 1);
  EXPECT_TRUE(limited.Overflowed());
  // Many complete blocks in one chunk are no overflow, however long the chunk.
  const std::string terminators(100000, '\x08');
  BlockReader many(10);
  many.Append(terminators.data(), terminators.size());
  int count = 0;
  while (many.Next(block)) ++count;
  EXPECT_EQ(count, 100000);
  EXPECT_FALSE(many.Overflowed());
}

TEST(ExchangeData, ShippedDemoFileHasWhatTheDeskNeeds) {
  std::string text, error;
  ASSERT_TRUE(platform::ReadWholeFile(KB_EXCHANGE_DEMO_DATA, text));
  ExchangeData data;
  ASSERT_TRUE(LoadExchangeData(text, data, error)) << error;
  // The new-order dialog preselects this status by its exact name; 17 is the
  // id that dialog falls back to.
  EXPECT_EQ(data.OrderStatuses.at(17), u8"На сервере обмена");
  EXPECT_EQ(data.Cities.at(1), u8"Москва");
  int simulated = 0;
  for (const auto& [id, service] : data.Services) {
    EXPECT_FALSE(service.FullName.empty() || service.LeaderName.empty() || service.ShortName.empty() ||
                 service.Cities.empty())
        << id;
    simulated += service.Simulated;
  }
  EXPECT_GE(simulated, 2);
  EXPECT_NE(FindAccount(data, "mirdaton"), nullptr);
  EXPECT_NE(FindTariff(data, 1, 2, 1), nullptr);
}

TEST(ExchangeData, MalformedFilesAreRefusedAndTheMostSpecificTariffWins) {
  const std::string valid = R"({"CarrierTypes":{"1":"Car"},"OrderStatuses":{"17":"S"},"Cities":{"1":"C"},
    "Services":[{"Id":1,"FullName":"F","ShortName":"S","Cities":[1]}],
    "Accounts":[{"Login":"a","Password":"p","ServiceId":1}],"Tariffs":[]})";
  ExchangeData data;
  std::string error;
  ASSERT_TRUE(LoadExchangeData(valid, data, error)) << error;
  const std::pair<std::string, std::string> edits[] = {
      {"\"1\":\"Car\"", "\"x\":\"Car\""},      // an id that is not a number
      {"\"Cities\":[1]", "\"Cities\":[9]"},    // a service in an unknown city
      {"\"ServiceId\":1", "\"ServiceId\":2"},  // an account of no service
      {"\"Id\":1", "\"Id\":\"1\""},            // a mistyped id
      {"\"Tariffs\":[]", "\"Tariffs\":{}"},   {"{\"CarrierTypes\"", "[{\"CarrierTypes\""},
  };
  for (const auto& [from, to] : edits) {
    std::string broken = valid;
    broken.replace(broken.find(from), from.size(), to);
    error.clear();
    EXPECT_FALSE(LoadExchangeData(broken, data, error)) << to;
    EXPECT_FALSE(error.empty());
  }

  data = TestExchangeData();
  EXPECT_EQ(FindTariff(data, 1, 2, 1)->TariffId, "ALPHA-BETA");
  EXPECT_EQ(FindTariff(data, 2, 1, 1)->TariffId, "BASE");
  data.Tariffs.clear();
  EXPECT_EQ(FindTariff(data, 1, 2, 1), nullptr);
}

TEST(Messages, TextsTravelAsRawUtf8AndBlocksEndWithTheTerminator) {
  ExchangeOrder order;
  order.StreetFrom = u8"ул. Тверская";
  order.PreliminaryTime = 4294967295LL;
  const std::string block = JsonBlock(OrderMessage(3, AnswerTo{}, order, 2));
  ASSERT_FALSE(block.empty());
  EXPECT_EQ(block.find('\x08'), block.size() - 1);
  EXPECT_NE(block.find(u8"ул. Тверская"), std::string::npos);
  EXPECT_EQ(block.find_first_of("\\\n"), std::string::npos);
  const Json::Value m = DecodeBlock(block);
  EXPECT_EQ(m["PreliminaryTime"].asUInt(), 4294967295u);
  // Every member the client reads as a number is present.
  for (const char* name : {"reason",          "CommandId",        "CommandCode",        "Num",
                           "OperationStatus", "UniKey",           "BrimoOrderState",    "CityIdFrom",
                           "CityIdTo",        "LatitudeFrom",     "CarrierType",        "Price",
                           "PhoneId",         "CarCallNumber",    "PreliminaryTime",    "Time0Km1Fixed2",
                           "StatusId",        "OrderId",          "WriteTime",          "Publisher",
                           "Acceptor",        "ServiceComission", "PublisherComission", "AcceptTime",
                           "TimeToLiveSec",   "ToCarMin",         "SetCarInfoTime"}) {
    EXPECT_TRUE(m[name].isNumeric()) << name;
  }
}

TEST(DemoTraffic, SimulatedServicesPublishRepriceAndWithdrawWithinBounds) {
  Exchange exchange(TestExchangeData());
  const SessionId watcher = exchange.OpenSession("test");
  const std::string rnd = DecodeBlock(exchange.TakeOutgoing().at(0).Bytes)["RndStr"].asString();
  exchange.HandleBlock(watcher, JsonText(LoginRequest("beta", "b-pass", rnd)), 1000);
  exchange.TakeOutgoing();

  DemoTraffic demo(exchange, 12345);
  ASSERT_TRUE(demo.HasActors());
  std::set<int> reasons;
  std::set<double> prices;
  for (int step = 0; step < 300; ++step) {
    demo.Step(1000 + step * 4);
    exchange.ExpireOrders(1000 + step * 4);
    for (const OutgoingBlock& b : exchange.TakeOutgoing()) {
      const Json::Value m = DecodeBlock(b.Bytes);
      reasons.insert(m["reason"].asInt());
      if (m["reason"].asInt() == 3) prices.insert(m["Price"].asDouble());
    }
    ASSERT_LE(exchange.Orders().size(), 8u);
  }
  EXPECT_TRUE(reasons.count(3) && reasons.count(4));
  EXPECT_GT(prices.size(), 3u);
  for (const auto& entry : exchange.Orders()) EXPECT_EQ(entry.second.Publisher, 4);
}

TEST(CommandLine, OptionsAndMistakes) {
  CommandLine line;
  std::string error;
  ASSERT_TRUE(ParseCommandLine({}, line, error));
  EXPECT_EQ(line.Server.Port, kDefaultExchangePort);
  EXPECT_EQ(line.Server.BindAddress, "127.0.0.1");
  EXPECT_FALSE(line.Server.Demo);
  ASSERT_TRUE(ParseCommandLine({"--port", "0", "--demo", "--data", "x.json", "--bind", "0.0.0.0"}, line, error));
  EXPECT_EQ(line.Server.Port, 0);
  EXPECT_TRUE(line.Server.Demo);
  EXPECT_EQ(line.DataPath, "x.json");
  EXPECT_EQ(line.Server.BindAddress, "0.0.0.0");
  ASSERT_TRUE(ParseCommandLine({"--help"}, line, error));
  EXPECT_TRUE(line.Help);
  for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{{"--port"},
                                                                                   {"--port", "65536"},
                                                                                   {"--port", "-1"},
                                                                                   {"--port", "12x"},
                                                                                   {"--data"},
                                                                                   {"--demo-for", "0"},
                                                                                   {"--frobnicate"}}) {
    EXPECT_FALSE(ParseCommandLine(bad, line, error));
    EXPECT_FALSE(error.empty());
  }
  EXPECT_NE(UsageText("kbexchange").find("17171"), std::string::npos);
}

}  // namespace
