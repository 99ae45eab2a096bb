// The end-to-end run of the desk, as an operator would work it: the desk is
// already started against a demo exchange; this program finds its window,
// clicks, reads what it shows (its list views through a block allocated in
// the desk's process), publishes orders as another service, and prints one
// "ok"/"not ok" line per check and a closing count. Every wait is bounded.
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <functional>
#include <memory>
#include <set>

#include "client/KestoBrimoClientAsync.h"
#include "desk/DeskIds.h"
#include "desk/MainWindow.h"
#include "desk/win32/WideText.h"
#include "platform/socket.h"
#include "protocol/KBRCodes.h"

namespace {

constexpr DWORD kWindowWaitMs = 60000;  // a fresh Wine prefix is slow to start the desk
constexpr DWORD kStepWaitMs = 20000;
constexpr int kPriceColumn = 9, kPriceWidth = 123;  // pixels, as the operator drags it
constexpr int kMessageTextId = 0xFFFF;              // the static that holds a message box's text

bool WaitUntil(const std::function<bool()>& ready, DWORD timeoutMs = kStepWaitMs, DWORD pollMs = 50) {
  for (const DWORD start = ::GetTickCount(); !ready(); ::Sleep(pollMs)) {
    if (::GetTickCount() - start >= timeoutMs) return false;
  }
  return true;
}

// WM_GETTEXT is marshalled between processes for any window.
std::wstring WindowText(HWND window) {
  const LRESULT length = window == nullptr ? 0 : ::SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
  std::wstring text(static_cast<std::size_t>(std::max<LRESULT>(length, 0)) + 1, L'\0');
  ::SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]));
  return text.c_str();
}
std::wstring ItemText(HWND dialog, int id) { return WindowText(::GetDlgItem(dialog, id)); }
bool IsItemEnabled(HWND dialog, int id) { return ::IsWindowEnabled(::GetDlgItem(dialog, id)) != FALSE; }
// Posted as the mouse would, so a click that opens a modal box does not hold the driver.
bool ClickButton(HWND dialog, int id) {
  return IsItemEnabled(dialog, id) && ::PostMessageW(::GetDlgItem(dialog, id), BM_CLICK, 0, 0) != 0;
}

std::string Utf8(const std::wstring& wide) {
  std::string out(wide.size() * 3, '\0');  // at most three bytes a UTF-16 unit
  out.resize(static_cast<std::size_t>(::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                                            &out[0], static_cast<int>(out.size()), nullptr, nullptr)));
  return out;
}

int checks = 0, failures = 0;
// One "ok"/"not ok" line; `what` is a literal of this program, so in code page 1251.
bool Check(bool passed, const char* what) {
  std::printf("%s %d - %s\n", passed ? "ok" : "not ok", ++checks, Utf8(WideFrom1251(what)).c_str());
  failures += passed ? 0 : 1;
  return passed;
}
// `text` is UTF-8 (texts read from the desk) or plain ASCII.
void Note(const std::string& text) { std::printf("# %s\n", text.c_str()); }
int Finish() {
  std::printf("driver checks: %d passed, %d failed\n", checks - failures, failures);
  return failures == 0 ? 0 : 1;
}

class RemoteListView {
 public:
  // `list` belongs to `process`, opened with VM operation, read and write rights.
  RemoteListView(HWND list, HANDLE process)
      : list_(list),
        process_(process),
        remote_(::VirtualAllocEx(process, nullptr, sizeof(Cell), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)) {}
  ~RemoteListView() { ::VirtualFreeEx(process_, remote_, 0, MEM_RELEASE); }

  int RowCount() const { return static_cast<int>(::SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0)); }
  int Get(UINT message, WPARAM index = 0) const { return static_cast<int>(::SendMessageW(list_, message, index, 0)); }
  std::wstring CellText(int row, int column) const {
    Cell cell = {};
    cell.item.iSubItem = column;
    cell.item.pszText = reinterpret_cast<wchar_t*>(static_cast<char*>(remote_) + offsetof(Cell, text));
    cell.item.cchTextMax = kTextChars - 1;
    return Remote(list_, LVM_GETITEMTEXTW, row, cell) ? cell.text : L"";
  }
  // The first row whose cell `column` reads `text`, or -1.
  int FindRow(int column, const std::wstring& text) const {
    for (int row = 0, rows = RowCount(); row < rows; ++row) {
      if (CellText(row, column) == text) return row;
    }
    return -1;
  }
  // Button down and up a little into the row (its first column has no width); twice for a double-click.
  bool ClickRow(int row, bool twice = false) const {
    RECT rect = {LVIR_BOUNDS, 0, 0, 0};
    if (!Remote(list_, LVM_GETITEMRECT, row, rect)) return false;
    const LPARAM at = MAKELPARAM(rect.left + 24, (rect.top + rect.bottom) / 2);
    for (int click = 0; click < (twice ? 2 : 1); ++click) {
      ::PostMessageW(list_, click == 0 ? WM_LBUTTONDOWN : WM_LBUTTONDBLCLK, MK_LBUTTON, at);
      ::PostMessageW(list_, WM_LBUTTONUP, 0, at);
    }
    return true;
  }
  bool ClickHeader(int column) const {
    RECT rect = {};
    if (!Remote(Header(), HDM_GETITEMRECT, column, rect)) return false;
    POINT middle = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    const LPARAM at = MAKELPARAM(middle.x, middle.y);
    // The pointer goes there too: a move reported from elsewhere while the
    // button is down would start dragging the column instead of clicking it.
    ::ClientToScreen(Header(), &middle);
    ::SetCursorPos(middle.x, middle.y);
    ::Sleep(100);
    ::PostMessageW(Header(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::PostMessageW(Header(), WM_LBUTTONUP, 0, at);
    return true;
  }
  bool SortedUp(int column) const {
    HDITEMW item = {};
    item.mask = HDI_FORMAT;
    return Remote(Header(), HDM_GETITEMW, column, item) && (item.fmt & (HDF_SORTUP | HDF_SORTDOWN)) == HDF_SORTUP;
  }
  bool Tick(int row) const {
    LVITEMW item = {};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(2);
    return Remote(list_, LVM_SETITEMSTATE, row, item);
  }

 private:
  static constexpr int kTextChars = 1024;
  struct Cell {
    LVITEMW item;
    wchar_t text[kTextChars];
  };
  // Writes `value` into the block in the list's process, sends `message`
  // with its address, and reads back what the control filled in.
  template <typename T>
  bool Remote(HWND window, UINT message, int index, T& value) const {
    static_assert(sizeof(T) <= sizeof(Cell), "the block holds it");
    return remote_ != nullptr && ::WriteProcessMemory(process_, remote_, &value, sizeof value, nullptr) &&
           ::SendMessageW(window, message, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(remote_)) != 0 &&
           ::ReadProcessMemory(process_, remote_, &value, sizeof value, nullptr);
  }
  HWND Header() const { return reinterpret_cast<HWND>(::SendMessageW(list_, LVM_GETHEADER, 0, 0)); }

  HWND list_;
  HANDLE process_;
  void* remote_;
};

KestoOrder SampleOrder(const char* street, float price = 850.5f, std::int32_t city = 1) {
  KestoOrder order;
  order.CityIdFrom = city;
  order.StreetFrom = street;
  order.AdditionalFrom = "д. 7, подъезд 2";
  order.CityIdTo = 3;
  order.StreetTo = "Ленинградское шоссе";
  order.AdditionalTo = "д. 1";
  order.ClientPhone = "+7 495 123-45-67";
  order.CarrierType = 3;
  order.Price = price;
  order.StatusId = 17;
  order.Time0Km1Fixed2 = 2;
  order.Comment = "Детское кресло, «без курения»";
  return order;
}

// Another taxi service on the same exchange, through the project's own client.
class OtherService {
 public:
  OtherService(int port, const std::string& login, const std::string& password) {
    client_.SetConnectionParam("127.0.0.1", port, login, password);
  }
  ~OtherService() { client_.Disconnect(); }

  bool LogIn() {
    client_.Connect();
    return LoggedIn();
  }
  bool LoggedIn() {
    return WaitUntil([&] { return client_.Authorized.load(); });
  }
  std::map<std::int32_t, std::string> Cities() { return client_.GetCityDirectory(); }
  // The new order's id once the exchange confirms it, or 0.
  std::int32_t Publish(const KestoOrder& order) {
    const auto commandId = static_cast<std::uint32_t>(client_.InsertOrder(order));
    return Await(50, [&](const KestoBrimo_AsyncResponce& answer) {
      return answer.CommandId != commandId                                                  ? -1
             : answer.OperationStatus == KBRStatus_Ok && answer.reason == KBRReason_MyOrder ? answer.Order.OrderId
                                                                                            : 0;
    });
  }
  // Until the exchange tells that another service accepted `orderId`.
  void WaitTaken(std::int32_t orderId) {
    Await(5, [&](const KestoBrimo_AsyncResponce& told) {
      return told.reason == KBRReason_MyOrder && told.Order.OrderId == orderId && told.Order.Acceptor != 0 ? 1 : -1;
    });
  }
  // What the exchange told so far, as a desk keeps it: the orders offered to this service, and its own.
  void Follow(std::set<std::int32_t>& offered, std::set<std::int32_t>& own) {
    for (KestoBrimo_AsyncResponce told; client_.GetClientResponce(told);) {
      const std::int32_t id = told.Order.OrderId;
      if (told.reason == KBRReason_NewOrder) offered.insert(id);
      if (told.reason == KBRReason_NewOrderRemoved) offered.erase(id);
      if (told.reason == KBRReason_MyOrder) own.insert(id);
      if (told.reason == KBRReason_MyOrderRemoved) own.erase(id);
    }
  }

 private:
  // Takes the responses, looking every `pollMs`, until `verdict` of one is not -1; 0 when none comes.
  std::int32_t Await(DWORD pollMs, const std::function<std::int32_t(const KestoBrimo_AsyncResponce&)>& verdict) {
    std::int32_t result = -1;
    KestoBrimo_AsyncResponce response;
    WaitUntil(
        [&] {
          while (result == -1 && client_.GetClientResponce(response)) result = verdict(response);
          return result != -1;
        },
        kStepWaitMs, pollMs);
    return std::max(result, 0);
  }

  KestoBrimoClientAsync client_;
};

// "--name value" pairs. `--control` is where the driver asks the runner to
// stop and start the exchange and to take pictures of the screen.
struct Options {
  std::map<std::string, std::string> given = {{"--mode", "full"},   {"--port", "0"}, {"--offers", "0"},
                                              {"--desk-login", ""}, {"--login", ""}, {"--password", ""},
                                              {"--control", ""}};
  const std::string& operator[](const char* name) const { return given.at(name); }
  int Number(const char* name) const { return std::atoi(given.at(name).c_str()); }
  // False when a name is unknown or the mode misses one it needs.
  bool Parse(int argc, char** argv) {
    for (int i = 1; i + 1 < argc; i += 2) {
      if (given.count(argv[i]) == 0) return false;
      given[argv[i]] = argv[i + 1];
    }
    const std::string& mode = given["--mode"];
    return mode == "connect" || (Number("--port") > 0 && (mode == "soak" || !given["--login"].empty()) &&
                                 (mode == "latency" ? Number("--offers") > 0 : !given["--control"].empty()));
  }
};

class DeskRun {
 public:
  explicit DeskRun(const Options& options)
      : options_(options),
        control_(WideFrom1251(options["--control"])),
        other_(options.Number("--port"), options["--login"], options["--password"]) {}
  ~DeskRun() {
    if (process_ != nullptr) ::CloseHandle(process_);
  }

  int Run() {
    if (!Check(FindDesk(), "the desk's main window \"Мирдатон\" opens")) return Finish();
    Check(ItemText(main_, IDC_SERVER) == L"127.0.0.1" &&
              ItemText(main_, IDC_PORT) == WideFrom1251(options_["--port"]) &&
              ItemText(main_, IDC_LOGIN) == WideFrom1251(options_["--desk-login"]) &&
              !ItemText(main_, IDC_PASSWORD).empty(),
          "the connection fields show the settings file");
    Check(RefusedLogin(),
          "a wrong password: one \"KBRStatus_AuthentError\" box, the state line \"Вход отклонён\", no more attempts");
    const bool connected = ConnectDesk();
    Check(connected && StateLine().rfind(L"На связи", 0) == 0,
          "\"Соединиться\" with the right password: the desk logs in, \"На связи\", the command buttons enabled");
    Shot(L"01-main-connected");
    if (!connected) return Close();
    const bool otherIn = Check(other_.LogIn(), "another service logs in to the exchange");
    const std::int32_t firstId = otherIn ? other_.Publish(SampleOrder("Тверская улица")) : 0;
    const std::int32_t secondId = otherIn ? other_.Publish(SampleOrder("Новый Арбат")) : 0;
    const bool listed = Check(OrderListed(firstId) && WaitForRow(NewList(), secondId) >= 0,
                              "orders published by the other service appear in \"Новые заказы\" with the right cells");
    Shot(L"02-new-orders");
    const bool accepted =
        Check(listed && AcceptOrder(firstId),
              "\"Принять заказ\", answered Yes: the order leaves \"Новые заказы\" for \"Мои заказы\"");
    Shot(L"04-main-both-lists");
    Check(accepted && MaximiseAndSortByPrice(),
          "maximised, a click on \"Цена\" sorts \"Новые заказы\" by price with an up arrow");
    // The newest line is at the top: the last notification about the cheaper order.
    Check(::IsWindowVisible(::GetDlgItem(main_, IDC_JOURNAL)) && Journal().CellText(0, 1) == L"Новый заказ",
          "the journal under the lists shows the shift, newest at the top");
    Check(BrowseCities(), "F5 (\"Получить справочники\") opens the viewer and \"Города\" lists the cities");
    Check(ShowBalance(), "\"Посчитать баланс\": the exchange's answer shows in a \"KBRStatus_Ok\" box, in Russian");
    Check(CommandDialogs(firstId), "each command dialog opens with its caption and closes on Cancel");
    const bool rules =
        Check(SetAutoAcceptRules(), "\"Правила автопринятия...\": the rules set in the dialog switch auto-accept on");
    Check(rules && AutoAcceptOffers(),
          "auto-accept takes exactly the two matching offers within its limit, journals them without a box, and the "
          "main window's switch turns it off");
    Check(Outage(),
          "the exchange stops: \"Связь потеряна\", rows grey; it starts again with its saved book: \"На связи\" by "
          "itself, every row current again but that of an order that went away during the outage (its lifetime "
          "ended), which stays listed and grey; a new order is current; the grey row asks before it is taken");
    return Close();
  }

  // What the last run left in the settings file. The desk is first shown
  // when its queue first runs empty and maximises itself right after; its
  // first tick enables "Соединиться": a second later all have passed.
  int RunAgain() {
    if (!Check(FindDesk(), "the desk starts again")) return Finish();
    const bool ticked = WaitUntil([&] { return IsItemEnabled(main_, IDC_CONNECT); });
    ::Sleep(1000);
    Check(ticked && ::IsZoomed(main_), "restarted, the window is maximised again");
    Check(NewList().Get(LVM_GETCOLUMNWIDTH, kPriceColumn) == kPriceWidth && NewList().SortedUp(kPriceColumn),
          "restarted, \"Цена\" keeps its width and the up arrow");
    Check(ConnectDesk() && NewOrdersByPrice() && ::IsZoomed(main_),
          "restarted, the offered orders come in sorted by price, the window still maximised");
    Shot(L"15-restarted-sorted");
    return Close();
  }

  int RunAtHighDpi() {
    if (!Check(FindDesk(), "the desk starts on a 144 DPI screen")) return Finish();
    Check(ConnectDesk() && WaitUntil([&] { return NewList().RowCount() > 0; }),
          "at 144 DPI the desk logs in and lists the offered orders");
    Shot(L"16-dpi-144-main");
    Check(Dismiss(Press(main_, IDC_ADD_ORDER, L"Добавление заказа"), IDCANCEL, L"17-dpi-144-add-order"),
          "at 144 DPI \"Добавление заказа\" opens and closes");
    return Close();
  }

  // Logs the desk in and leaves it running (scripts/run-desk).
  int ConnectOnly() {
    if (Check(FindDesk(), "the desk's main window \"Мирдатон\" opens"))
      Check(ConnectDesk(), "\"Соединиться\": the desk logs in");
    return Finish();
  }

  // Once the runner asks, the desk's lists against what a second desk of the service would be shown.
  int Soak() {
    if (!Check(FindDesk() && ConnectDesk(), "the desk opens and logs in")) return Finish();
    const std::wstring check = control_ + L"/check";
    const bool asked =
        WaitUntil([&] { return ::GetFileAttributesW(check.c_str()) != INVALID_FILE_ATTRIBUTES; }, 3 * 60 * 60 * 1000);
    OtherService second(options_.Number("--port"), "mirdaton2", "mirdaton2");
    std::set<std::int32_t> offered, own;
    const bool in = asked && second.LogIn();
    ::Sleep(5000);
    second.Follow(offered, own);
    int rows = 0, missing = 0;
    for (const auto& list : {std::make_pair(&NewList(), &offered), std::make_pair(&MyList(), &own)}) {
      std::set<std::wstring> shown;
      for (int row = 0; row < list.first->RowCount(); ++row, ++rows) shown.insert(list.first->CellText(row, 0));
      for (std::int32_t id : *list.second) missing += shown.count(std::to_wstring(id)) == 0;
    }
    const std::wstring line = StateLine();
    const std::size_t at = line.find(L"серых строк: ");
    const int current = rows - (at == std::wstring::npos ? 0 : std::stoi(line.substr(at + 13)));
    Note("soak: the exchange shows " + std::to_string(offered.size()) + " offered and " + std::to_string(own.size()) +
         " own orders; the desk has " + std::to_string(current) + " current rows, " + std::to_string(missing) +
         " missing; state line: " + Utf8(line));
    Shot(L"soak-end");
    Check(in && missing == 0 && current == static_cast<int>(offered.size() + own.size()),
          "after the soak the desk's current rows are the exchange's orders, none missing");
    return Close();
  }

  // `--offers` orders for the desk, started with auto-accept on for Москва,
  // to take; the exchange's log gives the times.
  int AcceptLatency() {
    if (!Check(FindDesk() && ConnectDesk(), "the desk opens and logs in") || !other_.LogIn()) return Finish();
    // One at a time: the time of one accept, not of a queue. The desk's lists are
    // left alone, since messages sent to them from here go before its tick.
    const int offers = options_.Number("--offers");
    for (int i = 0; i < offers; ++i) {
      other_.WaitTaken(other_.Publish(SampleOrder("Пятницкая улица")));
      ::Sleep(300);
    }
    WaitUntil([&] { return MyList().RowCount() >= offers; });
    const int taken = MyList().RowCount();
    Note("offers taken: " + std::to_string(taken) + " of " + std::to_string(offers));
    Check(taken == offers, "the desk takes every offer automatically");
    return Close();
  }

 private:
  RemoteListView& NewList() { return *lists_[0]; }
  RemoteListView& MyList() { return *lists_[1]; }
  RemoteListView& Journal() { return *lists_[2]; }
  std::wstring StateLine() { return ItemText(main_, IDC_STATE_LINE); }
  bool StateLineStarts(const wchar_t* text) {
    return WaitUntil([&] { return StateLine().rfind(text, 0) == 0; });
  }
  // Whether every part held; if not, a note of them ('1' held, '0' not) and the state line.
  bool Parts(const std::string& names, std::initializer_list<bool> parts) {
    std::string flags;
    for (bool part : parts) flags += part ? '1' : '0';
    const bool all = flags.find('0') == std::string::npos;
    if (!all) Note(names + " = " + flags + "; state line: " + Utf8(StateLine()));
    return all;
  }
  // The grey rows as the state line counts them: "серых строк: N (".
  bool GreyRowsAre(int count) {
    return StateLine().find(L"серых строк: " + std::to_wstring(count) + L" (") != std::wstring::npos;
  }

  bool FindDesk() {
    const auto shown = [&] {
      main_ = ::FindWindowW(L"#32770", L"Мирдатон");
      return main_ != nullptr && ::IsWindowVisible(main_);
    };
    if (!WaitUntil(shown, kWindowWaitMs)) return false;
    ::GetWindowThreadProcessId(main_, &pid_);
    process_ = ::OpenProcess(
        PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE | PROCESS_QUERY_INFORMATION | SYNCHRONIZE, FALSE,
        pid_);
    const int ids[] = {IDC_NEW_ORDERS, IDC_MY_ORDERS, IDC_JOURNAL};
    for (int i = 0; i < 3; ++i) lists_[i].reset(new RemoteListView(::GetDlgItem(main_, ids[i]), process_));
    return process_ != nullptr;
  }

  // The runner's hands: a request file in the control folder, answered with "<request>.done".
  bool AskRunner(const std::wstring& request) {
    const std::wstring path = control_ + L"/" + request, done = path + L".done";
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    ::CloseHandle(file);
    const bool answered = WaitUntil([&] { return ::GetFileAttributesW(done.c_str()) != INVALID_FILE_ATTRIBUTES; });
    ::DeleteFileW(done.c_str());
    if (!answered) Note("the runner did not answer " + Utf8(request));
    return answered;
  }
  // shots/<name>.png, taken by the runner once the desk has painted what changed.
  void Shot(const std::wstring& name) {
    ::Sleep(400);
    AskRunner(L"shot-" + name);
  }

  // The desk's visible boxes and dialogs besides its main window.
  std::vector<HWND> Boxes() {
    std::vector<HWND> found;
    for (HWND window = nullptr; (window = ::FindWindowExW(nullptr, window, L"#32770", nullptr)) != nullptr;) {
      DWORD owner = 0;
      ::GetWindowThreadProcessId(window, &owner);
      if (owner == pid_ && window != main_ && ::IsWindowVisible(window)) found.push_back(window);
    }
    return found;
  }
  void NoteBoxes() {
    for (HWND box : Boxes()) Note("open box '" + Utf8(WindowText(box)) + "': " + Utf8(ItemText(box, kMessageTextId)));
  }
  // Clicks `button` (none when 0) and waits for a box of the desk whose caption is `what` or whose text begins so.
  HWND Press(HWND window, int button, const std::wstring& what) {
    HWND found = nullptr;
    const auto shown = [&] {
      for (HWND box : Boxes()) {
        if (WindowText(box) == what || ItemText(box, kMessageTextId).rfind(what, 0) == 0) found = box;
      }
      return found != nullptr;
    };
    if ((button == 0 || ClickButton(window, button)) && WaitUntil(shown)) return found;
    Note("no box '" + Utf8(what) + "'; state line: " + Utf8(StateLine()));
    NoteBoxes();
    return nullptr;
  }
  // Pictures the box as `shot` (none when empty), presses `button` on it and waits until it has gone.
  bool Dismiss(HWND box, int button, const std::wstring& shot = L"") {
    if (box == nullptr) return false;
    if (!shot.empty()) Shot(shot);
    return ClickButton(box, button) && WaitUntil([&] { return !::IsWindow(box); });
  }
  // The row of order `orderId` once it is listed, or -1.
  int WaitForRow(const RemoteListView& list, std::int32_t orderId) {
    const std::wstring id = std::to_wstring(orderId);
    if (orderId != 0 && WaitUntil([&] { return list.FindRow(0, id) >= 0; })) return list.FindRow(0, id);
    Note("order " + Utf8(id) + " is not listed");
    return -1;
  }
  bool SelectRow(const RemoteListView& list, int row) {
    return row >= 0 && list.ClickRow(row) && WaitUntil([&] { return list.Get(LVM_GETSELECTIONMARK) == row; });
  }
  bool AutoAcceptIs(LRESULT state) {
    return WaitUntil([&] { return ::SendDlgItemMessageW(main_, IDC_AUTO_ACCEPT, BM_GETCHECK, 0, 0) == state; });
  }

  // Sent, not posted: the click returns once handled; the client's worker makes the connection.
  bool ConnectDesk() {
    DWORD_PTR ignored = 0;
    const auto& commands = DeskMainWindow::CommandButtons();
    return WaitUntil([&] { return IsItemEnabled(main_, IDC_CONNECT); }) &&
           ::SendMessageTimeoutW(::GetDlgItem(main_, IDC_CONNECT), BM_CLICK, 0, 0, SMTO_NORMAL, 2000, &ignored) &&
           WaitUntil([&] {
             return !IsItemEnabled(main_, IDC_CONNECT) && IsItemEnabled(main_, IDC_DISCONNECT) &&
                    std::all_of(commands.begin(), commands.end(),
                                [&](const auto& button) { return IsItemEnabled(main_, button.controlId); });
           });
  }

  // The exchange refuses a wrong password and closes: the desk must stop there with one box.
  bool RefusedLogin() {
    HWND box = WaitUntil([&] { return IsItemEnabled(main_, IDC_CONNECT); }) &&
                       ::SetDlgItemTextW(main_, IDC_PASSWORD, L"не тот пароль")
                   ? Press(main_, IDC_CONNECT, L"KBRStatus_AuthentError")
                   : nullptr;
    if (box == nullptr) return false;
    ::Sleep(3000);  // time for further attempts and boxes, were the desk still trying
    const bool refused =
        Parts("refused: one box, state line", {Boxes().size() == 1, StateLine().rfind(L"Вход отклонён: ", 0) == 0});
    const bool idle = Dismiss(box, IDOK, L"00-login-refused") && WaitUntil([&] {
                        return IsItemEnabled(main_, IDC_CONNECT) && !IsItemEnabled(main_, IDC_DISCONNECT);
                      });
    ::SetDlgItemTextW(main_, IDC_PASSWORD, WideFrom1251(options_["--desk-login"]).c_str());
    return refused && idle;
  }

  // Every cell as the exchange's directories name it, and "(write time)publisher".
  bool OrderListed(std::int32_t orderId) {
    const int row = WaitForRow(NewList(), orderId);
    if (row < 0) return false;
    std::wstring cells;
    for (int column : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 16, 17}) cells += NewList().CellText(row, column) + L"|";
    const std::wstring published = NewList().CellText(row, 13), publisher = L")Престиж";
    const bool right =
        cells ==
            L"Москва|Тверская улица|д. 7, подъезд 2|Химки|Ленинградское шоссе|д. 1|+7 495 123-45-67|Минивэн|"
            L"    850.50||На сервере обмена|Новый|фикс. стоимость|Детское кресло, «без курения»|" &&
        published.size() > publisher.size() && published[0] == L'(' &&
        published.compare(published.size() - publisher.size(), publisher.size(), publisher) == 0;
    if (!right) Note("the row reads " + Utf8(cells) + " published " + Utf8(published));
    return right;
  }

  bool AcceptOrder(std::int32_t orderId) {
    const std::wstring id = std::to_wstring(orderId);
    const int row = NewList().FindRow(0, id);
    // A double-click on the row asks as "Принять заказ" does: the question, then the order's route and price.
    if (row < 0 || !NewList().ClickRow(row, true) ||
        !Dismiss(Press(nullptr, 0,
                       L"Вы хотите принять заказ?\nМосква, Тверская улица — Химки, Ленинградское шоссе, 850.50 руб."),
                 IDYES, L"03-confirm-accept")) {
      return false;
    }
    const bool mine = WaitUntil([&] { return NewList().FindRow(0, id) < 0 && MyList().FindRow(0, id) >= 0; }) &&
                      MyList().CellText(MyList().FindRow(0, id), 12) == L"Принят нами";
    // The exchange answers with notifications only: a status box, should one come, must say Ok.
    bool statusOk = true;
    NoteBoxes();
    for (HWND box : Boxes()) statusOk = WindowText(box) == L"KBRStatus_Ok" && Dismiss(box, IDOK) && statusOk;
    return mine && statusOk;
  }

  // At least three new orders stand by price, lowest first, under an up arrow.
  bool NewOrdersByPrice() {
    return WaitUntil([&] {
      std::vector<double> prices;
      for (int row = 0, rows = NewList().RowCount(); row < rows; ++row) {
        prices.push_back(std::wcstod(NewList().CellText(row, kPriceColumn).c_str(), nullptr));
      }
      return prices.size() >= 3 && NewList().SortedUp(kPriceColumn) && std::is_sorted(prices.begin(), prices.end());
    });
  }

  bool MaximiseAndSortByPrice() {
    const std::int32_t dearer = other_.Publish(SampleOrder("Кутузовский проспект", 1110));
    if (dearer == 0 || WaitForRow(NewList(), other_.Publish(SampleOrder("Ленинский проспект", 320))) < 0) return false;
    ::PostMessageW(main_, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    if (!WaitUntil([&] { return ::IsZoomed(main_) != FALSE; })) return false;
    ::Sleep(500);  // the lists take their new places
    if (!NewList().ClickHeader(kPriceColumn) || !NewOrdersByPrice()) return false;
    // The operator widens the price column; the next start must show it so.
    HWND list = ::GetDlgItem(main_, IDC_NEW_ORDERS);
    ::SendMessageW(list, LVM_SETCOLUMNWIDTH, kPriceColumn, MAKELPARAM(kPriceWidth, 0));
    Shot(L"14-maximised-sorted-by-price");
    // The columns to the right: price, status, publication time, commissions.
    ::SendMessageW(list, LVM_SCROLL, 700, 0);
    Shot(L"14b-columns-on-the-right");
    ::SendMessageW(list, LVM_SCROLL, static_cast<WPARAM>(-700), 0);
    return true;
  }

  bool BrowseCities() {
    ::PostMessageW(::GetDlgItem(main_, IDC_NEW_ORDERS), WM_KEYDOWN, VK_F5, 0);
    HWND viewer = Press(nullptr, 0, L"Справочники");
    if (viewer == nullptr || !ClickButton(viewer, IDC_DIR_CITIES)) return false;
    RemoteListView rows(::GetDlgItem(viewer, IDC_DIR_LIST), process_);
    std::wstring exchange, shown;
    for (const auto& city : other_.Cities())
      exchange += std::to_wstring(city.first) + L" " + WideFrom1251(city.second) + L"|";
    const bool listed = WaitUntil([&] {
      shown.clear();
      for (int row = 0; row < rows.RowCount(); ++row)
        shown += rows.CellText(row, 0) + L" " + rows.CellText(row, 1) + L"|";
      return !exchange.empty() && shown == exchange;
    });
    if (!listed) Note("the viewer lists " + Utf8(shown) + ", the exchange " + Utf8(exchange));
    Shot(L"05-directory-cities");
    if (ClickButton(viewer, IDC_DIR_CLIENTS)) {
      WaitUntil([&] { return rows.CellText(0, 1).find(L"[") != std::wstring::npos; });
      Shot(L"06-directory-services");
    }
    return Dismiss(viewer, IDOK) && listed;
  }

  bool ShowBalance() {
    HWND box = Press(main_, IDC_STATEMENT, L"KBRStatus_Ok");
    const std::wstring text = ItemText(box, kMessageTextId);
    const bool russian = text.rfind(L"ErrorString='Баланс службы Мирдатон: ", 0) == 0 &&
                         text.find(L" руб.'\nDigitalValue='") != std::wstring::npos;
    if (!russian) Note("the status box reads '" + Utf8(text) + "'");
    return Dismiss(box, IDOK, L"07-status-box-balance") && russian;
  }

  // Each command dialog, with my order selected for those about it.
  bool CommandDialogs(std::int32_t myOrderId) {
    const struct {
      int button;
      const wchar_t *caption, *shot;
    } dialogs[] = {
        {IDC_ADD_ORDER, L"Добавление заказа", L"08-dialog-104-add-order"},
        {IDC_NOTIFY_MODE, L"Устанвка времени информирования об изменившихся заказах", L"09-dialog-105-notify-mode"},
        {IDC_CHANGE_STATUS, L"Смена статуса заказа и цены", L"10-dialog-106-status"},
        {IDC_CAR_DESCRIPTION, L"Добавление описания машины", L"11-dialog-107-car"},
        {IDC_TARIFF, L"Запрос тарифа", L"12-dialog-109-tariff"},
        {IDC_FULL_INFO, L"Введите Id заказа", L"13-dialog-110-order-id"},
    };
    bool all = SelectRow(MyList(), MyList().FindRow(0, std::to_wstring(myOrderId)));
    for (const auto& d : dialogs) all = Dismiss(Press(main_, d.button, d.caption), IDCANCEL, d.shot) && all;
    return all;
  }

  // Pick-up in Москва, from 900 roubles, at most two orders waiting for a car.
  bool SetAutoAcceptRules() {
    HWND dialog = Press(main_, IDC_AUTO_ACCEPT_RULES, L"Автопринятие");
    if (dialog == nullptr) return false;
    RemoteListView cities(::GetDlgItem(dialog, IDC_AA_CITIES), process_);
    const int moscow = cities.FindRow(0, L"Москва");
    const bool filled = moscow >= 0 && cities.Tick(moscow) && ::SetDlgItemTextW(dialog, IDC_AA_MIN_PRICE, L"900") &&
                        ::SetDlgItemTextW(dialog, IDC_AA_MAX_OPEN, L"2");
    ::SendMessageW(::GetDlgItem(dialog, IDC_AA_ENABLED), BM_SETCHECK, BST_CHECKED, 0);
    return Dismiss(dialog, IDOK, L"22-dialog-auto-accept") && filled && AutoAcceptIs(BST_CHECKED);
  }

  // Five offers: two match, one more matches beyond the limit, two do not.
  bool AutoAcceptOffers() {
    const struct {
      std::int32_t city;
      float price;
      bool taken;
    } offers[] = {{1, 950, true}, {3, 950, false}, {1, 500, false}, {1, 1200, true}, {1, 990, false}};
    std::vector<std::wstring> ids;
    for (const auto& offer : offers) {
      ids.push_back(std::to_wstring(other_.Publish(SampleOrder("Пятницкая улица", offer.price, offer.city))));
    }
    const auto settled = [&] {
      for (std::size_t i = 0; i < ids.size(); ++i) {
        if ((MyList().FindRow(0, ids[i]) >= 0) != offers[i].taken) return false;
        if ((NewList().FindRow(0, ids[i]) >= 0) == offers[i].taken) return false;
      }
      return true;
    };
    const bool first = WaitUntil(settled);
    ::Sleep(1500);  // three ticks more: nothing else is taken
    const bool still = settled();
    Shot(L"23-main-auto-accept-on");
    int journaled = 0;
    for (int row = 0; row < Journal().RowCount(); ++row) journaled += Journal().CellText(row, 1) == L"Автопринятие";
    // The dispatcher switches it off on the main window; the next start finds it off.
    return Parts("auto-accept: taken, still, journaled, no box, off",
                 {first, still, journaled == 2, Boxes().empty(),
                  ClickButton(main_, IDC_AUTO_ACCEPT) && AutoAcceptIs(BST_UNCHECKED)});
  }

  // The exchange stops and starts again with the book it saved. An order
  // published just before ends its life meanwhile: its row alone stays grey.
  bool Outage() {
    KestoOrder shortLived = SampleOrder("Петровка");
    shortLived.TimeToLiveSec = 5;
    const DWORD downUntil = ::GetTickCount() + 6000;
    const std::int32_t goneId = other_.Publish(shortLived);
    if (WaitForRow(NewList(), goneId) < 0) return false;
    const int rows = NewList().RowCount() + MyList().RowCount();
    if (!AskRunner(L"stop-exchange")) return false;
    const bool lost = Parts("stopped: lost, grey", {StateLineStarts(L"Связь потеряна: "), GreyRowsAre(rows)});
    Shot(L"18-connection-lost-rows-grey");
    if (static_cast<LONG>(downUntil - ::GetTickCount()) > 0) ::Sleep(downUntil - ::GetTickCount());
    // Sorted by price, the gone order's row may stand below the visible part of the list.
    const auto showGoneRow = [&] {
      const int row = NewList().FindRow(0, std::to_wstring(goneId));
      ::SendMessageW(::GetDlgItem(main_, IDC_NEW_ORDERS), LVM_ENSUREVISIBLE, row, FALSE);
      return row;
    };
    const bool back = AskRunner(L"start-exchange") &&
                      Parts("started: on line, one grey, rows kept",
                            {StateLineStarts(L"На связи"), WaitUntil([&] { return GreyRowsAre(1); }),
                             showGoneRow() >= 0 && NewList().RowCount() + MyList().RowCount() == rows});
    Shot(L"19-back-on-line-gone-order-grey");
    // Current beside the grey row; three, for the next desk of this run sorts by price.
    bool fresh = other_.LoggedIn();
    for (float price : {640.0f, 910.0f, 480.0f}) {
      fresh = fresh && WaitForRow(NewList(), other_.Publish(SampleOrder("Садовая улица", price))) >= 0;
    }
    const bool stillOneGrey = GreyRowsAre(1);
    showGoneRow();
    Shot(L"20-new-order-beside-grey-row");
    const bool asked =
        SelectRow(NewList(), showGoneRow()) &&
        Dismiss(Press(main_, IDC_ACCEPT_ORDER, L"Заказ мог быть уже принят другой службой. Всё равно принять?"), IDNO,
                L"21-accept-grey-row-asks");
    return Parts("outage: stopped, started, new orders, still one grey, asked",
                 {lost, back, fresh, stillOneGrey, asked});
  }

  // Closes the boxes left open, then the main window: the desk must end within 15 s.
  int Close() {
    NoteBoxes();
    for (HWND box : Boxes()) {
      if (!ClickButton(box, IDOK)) ClickButton(box, IDCANCEL);
    }
    ::PostMessageW(main_, WM_CLOSE, 0, 0);
    Check(::WaitForSingleObject(process_, 15000) == WAIT_OBJECT_0, "closing the main window ends the desk within 15 s");
    return Finish();
  }

  const Options& options_;
  const std::wstring control_;
  OtherService other_;
  HWND main_ = nullptr;
  DWORD pid_ = 0;
  HANDLE process_ = nullptr;
  std::unique_ptr<RemoteListView> lists_[3];  // new orders, my orders, journal
};

}  // namespace

int main(int argc, char** argv) {
  Options options;
  const bool parsed = options.Parse(argc, argv);
  const std::map<std::string, int (DeskRun::*)()> modes = {
      {"full", &DeskRun::Run},         {"again", &DeskRun::RunAgain},
      {"dpi", &DeskRun::RunAtHighDpi}, {"connect", &DeskRun::ConnectOnly},
      {"soak", &DeskRun::Soak},        {"latency", &DeskRun::AcceptLatency}};
  const auto mode = modes.find(options["--mode"]);
  if (!parsed || mode == modes.end()) {
    std::fputs(
        "usage: desk_e2e_driver --mode connect|full|again|dpi|soak|latency --port N --desk-login L "
        "--login L --password P --control DIR --offers N\n",
        stderr);
    return 2;
  }
  std::setvbuf(stdout, nullptr, _IONBF, 0);  // the runner shows each line as it comes
  platform::StartSockets();
  const int result = (DeskRun(options).*(mode->second))();
  platform::StopSockets();
  return result;
}
