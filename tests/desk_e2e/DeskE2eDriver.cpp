// The end-to-end run of the desk, as an operator would work it: the desk is
// already started against a demo exchange; this program finds its window,
// clicks, reads what it shows, publishes orders as another service, and
// prints one "ok"/"not ok" line per check and a closing count.
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "DeskWindows.h"
#include "OtherService.h"
#include "RemoteListView.h"
#include "Screenshot.h"
#include "desk/DeskIds.h"
#include "desk/MainWindow.h"
#include "desk/win32/WideText.h"
#include "platform/socket.h"

namespace {

constexpr DWORD kWindowWaitMs = 60000;  // a fresh Wine prefix is slow to start the desk
constexpr DWORD kStepWaitMs = 20000;
constexpr int kPriceColumn = 9;
constexpr int kPriceWidth = 123;  // pixels, as the operator drags it
constexpr int kScrollToStatusPixels = 700;

struct Options {
  int port = 0;
  std::string deskLogin;
  std::string login;
  std::string password;
  std::wstring shots;
  // Where the driver asks the runner to stop and start the exchange.
  std::wstring control;
  // "connect" only logs the desk in and leaves it running (scripts/run-desk);
  // "again" checks what the last run left in the settings file; "dpi" takes
  // pictures of a desk on a 144 DPI screen; "soak" logs it in, waits for the
  // runner's "check" and compares the desk's lists with what the exchange
  // shows a second desk of the same service; "latency" publishes `offers`
  // orders for the desk to accept automatically.
  std::string mode = "full";
  int offers = 0;
};

std::string Utf8(const std::wstring& wide) {
  if (wide.empty()) return std::string();
  const int n =
      ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &out[0], n, nullptr, nullptr);
  return out;
}

class Report {
 public:
  // `what` is a literal of this program, so in code page 1251.
  void Check(bool passed, const char* what) {
    std::printf("%s %d - %s\n", passed ? "ok" : "not ok", ++count_, Utf8(WideFrom1251(what)).c_str());
    std::fflush(stdout);
    (passed ? passed_ : failed_)++;
  }
  // `text` is UTF-8 (names read from the desk) or plain ASCII.
  void Note(const std::string& text) {
    std::printf("# %s\n", text.c_str());
    std::fflush(stdout);
  }
  int Finish() {
    std::printf("driver checks: %d passed, %d failed\n", passed_, failed_);
    return failed_ == 0 ? 0 : 1;
  }

 private:
  int count_ = 0;
  int passed_ = 0;
  int failed_ = 0;
};

bool ParseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string name = argv[i];
    const std::string value = argv[i + 1];
    if (name == "--port")
      options.port = std::atoi(value.c_str());
    else if (name == "--desk-login")
      options.deskLogin = value;
    else if (name == "--login")
      options.login = value;
    else if (name == "--password")
      options.password = value;
    else if (name == "--shots")
      options.shots = WideFrom1251(value);
    else if (name == "--control")
      options.control = WideFrom1251(value);
    else if (name == "--mode")
      options.mode = value;
    else if (name == "--offers")
      options.offers = std::atoi(value.c_str());
    else
      return false;
  }
  if (options.mode == "connect") return true;
  if (options.mode == "latency") return options.port > 0 && !options.login.empty() && options.offers > 0;
  if (options.mode == "soak") return options.port > 0 && !options.control.empty();
  const bool known = options.mode == "full" || options.mode == "again" || options.mode == "dpi";
  return known && options.port > 0 && !options.login.empty() && !options.shots.empty() && !options.control.empty();
}

KestoOrder SampleOrder(const char* street);

class DeskRun {
 public:
  DeskRun(const Options& options, Report& report) : options_(options), report_(report) {}
  ~DeskRun() {
    if (process_ != nullptr) ::CloseHandle(process_);
  }

  int Run();
  int ConnectOnly();
  int Soak();
  int RunAgain();
  int RunAtHighDpi();
  int AcceptLatency();

 private:
  void Shot(const wchar_t* name) {
    ::Sleep(400);  // the desk paints what changed when it next empties its queue
    const std::wstring path = options_.shots + L"/" + name + L".bmp";
    if (!SaveScreenshot(path)) report_.Note("screenshot failed: " + Utf8(path));
  }
  bool FindDesk();
  bool CheckFieldsFromSettings();
  std::wstring StateLine() { return ItemText(main_, IDC_STATE_LINE); }
  bool StateLineStarts(const std::wstring& prefix) { return StateLine().rfind(prefix, 0) == 0; }
  bool SetField(int id, const std::wstring& text);
  // The runner's hands on the exchange: a request file in the control
  // folder, answered with "<request>.done".
  bool AskRunner(const std::wstring& request);
  bool RefusedLogin();
  bool ConnectDesk();
  bool OrderListed(std::int32_t orderId, const KestoOrder& order);
  bool AcceptOrder(std::int32_t orderId);
  bool NewOrdersByPrice(int atLeast);
  bool MaximiseAndSortByPrice(OtherService& other);
  bool JournalShowsTheShift();
  bool BrowseCities(OtherService& other);
  bool ShowBalance();
  bool Outage(OtherService& other);
  void MeasureOfferDelay(OtherService& other);
  // Clicks `button` and waits for the dialog it opens; null, with a note, when none does.
  HWND OpenDialog(int button, const std::wstring& caption);
  bool OpenAndCancel(int button, const std::wstring& caption, const wchar_t* shot);
  bool SetAutoAcceptRules();
  bool AutoAcceptOffers(OtherService& other);
  void DismissStrayBoxes();
  bool CloseDesk();

  RemoteListView& NewList() { return *newList_; }
  RemoteListView& MyList() { return *myList_; }

  const Options& options_;
  Report& report_;
  HWND main_ = nullptr;
  DWORD pid_ = 0;
  HANDLE process_ = nullptr;
  std::unique_ptr<RemoteListView> newList_;
  std::unique_ptr<RemoteListView> myList_;
};

bool DeskRun::FindDesk() {
  // A dialog shows itself only after its controls exist and it has started.
  const auto shown = [&] {
    main_ = ::FindWindowW(L"#32770", L"Мирдатон");
    return main_ != nullptr && ::IsWindowVisible(main_);
  };
  if (!WaitUntil(shown, kWindowWaitMs)) return false;
  ::GetWindowThreadProcessId(main_, &pid_);
  process_ = ::OpenProcess(
      PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE | PROCESS_QUERY_INFORMATION | SYNCHRONIZE, FALSE, pid_);
  if (process_ == nullptr) return false;
  newList_ = std::make_unique<RemoteListView>(::GetDlgItem(main_, IDC_NEW_ORDERS), process_);
  myList_ = std::make_unique<RemoteListView>(::GetDlgItem(main_, IDC_MY_ORDERS), process_);
  return newList_->IsUsable() && myList_->IsUsable();
}

bool DeskRun::CheckFieldsFromSettings() {
  return ItemText(main_, IDC_SERVER) == L"127.0.0.1" && ItemText(main_, IDC_PORT) == std::to_wstring(options_.port) &&
         ItemText(main_, IDC_LOGIN) == WideFrom1251(options_.deskLogin) && !ItemText(main_, IDC_PASSWORD).empty();
}

bool DeskRun::SetField(int id, const std::wstring& text) {
  DWORD_PTR ignored = 0;
  return ::SendMessageTimeoutW(::GetDlgItem(main_, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                               SMTO_NORMAL, 2000, &ignored) != 0;
}

bool DeskRun::AskRunner(const std::wstring& request) {
  const std::wstring path = options_.control + L"/" + request;
  const std::wstring done = path + L".done";
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  ::CloseHandle(file);
  const bool answered =
      WaitUntil([&] { return ::GetFileAttributesW(done.c_str()) != INVALID_FILE_ATTRIBUTES; }, kStepWaitMs);
  ::DeleteFileW(done.c_str());
  return answered;
}

// A wrong password, as a new operator would type it: the exchange refuses
// and closes; the desk must stop there with one box, not try again and again.
bool DeskRun::RefusedLogin() {
  if (!WaitUntil([&] { return IsItemEnabled(main_, IDC_CONNECT); }, kStepWaitMs)) return false;
  if (!SetField(IDC_PASSWORD, L"не тот пароль") || !ClickButton(main_, IDC_CONNECT)) return false;
  HWND box = WaitForDialog(pid_, L"KBRStatus_AuthentError", kStepWaitMs);
  if (box == nullptr) {
    report_.Note("no box for the refused login; state line: " + Utf8(StateLine()));
    return false;
  }
  // Time for further attempts and boxes, were the desk still trying.
  ::Sleep(3000);
  int boxes = 0;
  for (HWND open : DialogsOf(pid_)) {
    if (open == main_) continue;
    ++boxes;
    report_.Note("open box '" + Utf8(WindowText(open)) + "': " + Utf8(ItemText(open, 0xFFFF)));
  }
  const std::wstring line = StateLine();
  report_.Note("state line: " + Utf8(line));
  Shot(L"00-login-refused");
  ClickButton(box, IDOK);
  const bool closed = WaitUntil([&] { return !::IsWindow(box); }, kStepWaitMs);
  const bool idle = WaitUntil(
      [&] { return IsItemEnabled(main_, IDC_CONNECT) && !IsItemEnabled(main_, IDC_DISCONNECT); }, kStepWaitMs);
  SetField(IDC_PASSWORD, WideFrom1251(options_.deskLogin));
  return boxes == 1 && line.rfind(L"Вход отклонён: ", 0) == 0 && closed && idle;
}

bool DeskRun::ConnectDesk() {
  // The first tick enables "Соединиться".
  if (!WaitUntil([&] { return IsItemEnabled(main_, IDC_CONNECT); }, kStepWaitMs)) return false;
  // The click is sent, not posted: it returns when the desk has handled it,
  // and the client's worker, not the window, makes the connection.
  if (!IsItemEnabled(main_, IDC_CONNECT)) return false;
  DWORD_PTR ignored = 0;
  const DWORD clicked = ::GetTickCount();
  if (!::SendMessageTimeoutW(::GetDlgItem(main_, IDC_CONNECT), BM_CLICK, 0, 0, SMTO_NORMAL, 2000, &ignored)) {
    report_.Note("the connect click was not handled within 2 s");
    return false;
  }
  report_.Note("the connect click was handled in " + std::to_string(::GetTickCount() - clicked) + " ms");
  const auto connected = [&] {
    if (IsItemEnabled(main_, IDC_CONNECT) || !IsItemEnabled(main_, IDC_DISCONNECT)) return false;
    for (const auto& button : DeskMainWindow::CommandButtons()) {
      if (!IsItemEnabled(main_, button.controlId)) return false;
    }
    return true;
  };
  return WaitUntil(connected, kStepWaitMs);
}

bool DeskRun::OrderListed(std::int32_t orderId, const KestoOrder& order) {
  const std::wstring id = std::to_wstring(orderId);
  if (!WaitUntil([&] { return NewList().FindRow(0, id) >= 0; }, kStepWaitMs)) {
    for (int row = 0; row < NewList().RowCount(); ++row) {
      report_.Note("row " + std::to_string(row) + ": '" + Utf8(NewList().CellText(row, 0)) + "' '" +
                   Utf8(NewList().CellText(row, 2)) + "'");
    }
    return false;
  }
  const int row = NewList().FindRow(0, id);
  const struct {
    int column;
    std::wstring expected;
  } cells[] = {
      {1, L"Москва"},
      {2, WideFrom1251(order.StreetFrom)},
      {3, WideFrom1251(order.AdditionalFrom)},
      {4, L"Химки"},
      {5, WideFrom1251(order.StreetTo)},
      {6, WideFrom1251(order.AdditionalTo)},
      {7, WideFrom1251(order.ClientPhone)},
      {8, L"Минивэн"},
      {9, L"    850.50"},
      {10, L""},
      {11, L"На сервере обмена"},
      {12, L"Новый"},
      {16, L"фикс. стоимость"},
      {17, WideFrom1251(order.Comment)},
  };
  bool all = true;
  for (const auto& cell : cells) {
    const std::wstring shown = NewList().CellText(row, cell.column);
    if (shown != cell.expected) {
      report_.Note("cell " + std::to_string(cell.column) + " shows '" + Utf8(shown) + "', expected '" +
                   Utf8(cell.expected) + "'");
      all = false;
    }
  }
  // "(write time)publisher": the time varies, the publisher's short name does not.
  const std::wstring published = NewList().CellText(row, 13);
  const std::wstring suffix = L")Престиж";
  if (published.size() < suffix.size() + 1 || published[0] != L'(' ||
      published.compare(published.size() - suffix.size(), suffix.size(), suffix) != 0) {
    report_.Note("cell 13 shows '" + Utf8(published) + "'");
    all = false;
  }
  return all;
}

bool DeskRun::AcceptOrder(std::int32_t orderId) {
  const std::wstring id = std::to_wstring(orderId);
  const int row = NewList().FindRow(0, id);
  // A double-click on the row asks as "Принять заказ" does.
  if (row < 0 || !NewList().ClickRow(row, true)) return false;
  HWND confirm = nullptr;
  // The question, then the order's route and price.
  const std::wstring question =
      L"Вы хотите принять заказ?\nМосква, Тверская улица — Химки, Ленинградское шоссе, 850.50 руб.";
  WaitUntil([&] { return (confirm = FindMessageBox(pid_, question)) != nullptr; }, kStepWaitMs);
  if (confirm == nullptr) {
    for (HWND box : DialogsOf(pid_)) report_.Note("open box: " + Utf8(ItemText(box, 0xFFFF)));
    report_.Note("no confirmation box naming the order");
    return false;
  }
  Shot(L"03-confirm-accept");
  if (!ClickButton(confirm, IDYES)) return false;
  // The exchange answers an accepted order with notifications only; a status
  // box, should one come, is read and dismissed.
  bool statusOk = true;
  const auto moved = [&] {
    for (HWND box : DialogsOf(pid_)) {
      const std::wstring caption = WindowText(box);
      if (caption.rfind(L"KBRStatus_", 0) == 0) {
        report_.Note("status box '" + Utf8(caption) + "': " + Utf8(ItemText(box, 0xFFFF)));
        statusOk = statusOk && caption == L"KBRStatus_Ok";
        ClickButton(box, IDOK);
      }
    }
    return NewList().FindRow(0, id) < 0 && MyList().FindRow(0, id) >= 0;
  };
  if (!WaitUntil(moved, kStepWaitMs)) {
    report_.Note("the order did not move from the new orders to my orders");
    return false;
  }
  const int mine = MyList().FindRow(0, id);
  if (MyList().CellText(mine, 12) != L"Принят нами") {
    report_.Note("my order's state shows '" + Utf8(MyList().CellText(mine, 12)) + "'");
    return false;
  }
  return statusOk;
}

bool DeskRun::BrowseCities(OtherService& other) {
  // F5 asks for the directories as the button does.
  ::PostMessageW(::GetDlgItem(main_, IDC_NEW_ORDERS), WM_KEYDOWN, VK_F5, 0);
  HWND viewer = WaitForDialog(pid_, L"Справочники", kStepWaitMs);
  if (viewer == nullptr) {
    report_.Note("the directory viewer did not open");
    return false;
  }
  RemoteListView rows(::GetDlgItem(viewer, IDC_DIR_LIST), process_);
  const auto cities = other.Cities();
  if (cities.empty() || !ClickButton(viewer, IDC_DIR_CITIES)) return false;
  if (!WaitUntil([&] { return rows.RowCount() == static_cast<int>(cities.size()); }, kStepWaitMs)) {
    report_.Note("the viewer lists " + std::to_string(rows.RowCount()) + " cities, the exchange has " +
                 std::to_string(cities.size()));
    return false;
  }
  bool same = true;
  int row = 0;
  for (const auto& city : cities) {
    if (rows.CellText(row, 0) != std::to_wstring(city.first) || rows.CellText(row, 1) != WideFrom1251(city.second)) {
      report_.Note("city row " + std::to_string(row) + " reads '" + Utf8(rows.CellText(row, 1)) + "'");
      same = false;
    }
    ++row;
  }
  Shot(L"05-directory-cities");
  if (ClickButton(viewer, IDC_DIR_CLIENTS)) {
    WaitUntil([&] { return rows.RowCount() > 0 && rows.CellText(0, 1).find(L"[") != std::wstring::npos; }, kStepWaitMs);
    Shot(L"06-directory-services");
  }
  ClickButton(viewer, IDOK);
  return WaitUntil([&] { return !::IsWindow(viewer); }, kStepWaitMs) && same;
}

bool DeskRun::ShowBalance() {
  if (!ClickButton(main_, IDC_STATEMENT)) return false;
  HWND box = WaitForDialog(pid_, L"KBRStatus_Ok", kStepWaitMs);
  if (box == nullptr) {
    report_.Note("no status box for the statement");
    return false;
  }
  Shot(L"07-status-box-balance");
  const std::wstring text = ItemText(box, 0xFFFF);
  ClickButton(box, IDOK);
  const bool closed = WaitUntil([&] { return !::IsWindow(box); }, kStepWaitMs);
  // The exchange's own words, in Russian, then the balance in roubles.
  const std::wstring start = L"ErrorString='Баланс службы Мирдатон: ";
  if (text.compare(0, start.size(), start) != 0 || text.find(L" руб.'\nDigitalValue='") == std::wstring::npos) {
    report_.Note("the status box reads '" + Utf8(text) + "'");
    return false;
  }
  return closed;
}

// The number of grey rows as the state line tells it: "серых строк: N (".
std::wstring GreyRows(int count) { return L"серых строк: " + std::to_wstring(count) + L" ("; }

// The exchange stops while the desk is logged in and starts again on the
// same port with the book it saved. Just before, the other service publishes
// an order that lives a few seconds; its lifetime ends while the exchange is
// down, so after the restart that order has gone and its row alone stays grey.
bool DeskRun::Outage(OtherService& other) {
  constexpr int kShortLifeSec = 5;
  KestoOrder shortLived = SampleOrder("Петровка");
  shortLived.TimeToLiveSec = kShortLifeSec;
  const DWORD published = ::GetTickCount();
  const std::int32_t goneId = other.Publish(shortLived, kStepWaitMs);
  const std::wstring goneRow = std::to_wstring(goneId);
  if (goneId == 0 || !WaitUntil([&] { return NewList().FindRow(0, goneRow) >= 0; }, kStepWaitMs)) {
    report_.Note("the short-lived order did not arrive");
    return false;
  }
  const int rows = NewList().RowCount() + MyList().RowCount();
  if (!AskRunner(L"stop-exchange")) {
    report_.Note("the runner did not stop the exchange");
    return false;
  }
  const bool lost = WaitUntil([&] { return StateLineStarts(L"Связь потеряна: "); }, kStepWaitMs);
  report_.Note("state line after the stop: " + Utf8(StateLine()));
  const bool greyed = StateLine().find(GreyRows(rows)) != std::wstring::npos;
  Shot(L"18-connection-lost-rows-grey");
  // Down until the short-lived order's lifetime has surely ended.
  const DWORD downUntil = published + (kShortLifeSec + 1) * 1000;
  if (static_cast<LONG>(downUntil - ::GetTickCount()) > 0) ::Sleep(downUntil - ::GetTickCount());
  if (!AskRunner(L"start-exchange")) {
    report_.Note("the runner did not start the exchange");
    return false;
  }
  const bool back = WaitUntil([&] { return StateLineStarts(L"На связи"); }, kStepWaitMs);
  // The exchange tells of every order still there: their rows turn current.
  const bool current = WaitUntil([&] { return StateLine().find(GreyRows(1)) != std::wstring::npos; }, kStepWaitMs);
  report_.Note("state line after the restart: " + Utf8(StateLine()));
  // Sorted by price, the gone order's row may stand below the visible part of the list.
  const auto showGoneRow = [&] {
    const int row = NewList().FindRow(0, goneRow);
    if (row >= 0) ::SendMessageW(::GetDlgItem(main_, IDC_NEW_ORDERS), LVM_ENSUREVISIBLE, row, FALSE);
    return row;
  };
  const bool kept = showGoneRow() >= 0 && NewList().RowCount() + MyList().RowCount() == rows;
  Shot(L"19-back-on-line-gone-order-grey");

  // Orders published after the restart are current beside the grey row
  // (three: the next desk of this run sorts the pool by price).
  const bool otherBack = WaitUntil([&] { return other.LoggedIn(); }, kStepWaitMs);
  std::int32_t freshId = 0;
  bool fresh = otherBack;
  for (float price : {640.0f, 910.0f, 480.0f}) {
    KestoOrder order = SampleOrder("Садовая улица");
    order.Price = price;
    freshId = fresh ? other.Publish(order, kStepWaitMs) : 0;
    fresh = freshId != 0 && WaitUntil([&] { return NewList().FindRow(0, std::to_wstring(freshId)) >= 0; }, kStepWaitMs);
  }
  const bool stillOneGrey = StateLine().find(GreyRows(1)) != std::wstring::npos;
  showGoneRow();
  Shot(L"20-new-order-beside-grey-row");

  // Taking the grey row asks first; the answer "No" sends nothing.
  bool asked = false;
  const int row = showGoneRow();
  if (row >= 0 && NewList().ClickRow(row) && WaitUntil([&] { return NewList().SelectionMark() == row; }, kStepWaitMs) &&
      ClickButton(main_, IDC_ACCEPT_ORDER)) {
    HWND question = nullptr;
    WaitUntil(
        [&] {
          return (question = FindMessageBox(pid_, L"Заказ мог быть уже принят другой службой. Всё равно принять?")) !=
                 nullptr;
        },
        kStepWaitMs);
    if (question != nullptr) {
      asked = true;
      Shot(L"21-accept-grey-row-asks");
      ClickButton(question, IDNO);
      WaitUntil([&] { return !::IsWindow(question); }, kStepWaitMs);
    }
  }
  report_.Note(std::string("gone order ") + std::to_string(goneId) + ", lost " + (lost ? "yes" : "no") + ", grey " +
               (greyed ? "yes" : "no") + ", back " + (back ? "yes" : "no") + ", one grey " + (current ? "yes" : "no") +
               ", rows kept " + (kept ? "yes" : "no") + ", new order " + std::to_string(freshId) +
               (fresh ? " listed" : " missing") + ", asked " + (asked ? "yes" : "no"));
  return lost && greyed && back && current && kept && fresh && stillOneGrey && asked;
}

// From the other service's publish call to the new row in the desk's list
// view (read with LVM_GETITEMCOUNT from this process): the exchange's
// handling, the block to the desk, the desk's worker, its posted tick and
// the row. The publisher's own send over loopback is included.
void DeskRun::MeasureOfferDelay(OtherService& other) {
  constexpr int kOrders = 100;
  LARGE_INTEGER frequency, start, now;
  ::QueryPerformanceFrequency(&frequency);
  std::vector<double> delaysMs;
  for (int i = 0; i < kOrders; ++i) {
    const int before = NewList().RowCount();
    ::QueryPerformanceCounter(&start);
    other.PublishNoWait(SampleOrder("Проспект Мира"));
    bool listed = false;
    for (;;) {
      ::QueryPerformanceCounter(&now);
      const double ms = 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) / frequency.QuadPart;
      if (NewList().RowCount() > before) {
        delaysMs.push_back(ms);
        listed = true;
        break;
      }
      if (ms > 5000) break;
      ::Sleep(1);
    }
    if (!listed) report_.Note("order " + std::to_string(i) + " did not show within 5 s");
    other.ForgetAnswers();
    ::Sleep(20 + (i * 37) % 60);  // publish at varying points of the desk's 500 ms timer
  }
  if (delaysMs.empty()) return;
  std::sort(delaysMs.begin(), delaysMs.end());
  const auto at = [&](double q) { return delaysMs[static_cast<std::size_t>(q * (delaysMs.size() - 1) + 0.5)]; };
  char line[200];
  std::snprintf(line, sizeof line,
                "figure: publish to row in the desk's list, %d orders: median %.1f ms, p99 %.1f ms, max %.1f ms",
                static_cast<int>(delaysMs.size()), at(0.5), at(0.99), delaysMs.back());
  report_.Note(line);
}

HWND DeskRun::OpenDialog(int button, const std::wstring& caption) {
  if (!ClickButton(main_, button)) return nullptr;
  HWND dialog = WaitForDialog(pid_, caption, kStepWaitMs);
  if (dialog == nullptr) report_.Note("dialog '" + Utf8(caption) + "' did not open");
  return dialog;
}

bool DeskRun::OpenAndCancel(int button, const std::wstring& caption, const wchar_t* shot) {
  HWND dialog = OpenDialog(button, caption);
  if (dialog == nullptr) return false;
  Shot(shot);
  ClickButton(dialog, IDCANCEL);
  return WaitUntil([&] { return !::IsWindow(dialog); }, kStepWaitMs);
}

// The rules through their dialog, as the dispatcher sets them: pick-up in
// Москва, from 900 roubles, at most two orders waiting for a car.
bool DeskRun::SetAutoAcceptRules() {
  HWND dialog = OpenDialog(IDC_AUTO_ACCEPT_RULES, L"Автопринятие");
  if (dialog == nullptr) return false;
  RemoteListView cities(::GetDlgItem(dialog, IDC_AA_CITIES), process_);
  const int moscow = cities.FindRow(0, L"Москва");
  if (moscow < 0 || !cities.SetChecked(moscow, true)) {
    report_.Note("no city Москва to tick in the rules");
    return false;
  }
  ::SetWindowTextW(::GetDlgItem(dialog, IDC_AA_MIN_PRICE), L"900");
  ::SetWindowTextW(::GetDlgItem(dialog, IDC_AA_MAX_OPEN), L"2");
  ::SendMessageW(::GetDlgItem(dialog, IDC_AA_ENABLED), BM_SETCHECK, BST_CHECKED, 0);
  Shot(L"22-dialog-auto-accept");
  ClickButton(dialog, IDOK);
  const auto switchedOn = [&] {
    return !::IsWindow(dialog) && ::SendDlgItemMessageW(main_, IDC_AUTO_ACCEPT, BM_GETCHECK, 0, 0) == BST_CHECKED;
  };
  return WaitUntil(switchedOn, kStepWaitMs);
}

// Five offers: two match, one more matches beyond the limit, two do not.
bool DeskRun::AutoAcceptOffers(OtherService& other) {
  const struct {
    std::int32_t city;
    float price;
    bool taken;
  } offers[] = {{1, 950, true}, {3, 950, false}, {1, 500, false}, {1, 1200, true}, {1, 990, false}};
  std::vector<std::wstring> ids;
  for (const auto& offer : offers) {
    KestoOrder order = SampleOrder("Пятницкая улица");
    order.CityIdFrom = offer.city;
    order.Price = offer.price;
    ids.push_back(std::to_wstring(other.Publish(order, kStepWaitMs)));
  }
  const auto settled = [&] {
    for (std::size_t i = 0; i < ids.size(); ++i) {
      if ((MyList().FindRow(0, ids[i]) >= 0) != offers[i].taken) return false;
      if ((NewList().FindRow(0, ids[i]) >= 0) == offers[i].taken) return false;
    }
    return true;
  };
  bool all = WaitUntil(settled, kStepWaitMs);
  ::Sleep(1500);  // three ticks more: nothing else is taken
  all = all && settled();
  Shot(L"23-main-auto-accept-on");
  for (std::size_t i = 0; i < ids.size(); ++i) {
    report_.Note("offer " + Utf8(ids[i]) + (MyList().FindRow(0, ids[i]) >= 0 ? " taken" : " left"));
  }
  RemoteListView journal(::GetDlgItem(main_, IDC_JOURNAL), process_);
  int journaled = 0;
  for (int row = 0; row < journal.RowCount(); ++row) journaled += journal.CellText(row, 1) == L"Автопринятие";
  if (journaled != 2) report_.Note("the journal has " + std::to_string(journaled) + " automatic accepts");
  const bool noBox = DialogsOf(pid_).size() == 1;
  // The dispatcher switches it off on the main window; the next start finds it off.
  ClickButton(main_, IDC_AUTO_ACCEPT);
  const bool off = WaitUntil(
      [&] { return ::SendDlgItemMessageW(main_, IDC_AUTO_ACCEPT, BM_GETCHECK, 0, 0) == BST_UNCHECKED; }, kStepWaitMs);
  return all && journaled == 2 && noBox && off;
}

void DeskRun::DismissStrayBoxes() {
  for (HWND box : DialogsOf(pid_)) {
    if (box == main_) continue;
    report_.Note("closing a box left open: '" + Utf8(WindowText(box)) + "' " + Utf8(ItemText(box, 0xFFFF)));
    if (!ClickButton(box, IDOK)) ClickButton(box, IDCANCEL);
  }
}

bool DeskRun::CloseDesk() {
  DismissStrayBoxes();
  const DWORD start = ::GetTickCount();
  ::PostMessageW(main_, WM_CLOSE, 0, 0);
  const bool ended = ::WaitForSingleObject(process_, 15000) == WAIT_OBJECT_0;
  report_.Note("the desk ended " + std::to_string(::GetTickCount() - start) + " ms after the close");
  return ended;
}

KestoOrder SampleOrder(const char* street) {
  KestoOrder order;
  order.CityIdFrom = 1;
  order.StreetFrom = street;
  order.AdditionalFrom = "д. 7, подъезд 2";
  order.CityIdTo = 3;
  order.StreetTo = "Ленинградское шоссе";
  order.AdditionalTo = "д. 1";
  order.ClientPhone = "+7 495 123-45-67";
  order.CarrierType = 3;
  order.Price = 850.5f;
  order.StatusId = 17;
  order.Time0Km1Fixed2 = 2;
  order.Comment = "Детское кресло, «без курения»";
  return order;
}

std::set<std::int32_t> RowIds(RemoteListView& list) {
  std::set<std::int32_t> ids;
  for (int row = 0, rows = list.RowCount(); row < rows; ++row) ids.insert(std::stoi(list.CellText(row, 0)));
  return ids;
}

int DeskRun::Soak() {
  const bool found = FindDesk();
  report_.Check(found && ConnectDesk(), "the desk opens and logs in");
  if (!found) return report_.Finish();
  const std::wstring check = options_.control + L"/check";
  const bool asked =
      WaitUntil([&] { return ::GetFileAttributesW(check.c_str()) != INVALID_FILE_ATTRIBUTES; }, 3 * 60 * 60 * 1000);
  // What the exchange shows a second desk of the same service, logged in now.
  OtherService second(options_.port, "mirdaton2", "mirdaton2");
  std::set<std::int32_t> offered, own;
  const bool in = asked && second.LogIn(kStepWaitMs);
  ::Sleep(5000);
  second.Follow(offered, own);
  const std::set<std::int32_t> newRows = RowIds(NewList());
  const std::set<std::int32_t> myRows = RowIds(MyList());
  const std::wstring line = StateLine();
  const std::size_t at = line.find(L"серых строк: ");
  const int grey = at == std::wstring::npos ? 0 : std::stoi(line.substr(at + 13));
  int missing = 0;
  for (std::int32_t id : offered) missing += newRows.count(id) == 0;
  for (std::int32_t id : own) missing += myRows.count(id) == 0;
  const int current = static_cast<int>(newRows.size() + myRows.size()) - grey;
  report_.Note("soak: the exchange shows " + std::to_string(offered.size()) + " offered and " +
               std::to_string(own.size()) + " own orders; the desk has " + std::to_string(newRows.size()) + " + " +
               std::to_string(myRows.size()) + " rows, " + std::to_string(grey) + " grey, " + std::to_string(current) +
               " current, " + std::to_string(missing) + " missing");
  report_.Note("state line: " + Utf8(line));
  Shot(L"soak-end");
  report_.Check(in && missing == 0 && current == static_cast<int>(offered.size() + own.size()),
                "after the soak the desk's current rows are the exchange's orders, none missing");
  report_.Check(CloseDesk(), "closing the main window ends the desk within 15 s");
  return report_.Finish();
}

// The new orders' rows stand by price, lowest first, under an up arrow.
bool DeskRun::NewOrdersByPrice(int atLeast) {
  const auto sorted = [&] {
    const int rows = NewList().RowCount();
    if (rows < atLeast || NewList().SortArrow(kPriceColumn) != 1) return false;
    for (int row = 1; row < rows; ++row) {
      if (std::wcstod(NewList().CellText(row - 1, kPriceColumn).c_str(), nullptr) >
          std::wcstod(NewList().CellText(row, kPriceColumn).c_str(), nullptr)) {
        return false;
      }
    }
    return true;
  };
  if (WaitUntil(sorted, kStepWaitMs)) return true;
  for (int row = 0; row < NewList().RowCount(); ++row) {
    report_.Note("price row " + std::to_string(row) + ": '" + Utf8(NewList().CellText(row, kPriceColumn)) + "'");
  }
  report_.Note("arrow " + std::to_string(NewList().SortArrow(kPriceColumn)));
  return false;
}

bool DeskRun::MaximiseAndSortByPrice(OtherService& other) {
  KestoOrder dearer = SampleOrder("Кутузовский проспект");
  dearer.Price = 1110.0f;
  const std::int32_t dearerId = other.Publish(dearer, kStepWaitMs);
  KestoOrder cheaper = SampleOrder("Ленинский проспект");
  cheaper.Price = 320.0f;
  const std::int32_t cheaperId = other.Publish(cheaper, kStepWaitMs);
  if (dearerId == 0 || cheaperId == 0 ||
      !WaitUntil([&] { return NewList().FindRow(0, std::to_wstring(cheaperId)) >= 0; }, kStepWaitMs)) {
    report_.Note("the orders to sort did not arrive");
    return false;
  }
  ::PostMessageW(main_, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
  if (!WaitUntil([&] { return ::IsZoomed(main_) != FALSE; }, kStepWaitMs)) {
    report_.Note("the window did not maximise");
    return false;
  }
  ::Sleep(500);  // the lists take their new places
  if (!NewList().ClickHeader(kPriceColumn) || !NewOrdersByPrice(3)) return false;
  // The operator widens the price column; the next start must show it so.
  ::SendMessageW(::GetDlgItem(main_, IDC_NEW_ORDERS), LVM_SETCOLUMNWIDTH, kPriceColumn, MAKELPARAM(kPriceWidth, 0));
  Shot(L"14-maximised-sorted-by-price");
  // The columns to the right: price, status, publication time, commissions.
  HWND list = ::GetDlgItem(main_, IDC_NEW_ORDERS);
  ::SendMessageW(list, LVM_SCROLL, kScrollToStatusPixels, 0);
  Shot(L"14b-columns-on-the-right");
  ::SendMessageW(list, LVM_SCROLL, static_cast<WPARAM>(-kScrollToStatusPixels), 0);
  return true;
}

bool DeskRun::JournalShowsTheShift() {
  RemoteListView journal(::GetDlgItem(main_, IDC_JOURNAL), process_);
  const bool lines = ::IsWindowVisible(::GetDlgItem(main_, IDC_JOURNAL)) && journal.RowCount() > 0;
  if (!lines) report_.Note("the journal shows " + std::to_string(journal.RowCount()) + " lines");
  // The newest line is at the top: the last notification about the cheaper order.
  return lines && journal.CellText(0, 1) == L"Новый заказ";
}

int DeskRun::RunAgain() {
  const bool found = FindDesk();
  report_.Check(found, "the desk starts again");
  if (!found) return report_.Finish();
  const bool placed = WaitUntil([&] { return ::IsZoomed(main_) != FALSE; }, kStepWaitMs);
  report_.Check(placed, "restarted, the window is maximised again");
  const int width = NewList().ColumnWidth(kPriceColumn);
  report_.Check(width == kPriceWidth && NewList().SortArrow(kPriceColumn) == 1,
                "restarted, \"Цена\" keeps its width and the up arrow");
  if (width != kPriceWidth) report_.Note("the price column is " + std::to_string(width) + " wide");
  const bool connected = ConnectDesk();
  report_.Check(connected && NewOrdersByPrice(3) && ::IsZoomed(main_),
                "restarted, the offered orders come in sorted by price, the window still maximised");
  Shot(L"15-restarted-sorted");
  report_.Check(CloseDesk(), "closing the main window ends the desk within 15 s");
  return report_.Finish();
}

int DeskRun::RunAtHighDpi() {
  const bool found = FindDesk();
  report_.Check(found, "the desk starts on a 144 DPI screen");
  if (!found) return report_.Finish();
  report_.Check(ConnectDesk() && WaitUntil([&] { return NewList().RowCount() > 0; }, kStepWaitMs),
                "at 144 DPI the desk logs in and lists the offered orders");
  Shot(L"16-dpi-144-main");
  report_.Check(OpenAndCancel(IDC_ADD_ORDER, L"Добавление заказа", L"17-dpi-144-add-order"),
                "at 144 DPI \"Добавление заказа\" opens and closes");
  report_.Check(CloseDesk(), "closing the main window ends the desk within 15 s");
  return report_.Finish();
}

int DeskRun::ConnectOnly() {
  const bool found = FindDesk();
  report_.Check(found, "the desk's main window \"Мирдатон\" opens");
  if (found) report_.Check(ConnectDesk(), "\"Соединиться\": the desk logs in");
  return report_.Finish();
}

// The desk starts with auto-accept on for Москва (its settings file); the
// offers come one at a time, and the exchange's log gives the times.
int DeskRun::AcceptLatency() {
  const bool found = FindDesk() && ConnectDesk();
  report_.Check(found, "the desk opens and logs in");
  OtherService other(options_.port, options_.login, options_.password);
  if (!found || !other.LogIn(kStepWaitMs)) return report_.Finish();
  // Each offer once the one before is taken and the desk has shown it: the
  // time of one accept, not of a queue. The desk is left alone meanwhile,
  // since messages sent to its lists from here are handled before its tick.
  for (int i = 0; i < options_.offers; ++i) {
    other.WaitTaken(other.Publish(SampleOrder("Пятницкая улица"), kStepWaitMs), kStepWaitMs);
    ::Sleep(300);
  }
  WaitUntil([&] { return MyList().RowCount() >= options_.offers; }, kStepWaitMs);
  const int taken = MyList().RowCount();
  report_.Note("offers taken: " + std::to_string(taken) + " of " + std::to_string(options_.offers));
  report_.Check(taken == options_.offers, "the desk takes every offer automatically");
  report_.Check(CloseDesk(), "closing the main window ends the desk within 15 s");
  return report_.Finish();
}

int DeskRun::Run() {
  const bool found = FindDesk();
  report_.Check(found, "the desk's main window \"Мирдатон\" opens");
  if (!found) return report_.Finish();
  report_.Check(CheckFieldsFromSettings(), "the connection fields show the settings file");
  report_.Check(
      RefusedLogin(),
      "a wrong password: one \"KBRStatus_AuthentError\" box, the state line \"Вход отклонён\", no more attempts");

  const bool connected = ConnectDesk();
  report_.Check(connected && StateLineStarts(L"На связи"),
                "\"Соединиться\" with the right password: the desk logs in, \"На связи\", the command buttons enabled");
  Shot(L"01-main-connected");
  if (!connected) {
    CloseDesk();
    return report_.Finish();
  }

  OtherService other(options_.port, options_.login, options_.password);
  const bool otherIn = other.LogIn(kStepWaitMs);
  report_.Check(otherIn, "another service logs in to the exchange");
  const KestoOrder first = SampleOrder("Тверская улица");
  const KestoOrder second = SampleOrder("Новый Арбат");
  const std::int32_t firstId = otherIn ? other.Publish(first, kStepWaitMs) : 0;
  const std::int32_t secondId = otherIn ? other.Publish(second, kStepWaitMs) : 0;
  report_.Note("published orders " + std::to_string(firstId) + " and " + std::to_string(secondId));
  const bool listed = firstId != 0 && secondId != 0 && OrderListed(firstId, first) &&
                      WaitUntil([&] { return NewList().FindRow(0, std::to_wstring(secondId)) >= 0; }, kStepWaitMs);
  report_.Check(listed, "orders published by the other service appear in \"Новые заказы\" with the right cells");
  Shot(L"02-new-orders");

  const bool accepted = listed && AcceptOrder(firstId);
  report_.Check(accepted, "\"Принять заказ\", answered Yes: the order leaves \"Новые заказы\" for \"Мои заказы\"");
  Shot(L"04-main-both-lists");

  report_.Check(accepted && MaximiseAndSortByPrice(other),
                "maximised, a click on \"Цена\" sorts \"Новые заказы\" by price with an up arrow");
  report_.Check(JournalShowsTheShift(), "the journal under the lists shows the shift, newest at the top");

  report_.Check(BrowseCities(other), "F5 (\"Получить справочники\") opens the viewer and \"Города\" lists the cities");
  report_.Check(ShowBalance(),
                "\"Посчитать баланс\": the exchange's answer shows in a \"KBRStatus_Ok\" box, in Russian");

  bool dialogs = OpenAndCancel(IDC_ADD_ORDER, L"Добавление заказа", L"08-dialog-104-add-order");
  dialogs = OpenAndCancel(IDC_NOTIFY_MODE, L"Устанвка времени информирования об изменившихся заказах",
                          L"09-dialog-105-notify-mode") &&
            dialogs;
  const int mine = MyList().FindRow(0, std::to_wstring(firstId));
  if (mine >= 0 && MyList().ClickRow(mine) &&
      WaitUntil([&] { return MyList().SelectionMark() == mine; }, kStepWaitMs)) {
    dialogs = OpenAndCancel(IDC_CHANGE_STATUS, L"Смена статуса заказа и цены", L"10-dialog-106-status") && dialogs;
    dialogs = OpenAndCancel(IDC_CAR_DESCRIPTION, L"Добавление описания машины", L"11-dialog-107-car") && dialogs;
  } else {
    report_.Note("could not select my order");
    dialogs = false;
  }
  dialogs = OpenAndCancel(IDC_TARIFF, L"Запрос тарифа", L"12-dialog-109-tariff") && dialogs;
  dialogs = OpenAndCancel(IDC_FULL_INFO, L"Введите Id заказа", L"13-dialog-110-order-id") && dialogs;
  report_.Check(dialogs, "each command dialog opens with its caption and closes on Cancel");

  const bool rules = SetAutoAcceptRules();
  report_.Check(rules, "\"Правила автопринятия...\": the rules set in the dialog switch auto-accept on");
  report_.Check(rules && AutoAcceptOffers(other),
                "auto-accept takes exactly the two matching offers within its limit, journals them without a box, "
                "and the main window's switch turns it off");

  MeasureOfferDelay(other);
  report_.Check(Outage(other),
                "the exchange stops: \"Связь потеряна\", rows grey; it starts again with its saved book: \"На "
                "связи\" by itself, every row current again but that of an order that went away during the outage "
                "(its lifetime ended), which stays listed and grey; a new order is current; the grey row asks before "
                "it is taken");

  report_.Check(CloseDesk(), "closing the main window ends the desk within 15 s");
  return report_.Finish();
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, options)) {
    std::fprintf(stderr,
                 "usage: desk_e2e_driver --port N --desk-login L --login L --password P --shots DIR --control DIR\n"
                 "       desk_e2e_driver --mode connect\n"
                 "       desk_e2e_driver --mode latency --port N --login L --password P --offers N\n");
    return 2;
  }
  platform::StartSockets();
  Report report;
  DeskRun run(options, report);
  int result = 0;
  if (options.mode == "connect")
    result = run.ConnectOnly();
  else if (options.mode == "again")
    result = run.RunAgain();
  else if (options.mode == "dpi")
    result = run.RunAtHighDpi();
  else if (options.mode == "latency")
    result = run.AcceptLatency();
  else if (options.mode == "soak")
    result = run.Soak();
  else
    result = run.Run();
  platform::StopSockets();
  return result;
}
