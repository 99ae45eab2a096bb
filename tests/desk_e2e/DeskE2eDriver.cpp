// Works the desk, already started against a demo exchange, as an operator would: finds its window, clicks, reads its
// list views through a block allocated in its process, publishes orders as another service, and prints an "ok"/"not
// ok" line per check and a closing count. Every wait is bounded.
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
#include <string>
#include <tuple>

#include "client/KestoBrimoClientAsync.h"
#include "desk/DeskIds.h"
#include "desk/MainWindow.h"
#include "desk/win32/WideText.h"
#include "platform/socket.h"
#include "protocol/KBRCodes.h"

namespace {

constexpr DWORD kStepWaitMs = 20000, kWindowWaitMs = 60000;  // a fresh Wine prefix is slow to start the desk
constexpr int kPriceColumn = 9, kPriceWidth = 123;           // pixels, as the operator drags it
constexpr int kMessageTextId = 0xFFFF;                       // the static that holds a message box's text

bool WaitUntil(const std::function<bool()>& ready, DWORD timeoutMs = kStepWaitMs) {
  for (const DWORD start = ::GetTickCount(); !ready(); ::Sleep(50))
    if (::GetTickCount() - start >= timeoutMs) return false;
  return true;
}
bool FileExists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

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

void PrintLine(const char* prefix, const std::wstring& wide) {
  std::string text(wide.size() * 3, '\0');  // at most three bytes of UTF-8 a UTF-16 unit
  text.resize(
      static_cast<std::size_t>(::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &text[0],
                                                     static_cast<int>(text.size()), nullptr, nullptr)));
  std::printf("%s%s\n", prefix, text.c_str());
}
void Note(const std::wstring& text) { PrintLine("# ", text); }
int checks = 0, failures = 0;
// One "ok"/"not ok" line; `what` is a literal of this program, so in code page 1251.
bool Check(bool passed, const char* what) {
  const std::string prefix = (passed ? "ok " : "not ok ") + std::to_string(++checks) + " - ";
  PrintLine(prefix.c_str(), WideFrom1251(what));
  failures += passed ? 0 : 1;
  return passed;
}

class RemoteListView {
 public:
  // `list` belongs to `process`, opened with the rights to its memory.
  RemoteListView(HWND list, HANDLE process)
      : list_(list),
        process_(process),
        remote_(::VirtualAllocEx(process, nullptr, sizeof(Cell), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)) {}
  ~RemoteListView() { ::VirtualFreeEx(process_, remote_, 0, MEM_RELEASE); }

  int Send(UINT message, WPARAM w = 0, LPARAM l = 0) const {
    return static_cast<int>(::SendMessageW(list_, message, w, l));
  }
  int RowCount() const { return Send(LVM_GETITEMCOUNT); }
  std::wstring CellText(int row, int column) const {
    Cell cell = {};
    cell.item.iSubItem = column, cell.item.cchTextMax = kTextChars - 1;
    cell.item.pszText = reinterpret_cast<wchar_t*>(static_cast<char*>(remote_) + offsetof(Cell, text));
    return Remote(list_, LVM_GETITEMTEXTW, row, cell) ? cell.text : L"";
  }
  int FindRow(const std::wstring& firstCell) const {
    for (int row = 0, rows = RowCount(); row < rows; ++row)
      if (CellText(row, 0) == firstCell) return row;
    return -1;
  }
  // A little into the row, whose first column has no width.
  bool ClickRow(int row, int clicks = 1) const {
    RECT rect = {LVIR_BOUNDS, 0, 0, 0};
    return Remote(list_, LVM_GETITEMRECT, row, rect) &&
           Click(list_, {rect.left + 24, (rect.top + rect.bottom) / 2}, clicks);
  }
  // The pointer goes there too: a move reported from elsewhere while the button is down would drag the column.
  bool ClickHeader(int column) const {
    RECT rect = {};
    if (!Remote(Header(), HDM_GETITEMRECT, column, rect)) return false;
    POINT middle = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2}, screen = middle;
    ::ClientToScreen(Header(), &screen), ::SetCursorPos(screen.x, screen.y), ::Sleep(100);
    return Click(Header(), middle, 1);
  }
  bool SortedUp(int column) const {
    HDITEMW item = {};
    item.mask = HDI_FORMAT;
    return Remote(Header(), HDM_GETITEMW, column, item) && (item.fmt & (HDF_SORTUP | HDF_SORTDOWN)) == HDF_SORTUP;
  }
  bool Tick(int row) const {
    LVITEMW item = {};
    item.stateMask = LVIS_STATEIMAGEMASK, item.state = INDEXTOSTATEIMAGEMASK(2);
    return Remote(list_, LVM_SETITEMSTATE, row, item);
  }

 private:
  static constexpr int kTextChars = 1024;
  struct Cell {
    LVITEMW item;
    wchar_t text[kTextChars];
  };
  // Writes `value` into the block in the list's process, sends its address and reads back what the control filled in.
  template <typename T>
  bool Remote(HWND window, UINT message, int index, T& value) const {
    static_assert(sizeof(T) <= sizeof(Cell), "the block holds it");
    return remote_ != nullptr && ::WriteProcessMemory(process_, remote_, &value, sizeof value, nullptr) &&
           ::SendMessageW(window, message, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(remote_)) != 0 &&
           ::ReadProcessMemory(process_, remote_, &value, sizeof value, nullptr);
  }
  HWND Header() const { return reinterpret_cast<HWND>(::SendMessageW(list_, LVM_GETHEADER, 0, 0)); }
  static bool Click(HWND window, POINT at, int clicks) {
    for (int click = 0; click < clicks; ++click) {
      ::PostMessageW(window, click == 0 ? WM_LBUTTONDOWN : WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(at.x, at.y));
      ::PostMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
    }
    return true;
  }

  HWND list_;
  HANDLE process_;
  void* remote_;
};

KestoOrder SampleOrder(const char* street, float price = 850.5f, std::int32_t city = 1, std::int32_t lifetime = 0) {
  KestoOrder order;
  order.CityIdFrom = city, order.StreetFrom = street, order.AdditionalFrom = "д. 7, подъезд 2";
  order.CityIdTo = 3, order.StreetTo = "Ленинградское шоссе", order.AdditionalTo = "д. 1";
  order.ClientPhone = "+7 495 123-45-67", order.CarrierType = 3, order.Price = price, order.StatusId = 17;
  order.Time0Km1Fixed2 = 2, order.Comment = "Детское кресло, «без курения»", order.TimeToLiveSec = lifetime;
  return order;
}

// Another taxi service on the same exchange, through the project's own client.
class OtherService : public KestoBrimoClientAsync {
 public:
  OtherService(int port, const std::string& login, const std::string& password) {
    SetConnectionParam("127.0.0.1", port, login, password);
  }
  ~OtherService() { Disconnect(); }
  bool LogIn() { return Connect(), LoggedIn(); }
  bool LoggedIn() {
    return WaitUntil([&] { return Authorized.load(); });
  }
  // The new order's id once the exchange confirms it, or 0.
  std::int32_t Publish(const KestoOrder& order) {
    const auto commandId = static_cast<std::uint32_t>(InsertOrder(order));
    return Await([&](const KestoBrimo_AsyncResponce& answer) {
      return answer.CommandId != commandId                                                  ? -1
             : answer.OperationStatus == KBRStatus_Ok && answer.reason == KBRReason_MyOrder ? answer.Order.OrderId
                                                                                            : 0;
    });
  }
  void WaitTaken(std::int32_t orderId) {
    Await([&](const KestoBrimo_AsyncResponce& told) {
      return told.reason == KBRReason_MyOrder && told.Order.OrderId == orderId && told.Order.Acceptor != 0 ? 1 : -1;
    });
  }

 private:
  // Takes the responses as they come until `verdict` of one is not -1; 0 when none comes in time.
  std::int32_t Await(const std::function<std::int32_t(const KestoBrimo_AsyncResponce&)>& verdict) {
    std::int32_t result = -1;
    KestoBrimo_AsyncResponce told;
    for (const DWORD start = ::GetTickCount(); result == -1 && ::GetTickCount() - start < kStepWaitMs;)
      if (GetClientResponce(told, 50)) result = verdict(told);
    return std::max(result, 0);
  }
};

// "--name value" pairs. `--control` is where the driver asks the runner to stop and start the exchange and to take
// pictures of the screen.
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
  // The rest of a mode's run once the desk is found (and logged in, if the mode says so); false leaves it open.
  using Steps = bool (DeskRun::*)();
  explicit DeskRun(const Options& options)
      : options_(options),
        control_(WideFrom1251(options["--control"])),
        other_(options.Number("--port"), options["--login"], options["--password"]) {}

  int Work(const char* opens, bool connect, Steps steps) {
    if (Check(FindDesk() && (!connect || ConnectDesk()), opens) && (this->*steps)()) Close();
    std::printf("driver checks: %d passed, %d failed\n", checks - failures, failures);
    return failures == 0 ? 0 : 1;
  }

  bool Run() {
    const std::wstring fields = Text(IDC_SERVER) + L" " + Text(IDC_PORT) + L" " + Text(IDC_LOGIN);
    Check(fields == WideFrom1251("127.0.0.1 " + options_["--port"] + " " + options_["--desk-login"]) &&
              !Text(IDC_PASSWORD).empty(),
          "the connection fields show the settings file");
    Check(RefusedLogin(), "a wrong password: one \"KBRStatus_AuthentError\" box, \"Вход отклонён\", no more attempts");
    const bool connected = ConnectDesk();
    Check(connected && StateLine().rfind(L"На связи", 0) == 0,
          "\"Соединиться\" with the right password: logged in, \"На связи\", the command buttons enabled");
    Shot(L"01-main-connected");
    if (!connected) return true;
    const bool otherIn = Check(other_.LogIn(), "another service logs in to the exchange");
    const std::int32_t firstId = otherIn ? other_.Publish(SampleOrder("Тверская улица")) : 0;
    const bool listed = Check(OrderListed(firstId) && Listed(SampleOrder("Новый Арбат")),
                              "the other service's orders appear in \"Новые заказы\" with the right cells");
    Shot(L"02-new-orders");
    const bool accepted = Check(listed && AcceptOrder(firstId),
                                "accepted, answered Yes: the order leaves \"Новые заказы\" for \"Мои заказы\"");
    Shot(L"04-main-both-lists");
    Check(accepted && MaximiseAndSortByPrice(), "maximised, a click on \"Цена\" sorts by price with an up arrow");
    // The newest line is at the top: the last notification about the cheaper order.
    Check(::IsWindowVisible(::GetDlgItem(main_, IDC_JOURNAL)) && Journal().CellText(0, 1) == L"Новый заказ",
          "the journal under the lists shows the shift, newest at the top");
    Check(BrowseCities(), "F5 opens the directory viewer and \"Города\" lists the cities");
    Check(ShowBalance(), "\"Посчитать баланс\": the exchange's answer in a \"KBRStatus_Ok\" box, in Russian");
    Check(CommandDialogs(firstId), "each command dialog opens with its caption and closes on Cancel");
    const bool rules = Check(SetAutoAcceptRules(), "the rules set in \"Автопринятие\" switch auto-accept on");
    Check(rules && AutoAcceptOffers(),
          "auto-accept takes just the two matching offers within its limit, journals them, no box; its switch stops");
    Check(Outage(),
          "exchange down: \"Связь потеряна\", rows grey; back with its book: \"На связи\" by itself, rows current but "
          "the one whose order expired meanwhile; new orders current; taking the grey row asks first");
    return true;
  }

  // What the last run left in the settings file. The desk is first shown when its queue first runs empty and
  // maximises itself right after; its first tick enables "Соединиться": a second later all have passed.
  bool RunAgain() {
    const bool ticked = WaitUntil([&] { return Enabled(IDC_CONNECT); });
    ::Sleep(1000);
    Check(ticked && ::IsZoomed(main_), "restarted, the window is maximised again");
    Check(NewList().Send(LVM_GETCOLUMNWIDTH, kPriceColumn) == kPriceWidth && NewList().SortedUp(kPriceColumn),
          "restarted, \"Цена\" keeps its width and the up arrow");
    Check(ConnectDesk() && NewOrdersByPrice() && ::IsZoomed(main_), "restarted: orders come by price, still maximised");
    Shot(L"15-restarted-sorted");
    return true;
  }

  bool RunAtHighDpi() {
    Check(ConnectDesk() && WaitUntil([&] { return NewList().RowCount() > 0; }), "at 144 DPI it logs in, lists orders");
    Shot(L"16-dpi-144-main");
    Check(Dismiss(AwaitBox(Click(IDC_ADD_ORDER), L"Добавление заказа"), IDCANCEL, L"17-dpi-144-add-order"),
          "at 144 DPI \"Добавление заказа\" opens and closes");
    return true;
  }

  // Logs the desk in and leaves it running (scripts/run-desk).
  bool ConnectOnly() {
    Check(ConnectDesk(), "\"Соединиться\": the desk logs in");
    return false;
  }

  // Once the runner asks, the desk's lists against what a second desk of the service would be shown.
  bool Soak() {
    const bool asked = WaitUntil([&] { return FileExists(control_ + L"/check"); }, 3 * 60 * 60 * 1000);
    OtherService second(options_.Number("--port"), "mirdaton2", "mirdaton2");
    const bool in = asked && second.LogIn();
    ::Sleep(5000);
    std::set<std::int32_t> offered, own;  // what the exchange told, as a desk keeps it
    for (KestoBrimo_AsyncResponce told; second.GetClientResponce(told);) {
      const std::int32_t id = told.Order.OrderId;
      if (told.reason == KBRReason_NewOrder) offered.insert(id);
      if (told.reason == KBRReason_NewOrderRemoved) offered.erase(id);
      if (told.reason == KBRReason_MyOrder) own.insert(id);
      if (told.reason == KBRReason_MyOrderRemoved) own.erase(id);
    }
    int rows = 0, missing = 0;
    for (const auto& list : {std::make_pair(&NewList(), &offered), std::make_pair(&MyList(), &own)}) {
      std::set<std::wstring> shown;
      for (int row = 0; row < list.first->RowCount(); ++row, ++rows) shown.insert(list.first->CellText(row, 0));
      for (std::int32_t id : *list.second) missing += shown.count(std::to_wstring(id)) == 0;
    }
    const std::wstring line = StateLine();
    const std::size_t at = line.find(L"серых строк: ");
    const int current = rows - (at == std::wstring::npos ? 0 : std::stoi(line.substr(at + 13)));
    Note(L"soak: the exchange shows " + std::to_wstring(offered.size()) + L" offered and " +
         std::to_wstring(own.size()) + L" own orders; the desk has " + std::to_wstring(current) + L" current rows, " +
         std::to_wstring(missing) + L" missing; state line: " + line);
    Shot(L"soak-end");
    Check(in && missing == 0 && current == static_cast<int>(offered.size() + own.size()),
          "after the soak the desk's current rows are the exchange's orders, none missing");
    return true;
  }

  // `--offers` orders for the desk, started with auto-accept on for Москва, to take, one at a time (the time of one
  // accept, not of a queue); the exchange's log gives the times. The desk's lists are left alone meanwhile, since
  // messages sent to them from here go before its tick.
  bool AcceptLatency() {
    if (!other_.LogIn()) return false;
    const int offers = options_.Number("--offers");
    for (int i = 0; i < offers; ++i) other_.WaitTaken(other_.Publish(SampleOrder("Пятницкая улица"))), ::Sleep(300);
    WaitUntil([&] { return MyList().RowCount() >= offers; });
    const int taken = MyList().RowCount();
    Note(L"offers taken: " + std::to_wstring(taken) + L" of " + std::to_wstring(offers));
    Check(taken == offers, "the desk takes every offer automatically");
    return true;
  }

 private:
  RemoteListView& NewList() { return *lists_[0]; }
  RemoteListView& MyList() { return *lists_[1]; }
  RemoteListView& Journal() { return *lists_[2]; }
  std::wstring Text(int id) { return ItemText(main_, id); }
  bool Click(int id) { return ClickButton(main_, id); }
  bool Enabled(int id) { return IsItemEnabled(main_, id); }
  std::wstring StateLine() { return Text(IDC_STATE_LINE); }
  bool StateLineStarts(const wchar_t* text) {
    return WaitUntil([&] { return StateLine().rfind(text, 0) == 0; });
  }
  // Whether every part held; if not, a note of them ('1' held, '0' not) and the state line.
  bool Parts(const std::wstring& names, std::initializer_list<bool> parts) {
    std::wstring flags;
    for (bool part : parts) flags += part ? L'1' : L'0';
    if (flags.find(L'0') != std::wstring::npos) Note(names + L" = " + flags + L"; state line: " + StateLine());
    return flags.find(L'0') == std::wstring::npos;
  }
  // The grey rows as the state line counts them: "серых строк: N (".
  bool GreyRowsAre(int count) {
    return StateLine().find(L"серых строк: " + std::to_wstring(count) + L" (") != std::wstring::npos;
  }

  bool FindDesk() {
    if (!WaitUntil([&] { return ::IsWindowVisible(main_ = ::FindWindowW(L"#32770", L"Мирдатон")); }, kWindowWaitMs))
      return false;
    ::GetWindowThreadProcessId(main_, &pid_);
    process_.reset(::OpenProcess(PROCESS_ALL_ACCESS, FALSE, pid_));
    const int ids[] = {IDC_NEW_ORDERS, IDC_MY_ORDERS, IDC_JOURNAL};
    for (int i = 0; i < 3; ++i) lists_[i].reset(new RemoteListView(::GetDlgItem(main_, ids[i]), process_.get()));
    return process_ != nullptr;
  }

  // The runner's hands: a request file in the control folder, holding `content`, answered with "<request>.done".
  bool AskRunner(const std::wstring& request, const std::string& content = "") {
    const std::wstring path = control_ + L"/" + request, part = path + L".part", done = path + L".done";
    HANDLE file = ::CreateFileW(part.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool whole =
        content.empty() || (::WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr) &&
                            written == content.size());
    ::CloseHandle(file);
    // Renamed when whole, so the runner never reads a part.
    if (!whole || !::MoveFileExW(part.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) return false;
    const bool answered = WaitUntil([&] { return FileExists(done); });
    ::DeleteFileW(done.c_str());
    if (!answered) Note(L"the runner did not answer " + request);
    return answered;
  }
  // shots/<name>.png: the screen as Wine composes it, handed to the runner as a BMP file. The X server's
  // own picture is no good: there a box over a window of normal size can stay black.
  void Shot(const std::wstring& name) {
    ::Sleep(400);  // the desk paints what changed when it next empties its queue
    BITMAPINFOHEADER header = {
        sizeof header, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN), 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    std::string pixels(static_cast<std::size_t>((header.biWidth * 3 + 3) / 4 * 4 * header.biHeight), '\0');
    HDC screen = ::GetDC(nullptr), memory = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, header.biWidth, header.biHeight);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    bool read = ::BitBlt(memory, 0, 0, header.biWidth, header.biHeight, screen, 0, 0, SRCCOPY);
    ::SelectObject(memory, old);
    BITMAPINFO info = {header, {}};
    read =
        read && ::GetDIBits(memory, bitmap, 0, header.biHeight, &pixels[0], &info, DIB_RGB_COLORS) == header.biHeight;
    ::DeleteObject(bitmap), ::DeleteDC(memory), ::ReleaseDC(nullptr, screen);
    const DWORD offset = sizeof(BITMAPFILEHEADER) + sizeof header;
    const BITMAPFILEHEADER file = {0x4D42, static_cast<DWORD>(offset + pixels.size()), 0, 0, offset};  // "BM"
    const std::string bmp = std::string(reinterpret_cast<const char*>(&file), sizeof file) +
                            std::string(reinterpret_cast<const char*>(&header), sizeof header) + pixels;
    if (!read || !AskRunner(L"shot-" + name, bmp)) Note(L"no picture " + name);
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
    for (HWND box : Boxes()) Note(L"open box '" + WindowText(box) + L"': " + ItemText(box, kMessageTextId));
  }
  // After `acted` (what opens it), waits for a box of the desk whose caption is `what` or whose text begins so.
  HWND AwaitBox(bool acted, const std::wstring& what) {
    HWND found = nullptr;
    const auto shown = [&] {
      for (HWND box : Boxes())
        if (WindowText(box) == what || ItemText(box, kMessageTextId).rfind(what, 0) == 0) found = box;
      return found != nullptr;
    };
    if (acted && WaitUntil(shown)) return found;
    Note(L"no box '" + what + L"'; state line: " + StateLine());
    NoteBoxes();
    return nullptr;
  }
  // Pictures the box as `shot` (none when empty), presses `button` on it and waits until it has gone.
  bool Dismiss(HWND box, int button, const std::wstring& shot = L"") {
    if (box == nullptr) return false;
    if (!shot.empty()) Shot(shot);
    return ClickButton(box, button) && WaitUntil([&] { return !::IsWindow(box); });
  }
  // The row of order `orderId` in "Новые заказы" once it is listed, or -1.
  int NewRow(std::int32_t orderId) {
    const std::wstring id = std::to_wstring(orderId);
    if (orderId != 0 && WaitUntil([&] { return NewList().FindRow(id) >= 0; })) return NewList().FindRow(id);
    Note(L"order " + id + L" is not listed");
    return -1;
  }
  bool Listed(const KestoOrder& order) { return NewRow(other_.Publish(order)) >= 0; }
  bool SelectRow(const RemoteListView& list, int row) {
    return row >= 0 && list.ClickRow(row) && WaitUntil([&] { return list.Send(LVM_GETSELECTIONMARK) == row; });
  }
  bool AutoAcceptIs(LRESULT state) {
    return WaitUntil([&] { return ::SendDlgItemMessageW(main_, IDC_AUTO_ACCEPT, BM_GETCHECK, 0, 0) == state; });
  }

  // Sent, not posted: the click returns once handled; the client's worker makes the connection.
  bool ConnectDesk() {
    DWORD_PTR ignored = 0;
    const auto& commands = DeskMainWindow::CommandButtons();
    return WaitUntil([&] { return Enabled(IDC_CONNECT); }) &&
           ::SendMessageTimeoutW(::GetDlgItem(main_, IDC_CONNECT), BM_CLICK, 0, 0, SMTO_NORMAL, 2000, &ignored) &&
           WaitUntil([&] {
             return !Enabled(IDC_CONNECT) && Enabled(IDC_DISCONNECT) &&
                    std::all_of(commands.begin(), commands.end(), [&](const auto& b) { return Enabled(b.controlId); });
           });
  }

  // The exchange refuses a wrong password and closes: the desk must stop there with one box.
  bool RefusedLogin() {
    HWND box = AwaitBox(WaitUntil([&] { return Enabled(IDC_CONNECT); }) &&
                            ::SetDlgItemTextW(main_, IDC_PASSWORD, L"не тот пароль") && Click(IDC_CONNECT),
                        L"KBRStatus_AuthentError");
    if (box == nullptr) return false;
    ::Sleep(3000);  // time for further attempts and boxes, were the desk still trying
    const bool refused =
        Parts(L"refused: one box, state line", {Boxes().size() == 1, StateLine().rfind(L"Вход отклонён: ", 0) == 0});
    const bool idle = Dismiss(box, IDOK, L"00-login-refused") &&
                      WaitUntil([&] { return Enabled(IDC_CONNECT) && !Enabled(IDC_DISCONNECT); });
    ::SetDlgItemTextW(main_, IDC_PASSWORD, WideFrom1251(options_["--desk-login"]).c_str());
    return refused && idle;
  }

  // Every cell as the exchange's directories name it, and "(write time)publisher".
  bool OrderListed(std::int32_t orderId) {
    const int row = NewRow(orderId);
    if (row < 0) return false;
    std::wstring cells;
    for (int column : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 16, 17}) cells += NewList().CellText(row, column) + L"|";
    const std::wstring published = NewList().CellText(row, 13);
    cells += published.substr(0, 1) + published.substr(std::min(published.find(L')'), published.size()));
    const bool right = cells ==
                       L"Москва|Тверская улица|д. 7, подъезд 2|Химки|Ленинградское шоссе|д. 1|+7 495 123-45-67|"
                       L"Минивэн|    850.50||На сервере обмена|Новый|фикс. стоимость|Детское кресло, «без "
                       L"курения»|()Престиж";
    if (!right) Note(L"the row reads " + cells + L", published " + published);
    return right;
  }

  // A double-click on the row asks as "Принять заказ" does: the question, then the order's route and price.
  bool AcceptOrder(std::int32_t orderId) {
    const std::wstring id = std::to_wstring(orderId);
    const int row = NewList().FindRow(id);
    bool mine =
        Dismiss(AwaitBox(row >= 0 && NewList().ClickRow(row, 2),
                         L"Вы хотите принять заказ?\nМосква, Тверская улица — Химки, Ленинградское шоссе, 850.50 руб."),
                IDYES, L"03-confirm-accept") &&
        WaitUntil([&] { return NewList().FindRow(id) < 0 && MyList().FindRow(id) >= 0; }) &&
        MyList().CellText(MyList().FindRow(id), 12) == L"Принят нами";
    // The exchange answers with notifications only: a status box, should one come, must say Ok.
    NoteBoxes();
    for (HWND box : Boxes()) mine = WindowText(box) == L"KBRStatus_Ok" && Dismiss(box, IDOK) && mine;
    return mine;
  }

  // At least three new orders stand by price, lowest first, under an up arrow.
  bool NewOrdersByPrice() {
    return WaitUntil([&] {
      std::vector<double> prices;
      for (int row = 0, rows = NewList().RowCount(); row < rows; ++row)
        prices.push_back(std::wcstod(NewList().CellText(row, kPriceColumn).c_str(), nullptr));
      return prices.size() >= 3 && NewList().SortedUp(kPriceColumn) && std::is_sorted(prices.begin(), prices.end());
    });
  }

  bool MaximiseAndSortByPrice() {
    if (!Listed(SampleOrder("Кутузовский проспект", 1110)) || !Listed(SampleOrder("Ленинский проспект", 320)) ||
        !::PostMessageW(main_, WM_SYSCOMMAND, SC_MAXIMIZE, 0) || !WaitUntil([&] { return ::IsZoomed(main_) != FALSE; }))
      return false;
    ::Sleep(500);  // the lists take their new places
    if (!NewList().ClickHeader(kPriceColumn) || !NewOrdersByPrice()) return false;
    // The operator widens the price column; the next start must show it so.
    NewList().Send(LVM_SETCOLUMNWIDTH, kPriceColumn, MAKELPARAM(kPriceWidth, 0));
    Shot(L"14-maximised-sorted-by-price");
    NewList().Send(LVM_SCROLL, 700);  // to price, status, publication time, commissions
    Shot(L"14b-columns-on-the-right");
    NewList().Send(LVM_SCROLL, static_cast<WPARAM>(-700));
    return true;
  }

  bool BrowseCities() {
    HWND viewer = AwaitBox(::PostMessageW(::GetDlgItem(main_, IDC_NEW_ORDERS), WM_KEYDOWN, VK_F5, 0), L"Справочники");
    if (viewer == nullptr || !ClickButton(viewer, IDC_DIR_CITIES)) return false;
    RemoteListView rows(::GetDlgItem(viewer, IDC_DIR_LIST), process_.get());
    std::wstring told, shown;
    for (auto& [id, name] : other_.GetCityDirectory()) told += std::to_wstring(id) + L" " + WideFrom1251(name) + L"|";
    const bool listed = WaitUntil([&] {
      shown.clear();
      for (int r = 0; r < rows.RowCount(); ++r) shown += rows.CellText(r, 0) + L" " + rows.CellText(r, 1) + L"|";
      return !told.empty() && shown == told;
    });
    if (!listed) Note(L"the viewer lists " + shown + L", the exchange " + told);
    Shot(L"05-directory-cities");
    if (ClickButton(viewer, IDC_DIR_CLIENTS)) {
      WaitUntil([&] { return rows.CellText(0, 1).find(L"[") != std::wstring::npos; });
      Shot(L"06-directory-services");
    }
    return Dismiss(viewer, IDOK) && listed;
  }

  bool ShowBalance() {
    HWND box = AwaitBox(Click(IDC_STATEMENT), L"KBRStatus_Ok");
    const std::wstring text = ItemText(box, kMessageTextId);
    const bool russian = text.rfind(L"ErrorString='Баланс службы Мирдатон: ", 0) == 0 &&
                         text.find(L" руб.'\nDigitalValue='") != std::wstring::npos;
    if (!russian) Note(L"the status box reads '" + text + L"'");
    return Dismiss(box, IDOK, L"07-status-box-balance") && russian;
  }

  bool CommandDialogs(std::int32_t myOrderId) {
    const std::tuple<int, const wchar_t*, const wchar_t*> dialogs[] = {
        {IDC_ADD_ORDER, L"Добавление заказа", L"08-dialog-104-add-order"},
        {IDC_NOTIFY_MODE, L"Устанвка времени информирования об изменившихся заказах", L"09-dialog-105-notify-mode"},
        {IDC_CHANGE_STATUS, L"Смена статуса заказа и цены", L"10-dialog-106-status"},
        {IDC_CAR_DESCRIPTION, L"Добавление описания машины", L"11-dialog-107-car"},
        {IDC_TARIFF, L"Запрос тарифа", L"12-dialog-109-tariff"},
        {IDC_FULL_INFO, L"Введите Id заказа", L"13-dialog-110-order-id"},
    };
    bool all = SelectRow(MyList(), MyList().FindRow(std::to_wstring(myOrderId)));
    for (const auto& [button, caption, shot] : dialogs)
      all = Dismiss(AwaitBox(Click(button), caption), IDCANCEL, shot) && all;
    return all;
  }

  // Pick-up in Москва, from 900 roubles, at most two orders waiting for a car.
  bool SetAutoAcceptRules() {
    HWND dialog = AwaitBox(Click(IDC_AUTO_ACCEPT_RULES), L"Автопринятие");
    if (dialog == nullptr) return false;
    RemoteListView cities(::GetDlgItem(dialog, IDC_AA_CITIES), process_.get());
    const int moscow = cities.FindRow(L"Москва");
    const bool filled = moscow >= 0 && cities.Tick(moscow) && ::SetDlgItemTextW(dialog, IDC_AA_MIN_PRICE, L"900") &&
                        ::SetDlgItemTextW(dialog, IDC_AA_MAX_OPEN, L"2");
    ::SendMessageW(::GetDlgItem(dialog, IDC_AA_ENABLED), BM_SETCHECK, BST_CHECKED, 0);
    return Dismiss(dialog, IDOK, L"22-dialog-auto-accept") && filled && AutoAcceptIs(BST_CHECKED);
  }

  // Five offers (city, price): two match, one more matches beyond the limit, two do not.
  bool AutoAcceptOffers() {
    const std::pair<std::int32_t, float> offers[] = {{1, 950}, {3, 950}, {1, 500}, {1, 1200}, {1, 990}};
    std::vector<std::wstring> ids;
    for (auto [city, price] : offers)
      ids.push_back(std::to_wstring(other_.Publish(SampleOrder("Пятницкая улица", price, city))));
    const auto placed = [&] {  // '+' for each offer listed in "Мои заказы", then in "Новые заказы"
      std::wstring where;
      for (RemoteListView* list : {&MyList(), &NewList()})
        for (const auto& id : ids) where += list->FindRow(id) < 0 ? L'-' : L'+';
      return where;
    };
    const bool first = WaitUntil([&] { return placed() == L"+--+--++-+"; });
    ::Sleep(1500);  // three ticks more: nothing else is taken
    const bool still = placed() == L"+--+--++-+";
    Shot(L"23-main-auto-accept-on");
    int journaled = 0;
    for (int row = 0; row < Journal().RowCount(); ++row) journaled += Journal().CellText(row, 1) == L"Автопринятие";
    // The dispatcher switches it off on the main window; the next start finds it off.
    return Parts(
        L"auto-accept: taken, still, journaled, no box, off",
        {first, still, journaled == 2, Boxes().empty(), Click(IDC_AUTO_ACCEPT) && AutoAcceptIs(BST_UNCHECKED)});
  }

  // The exchange stops and starts again with the book it saved. An order
  // published just before ends its life meanwhile: its row alone stays grey.
  bool Outage() {
    const DWORD downUntil = ::GetTickCount() + 6000;
    const std::int32_t goneId = other_.Publish(SampleOrder("Петровка", 850.5f, 1, 5));
    const int rows = NewRow(goneId) < 0 ? -1 : NewList().RowCount() + MyList().RowCount();
    if (rows < 0 || !AskRunner(L"stop-exchange")) return false;
    const bool lost = Parts(L"stopped: lost, grey", {StateLineStarts(L"Связь потеряна: "), GreyRowsAre(rows)});
    Shot(L"18-connection-lost-rows-grey");
    if (static_cast<LONG>(downUntil - ::GetTickCount()) > 0) ::Sleep(downUntil - ::GetTickCount());
    // Sorted by price, the gone order's row may stand below the visible part of the list.
    const auto showGoneRow = [&] {
      const int row = NewList().FindRow(std::to_wstring(goneId));
      return NewList().Send(LVM_ENSUREVISIBLE, row), row;
    };
    const bool back = AskRunner(L"start-exchange") &&
                      Parts(L"started: on line, one grey, rows kept",
                            {StateLineStarts(L"На связи"), WaitUntil([&] { return GreyRowsAre(1); }),
                             showGoneRow() >= 0 && NewList().RowCount() + MyList().RowCount() == rows});
    Shot(L"19-back-on-line-gone-order-grey");
    // Current beside the grey row; three, for the next desk of this run sorts by price.
    bool fresh = other_.LoggedIn();
    for (float price : {640.0f, 910.0f, 480.0f}) fresh = fresh && Listed(SampleOrder("Садовая улица", price));
    const bool stillOneGrey = GreyRowsAre(1);
    showGoneRow();
    Shot(L"20-new-order-beside-grey-row");
    const bool asked =
        SelectRow(NewList(), showGoneRow()) &&
        Dismiss(AwaitBox(Click(IDC_ACCEPT_ORDER), L"Заказ мог быть уже принят другой службой. Всё равно принять?"),
                IDNO, L"21-accept-grey-row-asks");
    return Parts(L"outage: stopped, started, new orders, still one grey, asked",
                 {lost, back, fresh, stillOneGrey, asked});
  }

  void Close() {
    NoteBoxes();
    for (HWND box : Boxes())
      if (!ClickButton(box, IDOK)) ClickButton(box, IDCANCEL);
    ::PostMessageW(main_, WM_CLOSE, 0, 0);
    Check(::WaitForSingleObject(process_.get(), 15000) == WAIT_OBJECT_0, "closing the window ends the desk in 15 s");
  }

  const Options& options_;
  const std::wstring control_;
  OtherService other_;
  HWND main_ = nullptr;
  DWORD pid_ = 0;
  std::unique_ptr<void, decltype(&::CloseHandle)> process_{nullptr, ::CloseHandle};
  std::unique_ptr<RemoteListView> lists_[3];  // new orders, my orders, journal
};

}  // namespace

int main(int argc, char** argv) {
  Options options;
  const bool parsed = options.Parse(argc, argv);
  // Each mode's first check, whether the desk logs in before the rest, and the rest.
  const char* const opens = "the desk's main window \"Мирдатон\" opens";
  const std::map<std::string, std::tuple<const char*, bool, DeskRun::Steps>> modes = {
      {"full", {opens, false, &DeskRun::Run}},
      {"again", {"the desk starts again", false, &DeskRun::RunAgain}},
      {"dpi", {"the desk starts on a 144 DPI screen", false, &DeskRun::RunAtHighDpi}},
      {"connect", {opens, false, &DeskRun::ConnectOnly}},
      {"soak", {"the desk opens and logs in", true, &DeskRun::Soak}},
      {"latency", {"the desk opens and logs in", true, &DeskRun::AcceptLatency}}};
  const auto mode = modes.find(options["--mode"]);
  if (!parsed || mode == modes.end()) {
    std::fputs(
        "usage: desk_e2e_driver --mode connect|full|again|dpi|soak|latency --port N --desk-login L --login L\n"
        "  --password P --control DIR --offers N\n",
        stderr);
    return 2;
  }
  std::setvbuf(stdout, nullptr, _IONBF, 0);  // the runner shows each line as it comes
  platform::StartSockets();
  const int result = std::apply([&](auto... how) { return DeskRun(options).Work(how...); }, mode->second);
  platform::StopSockets();
  return result;
}
