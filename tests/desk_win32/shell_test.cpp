// The Win32 adapters against real controls: dialogs made from the desk's own resources, texts through the wide API,
// combo boxes, pickers, list views, and the desk logic running on top of them.
#include <windows.h>
// commctrl.h needs windows.h first.
#include <commctrl.h>
#include <gtest/gtest.h>

#include "desk/DeskFakes.h"
#include "desk/MainWindow.h"
#include "desk/win32/WideText.h"
#include "desk/win32/Win32Dialog.h"

namespace {

INT_PTR CALLBACK PassiveDlgProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

// A modeless instance of one of the desk's dialogs, shown by the test (hidden radio buttons take no part in their
// group, focus needs a shown window), and its adapter, destroyed with the test.
struct RealDialog {
  explicit RealDialog(int id)
      : handle(::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), nullptr, PassiveDlgProc, 0)),
        adapter(handle) {}
  ~RealDialog() { ::DestroyWindow(handle); }
  HWND Item(int id) const { return ::GetDlgItem(handle, id); }
  LONG Style(int id) const { return ::GetWindowLongW(Item(id), GWL_STYLE); }
  bool Visible(int id) const { return (Style(id) & WS_VISIBLE) != 0; }
  void Click(int id) const { ::SendMessageW(Item(id), BM_CLICK, 0, 0); }
  // What the controls show, each part followed by '|'; `<<` reads them left to right.
  template <typename T>
  RealDialog& operator<<(const T& part) {
    seen << part << '|';
    return *this;
  }

  HWND handle;
  Win32Dialog adapter;
  std::ostringstream seen;
};

// A window's text in code page 1251, as the desk's own literals are.
std::string Caption(HWND window) {
  std::wstring text(::GetWindowTextLengthW(window) + 1, L'\0');
  ::GetWindowTextW(window, &text[0], static_cast<int>(text.size()));
  return Text1251FromWide(text.c_str());
}

// Whether the push buttons inside the main window's command group box are, top to bottom, its table of commands.
bool CommandGroupIsTable(HWND main) {
  RECT box = {}, rect = {};
  ::GetWindowRect(::FindWindowExW(main, nullptr, L"Button", L"Команды"), &box);
  std::map<LONG, int> byTop;
  for (HWND child = nullptr; (child = ::FindWindowExW(main, child, L"Button", nullptr)) != nullptr;) {
    const LONG type = ::GetWindowLongW(child, GWL_STYLE) & BS_TYPEMASK;
    if ((type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) && ::GetWindowRect(child, &rect) && rect.left >= box.left &&
        rect.right <= box.right && rect.top >= box.top && rect.bottom <= box.bottom)
      byTop[rect.top] = ::GetDlgCtrlID(child);
  }
  const auto& table = DeskMainWindow::CommandButtons();
  return std::equal(byTop.begin(), byTop.end(), table.begin(), table.end(),
                    [](const auto& shown, const auto& button) { return shown.second == button.controlId; });
}

TEST(WideTextTest, EveryDefinedByteOfCodePage1251SurvivesTheRoundTrip) {
  std::string all;
  for (int byte = 1; byte < 256; ++byte)
    if (byte != 0x98) all.push_back(static_cast<char>(byte));  // 0x98 has no character in 1251
  EXPECT_EQ(Text1251FromWide(WideFrom1251(all)), all);
  EXPECT_EQ(WideFrom1251("Мирдатон №1 «Ёж»") + WideFrom1251(""), L"Мирдатон №1 «Ёж»");
  EXPECT_EQ(Text1251FromWide(L"\u65E5\u672C") + Text1251FromWide(static_cast<const wchar_t*>(nullptr)), "??");
}

// Each case works one of the desk's dialogs through its adapter (or the desk logic on top) and reads back what the
// real controls show, as one string.
TEST(DeskShellTest, AdaptersDriveTheRealControlsOfTheDesksDialogs) {
  const struct {
    const char* name;
    int dialog;
    std::string expected;
    std::function<void(RealDialog&, Win32Dialog&)> act;
  } cases[] = {
      {"the main window keeps its size, Cyrillic caption and controls", IDD_MAIN, "Мирдатон|1|0|0|0|1|1|1|1|1|",
       [](RealDialog& d, Win32Dialog& a) {
         RECT units = {0, 0, 508, 346}, client = {};
         ::MapDialogRect(d.handle, &units);
         ::GetClientRect(d.handle, &client);
         d << Caption(d.handle) << (client.right == units.right && client.bottom == units.bottom)
           << ::IsWindowEnabled(d.Item(IDC_CONNECT)) << ::IsWindowEnabled(d.Item(IDC_DISCONNECT))
           << (d.Style(IDC_PASSWORD) & ES_PASSWORD)
           // A command button missing from the window's table would never be enabled.
           << CommandGroupIsTable(d.handle);
         for (int list : {IDC_NEW_ORDERS, IDC_MY_ORDERS})
           d << (a.ListView(list) != nullptr)
             << ((d.Style(list) & (LVS_TYPEMASK | LVS_SINGLESEL)) == (LVS_REPORT | LVS_SINGLESEL));
       }},
      {"texts cross the wide API intact, cut at the caller's limit; numbers", IDD_CAR_DESCRIPTION,
       "Шкода «Октавия», белая|Шкода «Октавия», белая|Шкода||0|-15|4000000000|",
       [](RealDialog& d, Win32Dialog& a) {
         a.SetText(IDC_CAR_FULL_DESCRIPTION, "Шкода «Октавия», белая");
         a.SetText(IDC_CAR_GOV_NUMBER, "abc");
         a.SetText(IDC_CAR_MINUTES, "-15");
         a.SetUnsigned(IDC_CAR_CALL_NUMBER, 4000000000u);
         d << Caption(d.Item(IDC_CAR_FULL_DESCRIPTION)) << a.GetText(IDC_CAR_FULL_DESCRIPTION, 999)
           << a.GetText(IDC_CAR_FULL_DESCRIPTION, 5) << a.GetText(IDC_CAR_FULL_DESCRIPTION, 0)
           << a.GetUnsigned(IDC_CAR_GOV_NUMBER) << a.GetSigned(IDC_CAR_MINUTES) << a.GetUnsigned(IDC_CAR_CALL_NUMBER);
       }},
      {"a sorted combo box places entries by text and keeps their data", IDD_ORDER_STATUS,
       "0|0|2|-1|Машина подана|19|0|Выполнен||0|",
       [](RealDialog& d, Win32Dialog& a) {
         d << a.ComboAdd(IDC_STATUS, "Машина подана", 19) << a.ComboAdd(IDC_STATUS, "Выполнен", 21)
           << a.ComboCount(IDC_STATUS) << a.ComboSelection(IDC_STATUS);
         a.ComboSelect(IDC_STATUS, 0);
         d << a.ComboItemText(IDC_STATUS, 1) << a.ComboItemData(IDC_STATUS, 1) << a.ComboSelection(IDC_STATUS)
           << a.GetText(IDC_STATUS, 99) << a.ComboItemText(IDC_STATUS, 7);
         a.ComboReset(IDC_STATUS);
         d << a.ComboCount(IDC_STATUS);
       }},
      {"checks, visibility, enabling, date and time pickers, focus and tab order", IDD_ADD_ORDER,
       "1|0|0|1|0|2031|12|31|23|59|1|1|",
       [](RealDialog& d, Win32Dialog& a) {
         a.SetChecked(IDC_PRELIMINARY, true);
         d << a.IsChecked(IDC_PRELIMINARY);
         a.SetChecked(IDC_PRELIMINARY, false);
         a.Show(IDC_PRELIMINARY_DATE, false);
         d << a.IsChecked(IDC_PRELIMINARY) << d.Visible(IDC_PRELIMINARY_DATE);
         a.Show(IDC_PRELIMINARY_DATE, true);
         a.Enable(IDC_PRICE, false);
         const platform::LocalTime when{2031, 12, 31, 23, 59};
         a.SetDateTime(IDC_PRELIMINARY_DATE, when);
         a.SetDateTime(IDC_PRELIMINARY_TIME, when);
         const platform::LocalTime date = a.GetDateTime(IDC_PRELIMINARY_DATE),
                                   time = a.GetDateTime(IDC_PRELIMINARY_TIME);
         a.SetFocus(IDC_STREET_FROM);
         // Focus needs an active window, which a test run may not have.
         d << d.Visible(IDC_PRELIMINARY_DATE) << ::IsWindowEnabled(d.Item(IDC_PRICE)) << date.Year << date.Month
           << date.Day << time.Hour << time.Minute
           << (::GetFocus() != d.Item(IDC_STREET_FROM) || a.FocusedControl() == IDC_STREET_FROM)
           << (a.NextTabItem(IDC_STREET_FROM) == IDC_ADDITIONAL_FROM);
       }},
      {"the notification mode's radio choices exclude one another", IDD_NOTIFY_MODE, "1|0|1|0|",
       [](RealDialog& d, Win32Dialog& a) {
         a.SetChecked(IDC_MODE_NEWER, true);
         d.Click(IDC_MODE_INTERVAL);
         d << a.IsChecked(IDC_MODE_INTERVAL) << a.IsChecked(IDC_MODE_NEWER);
         d.Click(IDC_MODE_ALL);
         d << a.IsChecked(IDC_MODE_ALL) << a.IsChecked(IDC_MODE_INTERVAL);
       }},
      {"list view rows keep their data and Cyrillic cells", IDD_MAIN,
       "1|1|1|0|0|0|1|1|502|0|Тверская улица|Тверская|-1|1|1|0|",
       [](RealDialog& d, Win32Dialog& a) {
         KestoListView* list = a.ListView(IDC_NEW_ORDERS);
         d << (list != nullptr && a.ListView(IDC_NEW_ORDERS) == list) << (a.ListView(IDC_CONNECT) == nullptr)
           << (a.ListView(4242) == nullptr);
         if (list == nullptr) return;
         SetColumn(*list);
         HWND header = reinterpret_cast<HWND>(::SendMessageW(d.Item(IDC_NEW_ORDERS), LVM_GETHEADER, 0, 0));
         std::intptr_t data = 0;
         d << ::SendMessageW(d.Item(IDC_NEW_ORDERS), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) - kOrderListStyles
           << ::SendMessageW(header, HDM_GETITEMCOUNT, 0, 0) - kOrderColumnCount
           << list->InsertItemWithData(kAppendRowIndex, "new", 501)
           << list->InsertItemWithData(kAppendRowIndex, "new", 502);
         list->SetItemText(1, 2, "Тверская улица");
         d << list->GetItemData(1, data) << data << list->GetItemData(2, data) << list->GetItemText(1, 2, 99)
           << list->GetItemText(1, 2, 8) << list->GetSelectionMark() << list->DeleteItem(0) << list->ItemCount();
         list->DeleteAllItems();
         d << list->ItemCount();
       }},
      {"the new order dialog's logic starts on the real drop-down list and edits", IDD_ADD_ORDER,
       "1|Фикс. тариф|3|0|0|",
       [](RealDialog& d, Win32Dialog& a) {
         FakeUi ui;
         d << CreateDeskDialog(IDD_ADD_ORDER, ui)->Start(a) << Caption(d.Item(IDC_TARIFF_MODE))
           << a.ComboCount(IDC_TARIFF_MODE) << Caption(d.Item(IDC_TIME_TO_LIVE)) << d.Visible(IDC_PRELIMINARY_TIME);
       }},
      {"auto-accept's city check list keeps its checks", IDD_AUTO_ACCEPT, "1|1|№5 (нет в справочнике)|1|1|0|",
       [](RealDialog& d, Win32Dialog& a) {
         DeskAutoAccept.Reset();  // no settings file: nothing is stored
         AutoAcceptRules rules;
         rules.Cities = {5};
         DeskAutoAccept.SetRules(rules);
         FakeUi ui;
         d << AutoAcceptDialog(ui).Start(a);
         DeskAutoAccept.Reset();
         KestoListView* cities = a.ListView(IDC_AA_CITIES);
         if (cities == nullptr) return;
         d << cities->ItemCount() << cities->GetItemText(0, 0, 99) << cities->IsItemChecked(0)
           << a.IsChecked(IDC_AA_ANY);
         cities->SetItemChecked(0, false);
         d << cities->IsItemChecked(0);
       }},
  };
  INITCOMMONCONTROLSEX wanted = {sizeof(wanted), ICC_LISTVIEW_CLASSES | ICC_DATE_CLASSES | ICC_STANDARD_CLASSES};
  ASSERT_TRUE(::InitCommonControlsEx(&wanted));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    RealDialog dialog(c.dialog);
    ASSERT_NE(dialog.handle, nullptr);
    ::ShowWindow(dialog.handle, SW_SHOW);
    c.act(dialog, dialog.adapter);
    EXPECT_EQ(dialog.seen.str(), c.expected);
  }
}

}  // namespace
