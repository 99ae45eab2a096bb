// Journal lines from received messages, and the journal's list.
#include "desk/Journal.h"

#include "desk/MessageTexts.h"
#include "desk/OrderList.h"
#include "desk/TextFormat.h"
#include "protocol/KBRCodes.h"

namespace {

struct JournalColumn {
  const char* caption;
  int width;
};
constexpr JournalColumn kJournalColumns[] = {
    {"Время", 125}, {"Команда", 190}, {"Заказ", 70}, {"Статус", 150}, {"Сообщение биржи", 500},
};

const char* NotificationName(std::int32_t reason) {
  switch (reason) {
    case KBRReason_NewOrder:
      return "Новый заказ";
    case KBRReason_NewOrderRemoved:
      return "Новый заказ снят";
    case KBRReason_MyOrder:
      return "Мой заказ изменен";
    case KBRReason_MyOrderRemoved:
      return "Мой заказ снят";
    default:
      return nullptr;
  }
}

std::string JournalTime(const platform::LocalTime& now) {
  return FormatText("%2.2d:%2.2d:%2.2d %2.2d.%2.2d.%4.4d", now.Hour, now.Minute, now.Second, now.Day, now.Month,
                    now.Year);
}

}  // namespace

JournalLine JournalLineFor(const KestoBrimo_AsyncResponce& response, const SentCommand* sent,
                           const std::string& commandName, const platform::LocalTime& now) {
  JournalLine line;
  line.time = JournalTime(now);
  const char* notification = NotificationName(response.reason);
  const char* exchangeName = KBRCommandName(sent != nullptr ? sent->commandCode : response.CommandCode);
  if (notification != nullptr) {
    line.command = notification;
  } else if (!commandName.empty()) {
    line.command = commandName;
  } else {
    line.command = exchangeName != nullptr ? std::string(exchangeName) : FormatText("reason=%d", response.reason);
  }
  const std::int32_t orderId = sent != nullptr && sent->orderId != 0 ? sent->orderId : response.Order.OrderId;
  if (orderId != 0) line.orderId = FormatText("%d", orderId);
  line.status = StatusCaption(response.OperationStatus);
  line.text = response.ErrorString;
  return line;
}

JournalLine DeskJournalLine(const char* command, std::int32_t orderId, const std::string& text,
                            const platform::LocalTime& now) {
  JournalLine line;
  line.time = JournalTime(now);
  line.command = command;
  line.orderId = FormatText("%d", orderId);
  line.text = text;
  return line;
}

void SetJournalColumns(KestoListView& journal) {
  journal.SetExtendedStyle(kOrderListStyles);
  int column = 0;
  for (const JournalColumn& c : kJournalColumns) journal.InsertColumn(column++, c.caption, c.width);
}

void AddJournalLine(KestoListView& journal, const JournalLine& line) {
  const int row = journal.InsertItem(0, line.time);
  if (row < 0) return;
  journal.SetItemText(row, 1, line.command);
  journal.SetItemText(row, 2, line.orderId);
  journal.SetItemText(row, 3, line.status);
  journal.SetItemText(row, 4, line.text);
  while (journal.ItemCount() > kJournalLines) {
    if (!journal.DeleteItem(journal.ItemCount() - 1)) break;
  }
}
