// ParseBlock: the envelope, the members each kind of message reads, the directories and the login answer, Authorized
// and the response queue; and the malformed blocks, which must change nothing.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "client/KestoBrimoClientAsync.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "support/ClientTestAccess.h"

using Access = KestoBrimoClientTestAccess;

namespace {

// The values, each followed by '|', with digits enough to tell floats apart: whole records compare at once.
template <typename... T>
std::string Join(const T&... values) {
  std::ostringstream out;
  out.precision(9);
  ((out << values << '|'), ...);
  return out.str();
}

std::string Dump(const KestoOrder& o) {
  return Join(o.UniKey, o.BrimoOrderState, o.CityIdFrom, o.CityIdTo, o.StreetFrom, o.AdditionalFrom, o.LatitudeFrom,
              o.LongitudeFrom, o.StreetTo, o.AdditionalTo, o.LatitudeTo, o.LongitudeTo, o.CarrierType, o.Price,
              o.ClientPhone, o.PhoneId, o.Comment, o.CarDescription, o.CarGovNumber, o.CarCallNumber, o.PreliminaryTime,
              o.Time0Km1Fixed2, o.StatusId, o.OrderId, o.WriteTime, o.Publisher, o.Acceptor, o.ServiceComission,
              o.PublisherComission, o.AcceptTime, o.TimeToLiveSec, o.ToCarMin, o.SetCarInfoTime);
}

// Every member of an order, each value different from the constructed one.
const char* const kOrderMembers =
    R"("UniKey":77,"BrimoOrderState":3,"CityIdFrom":10,"CityIdTo":11,"StreetFrom":"Тверская","AdditionalFrom":"д. 1",)"
    R"("LatitudeFrom":55.5,"LongitudeFrom":37.25,"StreetTo":"Арбат","AdditionalTo":"под. 2","LatitudeTo":-1.5,)"
    R"("LongitudeTo":2.75,"CarrierType":4,"Price":150.5,"ClientPhone":"+7 900","PhoneId":12,"Comment":"тихо",)"
    R"("CarDescription":"Лада","CarGovNumber":"А123ВС","CarCallNumber":13,"PreliminaryTime":4294967295,)"
    R"("Time0Km1Fixed2":2,"StatusId":5,"OrderId":815,"WriteTime":1000,"Publisher":6,"Acceptor":7,)"
    R"("ServiceComission":1.25,"PublisherComission":2.5,"AcceptTime":2000,"TimeToLiveSec":600,"ToCarMin":8,)"
    R"("SetCarInfoTime":3000)";
const char* const kTariffMembers =
    R"("Publisher":1,"Acceptor":2,"CityId":3,"TariffId":"Т-1","ServicePercent":4.5,"ServiceFixed":5,)"
    R"("PublisherPercent":6.25,"PublisherFixed":7,"ServiceReturnForeit":8,"PublisherReturnForeit":9.5,)"
    R"("MinOrderPrice":100,"Price":"not read","UniKey":77)";

// A message as the exchange sends it, in UTF-8: the envelope with every member at the edge of its range, then
// `payload` (written in code page 1251).
std::string Message(int reason, const std::string& payload, int status = 0, std::uint32_t commandId = 4294967295u) {
  return platform::Utf8FromAnsi(R"({"reason":)" + std::to_string(reason) + R"(,"CommandId":)" +
                                std::to_string(commandId) +
                                R"(,"CommandCode":11,"Num":-2147483648,"ErrorString":"Ошибка",)"
                                R"("OperationStatus":)" +
                                std::to_string(status) + "," + payload + "}");
}

std::string Directories(const std::string& carriers, const std::string& states, const std::string& cities,
                        const std::string& services, int status = 0, std::uint32_t commandId = 0) {
  return Message(2,
                 R"("CarrierTypeDirectory":)" + carriers + R"(,"OrderStatusDirectory":)" + states +
                     R"(,"CityDirectory":)" + cities + R"(,"ClientDbDirectory":)" + services,
                 status, commandId);
}

// `message` with the plain value of a member replaced ("Member:value") or the member left out ("Member").
std::string With(std::string message, const std::string& change) {
  const std::size_t colon = change.find(':'), at = message.find('"' + change.substr(0, colon) + "\":");
  const std::size_t end = message.find_first_of(",}", at);
  if (colon != std::string::npos)
    return message.replace(at + colon + 3, end - at - colon - 3, change.substr(colon + 1));
  return message.erase(message[end] == ',' ? at : at - 1, end - at + 1);
}

const char* const kNoOrder = "0|0|-1|-1|||0|0|||0|0|0|0||0||||0|0|1|-1|0|0|0|0|0|0|0|0|0|0|";

// Each kind after the envelope: the whole order, part of it, its id alone, the tariff, or only the envelope's "UniKey"
// (which kind 12 carries unusable). The records leave in arrival order.
TEST(ParseBlock, EachKindReadsTheEnvelopeAndTheMembersItCarriesAndNoOthersAndClearEmptiesTheOrder) {
  const std::string full =
      "3|10|11|Тверская|д. 1|55.5|37.25|Арбат|под. 2|-1.5|2.75|4|150.5|+7 900|12|тихо|Лада|А123ВС|13|"
      "4294967295|2|5|815|1000|6|7|1.25|2.5|2000|600|8|3000|";
  const std::string partial =
      "0|3|-1|-1|||0|0|||0|0|0|150.5|+7 900|12||Лада|А123ВС|13|0|1|5|815|0|0|7|1.25|2.5|2000|0|8|3000|";
  const std::string removed = "0|0|-1|-1|||0|0|||0|0|0|0||0||||0|0|1|-1|815|0|0|0|0|0|0|0|0|0|";
  const std::string envelopeKey = "77" + std::string(kNoOrder).substr(1);
  const std::string tariff = envelopeKey + "1|2|3|Т-1|4.5|5|6.25|7|8|9.5|100|";
  const std::pair<int, std::string> kinds[] = {
      {3, "0|" + full}, {5, "0|" + full},  {9, tariff},         {11, partial},     {4, removed},
      {6, removed},     {0, envelopeKey},  {1, envelopeKey},    {7, envelopeKey},  {8, envelopeKey},
      {12, kNoOrder},   {-3, envelopeKey}, {1000, envelopeKey}, {10, "77|" + full}};
  KestoBrimoClientAsync client;
  for (const auto& [reason, order] : kinds)
    client.ParseBlock(Message(reason, reason == 9    ? kTariffMembers
                                      : reason == 12 ? R"("UniKey":"77")"
                                                     : kOrderMembers));
  KestoBrimo_AsyncResponce r;
  for (const auto& [reason, order] : kinds) {
    EXPECT_TRUE(client.GetClientResponce(r)) << reason;
    const KestoTariffStruct& t = r.Tariff;
    EXPECT_EQ(Join(r.reason, r.CommandId, r.CommandCode, r.Num, r.ErrorString, r.OperationStatus) + Dump(r.Order) +
                  (reason != 9 ? ""
                               : Join(t.Publisher, t.Acceptor, t.CityId, t.TariffId, t.ServicePercent, t.ServiceFixed,
                                      t.PublisherPercent, t.PublisherFixed, t.ServiceReturnForeit,
                                      t.PublisherReturnForeit, t.MinOrderPrice)),
              Join(reason) + "4294967295|11|-2147483648|Ошибка|0|" + order);
  }
  EXPECT_TRUE(!client.GetClientResponce(r) && r.reason == 10);  // an empty queue leaves the record as it was
  r.Order.Clear();
  EXPECT_EQ(Dump(r.Order), "0|0|0|0|||0|0|||0|0|0|0||0||||0|0|0|0|0|0|0|0|0|0|0|0|0|0|");
}

const char* const kFirstState =
    "1=Легковой 2=Минивэн |7=позже |2=Москва 10=Тверь |15=16|ООО Такси|Такси|Иванов|нет|3|12 3 7 ";

// `message` parsed by `client`, then in one line: the status, the error text, Authorized, the four directories (id=name
// pairs, then each service's fields and cities) and the ids of the records queued.
std::string After(KestoBrimoClientAsync& client, const std::string& message) {
  Access::LastError(client).clear();
  const KBRStatus status = client.ParseBlock(message);
  std::ostringstream out;
  out << Join(status, Access::LastError(client), client.Authorized.load());
  for (const auto& names :
       {client.GetCarrierTypeDirectory(), client.GetOrderStatusDirectory(), client.GetCityDirectory()}) {
    for (const auto& [id, name] : names) out << id << '=' << name << ' ';
    out << '|';
  }
  for (const auto& [id, s] : client.GetTaxiDirectory()) {
    out << id << '=' << Join(s.ClientId, s.FullName, s.ShortName, s.LeaderName, s.Comment, s.TimeZone);
    for (std::int32_t city : s.CityIdList) out << city << ' ';
  }
  out << "|queued ";
  KestoBrimo_AsyncResponce record;
  while (client.GetClientResponce(record)) out << record.CommandId << ' ';
  return out.str();
}

// The directories fill all four maps; a block that is not JSON or does not convert whole changes nothing (nor crashes);
// a later message replaces every entry, and null empties a map. Every answer but the successful login (CommandId 0,
// status 0) is queued; that one does its work and is not.
TEST(ParseDirectories, FillTheMapsUnlessABlockIsRefusedAndOnlyTheSuccessfulLoginAnswerIsAbsorbed) {
  KestoBrimoClientAsync client;
  // Names are ids by the atoi rule, visited in byte order; a later name of the same number wins.
  const std::string first = Directories(
      R"({"1":"Легковой","2":"Минивэн"})", R"({"07":"раньше","7":"позже"})", R"({"10":"Тверь","2":"Москва"})",
      R"({"15":{"ClientId":16,"FullName":"ООО Такси","ShortName":"Такси","LeaderName":)"
      R"("Иванов","Comment":"нет","TimeZone":3,"CityIdList":{"12":0,"3":"x","7":[]}}})",
      1, 5);
  EXPECT_EQ(After(client, first), std::string("0||0|") + kFirstState + "|queued 5 ");  // status 1: not authorized
  // Each kind's message with one member left out, or out of its type or range.
  const std::pair<int, const char*> changes[] = {
      {7, "reason"},        {7, "CommandId"},          {7, "OperationStatus"}, {7, "ErrorString:5"},
      {3, "Price"},         {3, "PreliminaryTime:-1"}, {10, "UniKey"},         {11, "AcceptTime:4294967296"},
      {4, "OrderId"},       {6, R"(OrderId:"815")"},   {9, "TariffId:5"},      {9, "MinOrderPrice"},
      {2, "CityDirectory"}, {2, "ClientDbDirectory"}};
  const std::string nulls = Directories("null", "null", "null", "null");
  std::vector<std::string> blocks = {"", "{", "[]"};  // not JSON, not an object
  for (const auto& [reason, change] : changes)
    blocks.push_back(With(reason == 2 ? nulls : Message(reason, reason == 9 ? kTariffMembers : kOrderMembers), change));
  for (const char* cities : {"[]", R"({"1":5})", R"({"99999999999":"a"})"})
    blocks.push_back(With(nulls, std::string("CityDirectory:") + cities));
  for (const char* services : {R"({"99999999999":{"ClientId":1,"TimeZone":0,"CityIdList":{}}})", R"({"1":null})",
                               R"({"1":{"TimeZone":0,"CityIdList":{}}})", R"({"1":{"ClientId":1,"TimeZone":0}})",
                               R"({"1":{"ClientId":1,"TimeZone":0,"CityIdList":[1,2]}})",
                               R"({"1":{"ClientId":1,"TimeZone":0,"CityIdList":{"-3000000000":1}}})",
                               R"({"1":{"ClientId":1,"TimeZone":0,"FullName":1,"CityIdList":{}}})"})
    blocks.push_back(With(nulls, std::string("ClientDbDirectory:") + services));
  // The public JSON test suite, read where it lies beside the repository: no file there holds a whole message.
  for (const auto& file : std::filesystem::directory_iterator(KB_JSON_TEST_SUITE_DIR)) {
    blocks.emplace_back();
    EXPECT_TRUE(platform::ReadWholeFile(file.path().string(), blocks.back())) << file.path().string();
  }
  EXPECT_GT(blocks.size(), 100u);
  for (const std::string& block : blocks) {
    SCOPED_TRACE(block.substr(0, 200));
    EXPECT_EQ(After(client, block), std::string("-8|JSON parsing not success|0|") + kFirstState + "|queued ");
  }
  const std::string later = "|3=Грузовой ||5=Псков |20=20|||||0||queued ";
  for (int status : {-7, 0})
    EXPECT_EQ(After(client, Directories(R"({"3":"Грузовой"})", "null", R"({"5":"Псков"})",
                                        R"({"20":{"ClientId":20,"TimeZone":0,"CityIdList":null}})", status, 0)),
              status == 0 ? "0||1" + later : "0||0" + later + "0 ");
  EXPECT_EQ(After(client, Directories("{}", "{}", "{}", "null", -7, 7)), "0||1|||||queued 7 ");  // still authorized
}

}  // namespace
