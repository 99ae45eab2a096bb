// The desk's side of a busy exchange: one tick of the main window's logic
// applies 2,000 new-order notifications (parsed by the client, queued) to the
// order map and the list, over a fake list view. Then the same orders again,
// which finds and rewrites existing rows.
#include <iostream>

#include "bench/Benches.h"
#include "bench/Notifications.h"
#include "desk/DeskGlobals.h"
#include "desk/MainWindow.h"
#include "desk/DeskFakes.h"

namespace {

// Parses the texts into the desk's client, so the tick finds them queued.
bool QueueParsed(const std::vector<std::string>& texts) {
  for (const std::string& text : texts)
    if (Client.ParseBlock(text) != KBRStatus_Ok) return false;
  return true;
}

}  // namespace

void RunDeskApply(BenchTable& table, const BenchOptions& options) {
  const int count = 2000;
  const int rounds = options.quick ? 1 : 5;
  std::cerr << "desk: " << count << " new orders through one tick, " << rounds << " rounds\n";
  const std::vector<std::string> texts = NewOrderNotifications(count, 1, 99);

  std::vector<double> adds;
  std::vector<double> updates;
  std::size_t rows = 0;
  for (int round = 0; round < rounds; ++round) {
    ResetDesk();
    // The directories the cells are named from, queued as an answer and drained.
    if (Client.ParseBlock(DirectoriesText(LoadDemoData(), 5)) != KBRStatus_Ok) return;
    KestoBrimo_AsyncResponce record;
    while (Client.GetClientResponce(record)) {
    }
    FakeUi ui;
    FakeDialog window;
    window.lists[1017];
    window.lists[1018];
    DeskMainWindow desk(ui);
    desk.Start(window);

    if (!QueueParsed(texts)) return;
    auto start = BenchClock::now();
    desk.Tick(window);
    adds.push_back(MicrosSince(start));
    rows = window.lists[1017].rows.size();

    if (!QueueParsed(texts)) return;
    start = BenchClock::now();
    desk.Tick(window);
    updates.push_back(MicrosSince(start));
    desk.Destroy();
  }
  ResetDesk();

  const Distribution add = Summarize(adds);
  const Distribution update = Summarize(updates);
  table.Add({"Desk: one tick applies 2,000 new orders (" + std::to_string(rows) + " rows made)",
             Duration(add.median) + " (" + Duration(add.median / count) + " each)", "-", "-", "-", ""});
  table.Add({"Desk: the same 2,000 orders again (rows found, rewritten)",
             Duration(update.median) + " (" + Duration(update.median / count) + " each)", "-", "-", "-", ""});
  if (rows != static_cast<std::size_t>(count))
    table.Note("desk: expected " + std::to_string(count) + " rows, the list holds " + std::to_string(rows));
}
