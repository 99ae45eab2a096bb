// The exchange over real loopback connections: the handshake, pipelined requests, many peers racing for one order,
// peers that misbehave, stopping; and the project's own client publishing and accepting through it, with Russian
// texts making the whole trip through both code page conversions.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <functional>
#include <future>
#include <memory>

#include "ExchangeTestData.h"
#include "client/KestoBrimoClientAsync.h"
#include "exchange/BlockReader.h"
#include "exchange/ExchangeServer.h"
#include "platform/clock.h"
#include "platform/sync.h"

namespace {

// The exchange served by a thread of the test on 127.0.0.1 and an ephemeral port; its log is read once it stopped.
struct RunningExchange {
  explicit RunningExchange(ServerOptions options = ServerOptions()) {
    options.Port = 0;
    server.reset(
        new ExchangeServer(TestExchangeData(), options, [this](const std::string& line) { log += line + "\n"; }));
    std::string error;
    if (!server->Listen(error)) throw std::runtime_error("listen: " + error);
    done = std::async(std::launch::async, [this] { server->Run(); });
  }
  ~RunningExchange() { Stop(); }
  // True when the loop ended within the bound.
  bool Stop() {
    server->Stop();
    return done.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
  }
  std::unique_ptr<ExchangeServer> server;
  std::future<void> done;
  std::string log;
};

// One request as the client frames it: text, line feed, 0x08, 0x00.
std::string Framed(const Json::Value& request) { return JsonText(request) + "\n" + std::string("\x08\0", 2); }

// A TCP peer that speaks to the exchange byte by byte; each read waits five seconds at most.
struct RawPeer {
  explicit RawPeer(std::uint16_t port) : fd(socket(AF_INET, SOCK_STREAM, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const timeval bound{5, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &bound, sizeof bound);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) throw std::runtime_error("connect");
  }
  ~RawPeer() { close(fd); }
  bool SendBytes(const std::string& bytes) {
    return send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) == ssize_t(bytes.size());
  }
  bool SendRequest(const Json::Value& request) { return SendBytes(Framed(request)); }
  // The next block as JSON; null when none comes or the connection closes.
  Json::Value Read() {
    std::string block;
    Json::Value value;
    while (!reader.Next(block))
      if (Receive() <= 0) return value;
    ParseJsonText(block, value);
    return value;
  }
  // Reads past notifications to the answer to request `commandId`.
  Json::Value ReadAnswer(unsigned commandId) {
    for (Json::Value m = Read();; m = Read())
      if (m.isNull() || (m["CommandId"].asUInt() == commandId && m["CommandCode"].asInt() != 0)) return m;
  }
  // True when the exchange closes the connection (rather than go silent).
  bool Closed() {
    for (ssize_t n = Receive();; n = Receive())
      if (n <= 0) return n == 0 || errno != EAGAIN;
  }
  // Reads the authentication block and logs in; the answer to the login.
  Json::Value Login(const std::string& login, const std::string& password) {
    SendRequest(LoginRequest(login, password, Read()["RndStr"].asString()));
    return Read();
  }
  ssize_t Receive() {
    char chunk[65536];
    const ssize_t n = recv(fd, chunk, sizeof chunk, 0);
    if (n > 0) reader.Append(chunk, static_cast<std::size_t>(n));
    return n;
  }
  int fd;
  BlockReader reader{64 << 20};
};

// A refused or misbehaving peer is dropped alone: pipelined and byte-by-byte requests of another are answered in
// order. Then 250 peers of two services at once: each is answered, each is offered a new order, and of all who ask
// for it at once exactly one gets it. Stopping closes the rest.
TEST(ExchangeServer, MisbehavingPeersAreDroppedAloneManyAreServedOneAcceptorOfManyWinsAndStopClosesTheRest) {
  ServerOptions options;
  options.MaxBlockBytes = 64 * 1024;
  RunningExchange exchange(options);
  const std::uint16_t port = exchange.server->Port();
  RawPeer good(port), quiet(port), intruder(port), garbage(port), endless(port);
  const Json::Value auth = good.Read();
  EXPECT_EQ(auth["reason"].asString() + " " + std::to_string(auth["RndStr"].asString().size()), "1 32");
  // Told why, then closed.
  EXPECT_EQ(intruder.Login("alpha", "guess")["ErrorString"].asString(), u8"Неверное имя пользователя или пароль");
  EXPECT_TRUE(intruder.Closed());
  EXPECT_TRUE(garbage.SendBytes("GET / HTTP/1.0\r\n\r\n\x08") && garbage.Closed());
  endless.SendBytes(std::string(200 * 1024, '{'));
  EXPECT_TRUE(endless.Closed());
  RawPeer(port).SendBytes("{\"CommandCode\":5,");  // leaves in the middle of a block
  // The login and two more requests in one write; then a request a byte at a time.
  ASSERT_TRUE(good.SendBytes(Framed(LoginRequest("alpha", "a-pass", auth["RndStr"].asString())) +
                             Framed(Request(5, 5)) + Framed(Request(2, 6))));
  for (char c : Framed(Request(5, 7))) ASSERT_TRUE(good.SendBytes(std::string(1, c)));
  // The directories carry the service's id as their Num, the statements its balance.
  std::string got;
  for (int i = 0; i < 4; ++i) got += Show(good.Read(), "reason CommandId CommandCode OperationStatus Num") + "; ";
  EXPECT_EQ(got, "2 0 2 0 1; 7 5 5 0 1000; 2 6 2 0 1; 7 7 5 0 1000; ");
  std::vector<std::unique_ptr<RawPeer>> peers;
  for (unsigned i = 0; i < 250; ++i) {
    peers.emplace_back(new RawPeer(port));
    ASSERT_EQ(peers[i]->Login(i % 2 ? "beta" : "gamma", i % 2 ? "b-pass" : "g-pass")["OperationStatus"].asInt(), 0);
  }
  for (unsigned i = 0; i < peers.size(); ++i) ASSERT_TRUE(peers[i]->SendRequest(Request(5, 1000 + i)));
  for (unsigned i = 0; i < peers.size(); ++i) ASSERT_EQ(peers[i]->ReadAnswer(1000 + i)["Num"].asInt(), i % 2 ? 500 : 0);
  ASSERT_TRUE(good.SendRequest(InsertRequest(11, 300)));
  const Json::Value id = good.ReadAnswer(11)["OrderId"];
  for (auto& peer : peers) ASSERT_EQ(Show(peer->Read(), "reason OrderId"), "3 " + id.asString());
  for (unsigned i = 0; i < peers.size(); ++i) ASSERT_TRUE(peers[i]->SendRequest(OrderRequest(3, 100 + i, id.asInt())));
  int winners = 0;
  for (unsigned i = 0; i < peers.size(); ++i) {
    const Json::Value answer = peers[i]->ReadAnswer(100 + i);
    winners += answer["OperationStatus"] == 0 && answer["BrimoOrderState"] == 1;
    EXPECT_TRUE(answer["OperationStatus"] == 0 || answer["ErrorString"].asString() != "");
  }
  EXPECT_EQ(winners, 1);
  EXPECT_EQ(good.Read()["BrimoOrderState"].asInt(), 3);
  quiet.Read();
  EXPECT_TRUE(exchange.Stop() && good.Closed() && quiet.Closed());
  EXPECT_TRUE(exchange.log.find("opened") != std::string::npos &&
              exchange.log.find("GetStatement #5") != std::string::npos);
}

using Response = KestoBrimo_AsyncResponce;

// A desk's client connected to the exchange.
struct DeskClient : KestoBrimoClientAsync {
  DeskClient(std::uint16_t port, const std::string& login, const std::string& password) {
    SetConnectionParam("127.0.0.1", port, login, password);
    Connect();
  }
  ~DeskClient() { Disconnect(); }
  // Takes responses until one that `match` accepts and returns it; one of reason -1 when none comes in ten seconds.
  Response Next(const std::function<bool(const Response&)>& match) {
    Response r;
    while (GetClientResponce(r, 10000))
      if (match(r)) return r;
    return r.reason = -1, r;
  }
};

TEST(ExchangeWithClient, OnePublishesAnotherAcceptsAndEachIsTold) {
  RunningExchange exchange;
  DeskClient alpha(exchange.server->Port(), "alpha", "a-pass"), beta(exchange.server->Port(), "beta", "b-pass");
  for (int waits = 0; waits < 2000 && !(alpha.Authorized && beta.Authorized); ++waits) platform::SleepMs(5);
  ASSERT_TRUE(alpha.Authorized && beta.Authorized);
  EXPECT_EQ(alpha.GetCity(1) + alpha.GetTaxiDirectory().at(2).ShortName, "MoscowBeta");
  KestoOrder order;
  order.Clear();
  order.CityIdFrom = order.CarrierType = 1, order.CityIdTo = 2, order.StatusId = 17, order.Price = 450.5f;
  order.StreetFrom = "ул. Тверская";  // code page 1251 in memory
  order.Comment = "Детское кресло";
  // reason, code, status, publisher, state, acceptor, price, street, comment
  const auto show = [](const Response& r) {
    const KestoOrder& o = r.Order;
    return std::to_string(r.reason) + " " + std::to_string(r.CommandCode) + " " + std::to_string(r.OperationStatus) +
           " " + std::to_string(o.Publisher) + " " + std::to_string(o.BrimoOrderState) + " " +
           std::to_string(o.Acceptor) + " " + std::to_string(o.Price) + " " + o.StreetFrom + " " + o.Comment;
  };
  const auto answerTo = [](std::uint32_t id) { return [id](const Response& r) { return r.CommandId == id; }; };
  const auto about = [](int reason, int id) {
    return [=](const Response& r) { return r.reason == reason && r.Order.OrderId == id; };
  };
  const Response published = alpha.Next(answerTo(alpha.InsertOrder(order)));
  EXPECT_EQ(show(published), "5 1 0 1 0 0 450.500000 ул. Тверская Детское кресло");
  const int id = published.Order.OrderId;
  EXPECT_EQ(show(beta.Next(about(3, id))), "3 0 0 1 0 0 450.500000 ул. Тверская Детское кресло");
  EXPECT_EQ(show(beta.Next(answerTo(beta.AcceptOrder(id)))), "5 3 0 1 1 2 450.500000 ул. Тверская Детское кресло");
  EXPECT_EQ(beta.Next(about(4, id)).reason, 4);
  EXPECT_EQ(alpha.Next(about(5, id)).Order.BrimoOrderState, 3);
  beta.AddCarDescription(id, "Белая «Лада»", "А123ВС77", 17, 6);
  const KestoOrder car = alpha.Next([](const Response& r) { return r.Order.CarGovNumber == "А123ВС77"; }).Order;
  EXPECT_EQ(car.CarDescription + " " + std::to_string(car.ToCarMin), "Белая «Лада» 6");
}

}  // namespace
