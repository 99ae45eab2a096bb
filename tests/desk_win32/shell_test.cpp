// The Win32 adapters against real controls: dialogs made from the desk's own
// resources, texts through the wide API, combo boxes, pickers, list views,
// and the desk logic running on top of them.
#include <windows.h>
// commctrl.h needs windows.h first.
#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "desk/AutoAccept.h"
#include "desk/DeskDialogs.h"
#include "desk/DeskGlobals.h"
#include "desk/DeskIds.h"
#include "desk/DeskUi.h"
#include "desk/MainWindow.h"
#include "desk/OrderList.h"
#include "desk/win32/WideText.h"
#include "desk/win32/Win32Dialog.h"
#include "desk/win32/Win32ListView.h"

namespace {

INT_PTR CALLBACK PassiveDlgProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

HWND CreateFromResources(int resourceId) {
  static const BOOL controls = [] {
    INITCOMMONCONTROLSEX wanted = {sizeof(wanted), ICC_LISTVIEW_CLASSES | ICC_DATE_CLASSES | ICC_STANDARD_CLASSES};
    return ::InitCommonControlsEx(&wanted);
  }();
  return controls ? ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resourceId), nullptr,
                                         PassiveDlgProc, 0)
                  : nullptr;
}

// A modeless instance of one of the desk's dialogs and its adapter, destroyed with the test.
struct RealDialog {
  explicit RealDialog(int resourceId) : handle(CreateFromResources(resourceId)), adapter(handle) {}
  ~RealDialog() {
    if (handle != nullptr) ::DestroyWindow(handle);
  }
  HWND Item(int id) const { return ::GetDlgItem(handle, id); }
  LONG Style(int id) const { return ::GetWindowLongW(Item(id), GWL_STYLE); }

  HWND handle;
  Win32Dialog adapter;
};

class NullUi : public DeskUi {
 public:
  int ShowMessageBox(const std::string&, const std::string&, unsigned) override { return IDOK; }
  int RunDialog(int) override { return IDCANCEL; }
  void PlayAutoAcceptSound() override {}
  void WriteDebugLog(const std::string&) override {}
  void PlayNewOrderSound() override {}
  void FlashUntilForeground() override {}
};

std::wstring Caption(HWND window) {
  wchar_t text[256] = {};
  ::GetWindowTextW(window, text, 256);
  return text;
}

std::string ClassOf(HWND window) {
  char name[64] = {};
  ::GetClassNameA(window, name, 64);
  return name;
}

TEST(WideTextTest, EveryDefinedByteOfCodePage1251SurvivesTheRoundTrip) {
  std::string all;
  for (int byte = 1; byte < 256; ++byte) {
    if (byte != 0x98) all.push_back(static_cast<char>(byte));  // 0x98 has no character in 1251
  }
  EXPECT_EQ(Text1251FromWide(WideFrom1251(all)), all);
  EXPECT_EQ(WideFrom1251("Мирдатон №1 «Ёж»"), L"Мирдатон №1 «Ёж»");
  EXPECT_EQ(Text1251FromWide(L"\u65E5\u672C"), "??");
  EXPECT_EQ(WideFrom1251(""), L"");
  EXPECT_EQ(Text1251FromWide(static_cast<const wchar_t*>(nullptr)), "");
}

TEST(DeskShellTest, MainWindowHasItsSizeAndControls) {
  RealDialog main(IDD_MAIN);
  ASSERT_NE(main.handle, nullptr);
  EXPECT_EQ(Caption(main.handle), L"Мирдатон");  // Cyrillic from the resources intact
  RECT units = {0, 0, 508, 346}, client = {};
  ::MapDialogRect(main.handle, &units);
  ::GetClientRect(main.handle, &client);
  EXPECT_EQ(std::make_pair(client.right, client.bottom), std::make_pair(units.right, units.bottom));
  EXPECT_FALSE(::IsWindowEnabled(main.Item(IDC_CONNECT)));
  EXPECT_FALSE(::IsWindowEnabled(main.Item(IDC_DISCONNECT)));
  EXPECT_EQ(main.Style(IDC_PASSWORD) & ES_PASSWORD, 0);
  for (int list : {IDC_NEW_ORDERS, IDC_MY_ORDERS}) {
    EXPECT_EQ(ClassOf(main.Item(list)), "SysListView32");
    EXPECT_EQ(main.Style(list) & (LVS_TYPEMASK | LVS_SINGLESEL), LVS_REPORT | LVS_SINGLESEL);
  }
}

// The push buttons inside the main window's command group box, top to bottom.
std::vector<int> CommandGroupButtons(HWND main) {
  RECT box = {};
  for (HWND child = ::GetWindow(main, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
    if ((::GetWindowLongW(child, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX && Caption(child) == L"Команды")
      ::GetWindowRect(child, &box);
  }
  std::vector<std::pair<LONG, int>> buttons;
  for (HWND child = ::GetWindow(main, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
    RECT rect = {};
    const LONG type = ::GetWindowLongW(child, GWL_STYLE) & BS_TYPEMASK;
    if (ClassOf(child) != "Button" || (type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON)) continue;
    if (::GetWindowRect(child, &rect) && rect.left >= box.left && rect.right <= box.right && rect.top >= box.top &&
        rect.bottom <= box.bottom) {
      buttons.emplace_back(rect.top, ::GetDlgCtrlID(child));
    }
  }
  std::sort(buttons.begin(), buttons.end());
  std::vector<int> ids;
  for (const auto& button : buttons) ids.push_back(button.second);
  return ids;
}

// A button added to the command group but not to the window's command table
// would never be enabled; one in the wrong place would break the layout.
TEST(DeskShellTest, TheCommandGroupHoldsExactlyTheCommandButtonsInTheirOrder) {
  RealDialog main(IDD_MAIN);
  std::vector<int> table;
  for (const auto& button : DeskMainWindow::CommandButtons()) table.push_back(button.controlId);
  EXPECT_EQ(CommandGroupButtons(main.handle), table);
}

TEST(DeskShellTest, TextsCrossTheWideApiIntactAndCutAtTheCallersLimit) {
  RealDialog dialog(IDD_CAR_DESCRIPTION);
  Win32Dialog& adapter = dialog.adapter;
  adapter.SetText(IDC_CAR_FULL_DESCRIPTION, "Шкода «Октавия», белая");
  EXPECT_EQ(Caption(dialog.Item(IDC_CAR_FULL_DESCRIPTION)), L"Шкода «Октавия», белая");
  EXPECT_EQ(adapter.GetText(IDC_CAR_FULL_DESCRIPTION, 999), "Шкода «Октавия», белая");
  EXPECT_EQ(adapter.GetText(IDC_CAR_FULL_DESCRIPTION, 5), "Шкода");
  EXPECT_EQ(adapter.GetText(IDC_CAR_FULL_DESCRIPTION, 0), "");
  adapter.SetText(IDC_CAR_MINUTES, "abc");
  EXPECT_EQ(adapter.GetUnsigned(IDC_CAR_MINUTES), 0u);
  adapter.SetText(IDC_CAR_MINUTES, "-15");
  EXPECT_EQ(adapter.GetSigned(IDC_CAR_MINUTES), -15);
  adapter.SetUnsigned(IDC_CAR_CALL_NUMBER, 4000000000u);
  EXPECT_EQ(adapter.GetUnsigned(IDC_CAR_CALL_NUMBER), 4000000000u);
}

TEST(DeskShellTest, SortedComboBoxPlacesEntriesByTextAndKeepsTheirData) {
  RealDialog dialog(IDD_ORDER_STATUS);
  Win32Dialog& adapter = dialog.adapter;
  EXPECT_EQ(adapter.ComboAdd(IDC_STATUS, "Машина подана", 19), 0);
  EXPECT_EQ(adapter.ComboAdd(IDC_STATUS, "Выполнен", 21), 0);  // sorted ahead of the first
  EXPECT_EQ(adapter.ComboCount(IDC_STATUS), 2);
  EXPECT_EQ(adapter.ComboSelection(IDC_STATUS), -1);
  EXPECT_EQ(adapter.ComboItemText(IDC_STATUS, 1), "Машина подана");
  EXPECT_EQ(adapter.ComboItemData(IDC_STATUS, 1), 19);
  adapter.ComboSelect(IDC_STATUS, 0);
  EXPECT_EQ(adapter.ComboSelection(IDC_STATUS), 0);
  EXPECT_EQ(adapter.GetText(IDC_STATUS, 99), "Выполнен");
  EXPECT_EQ(adapter.ComboItemText(IDC_STATUS, 7), "");
  adapter.ComboReset(IDC_STATUS);
  EXPECT_EQ(adapter.ComboCount(IDC_STATUS), 0);
}

TEST(DeskShellTest, ChecksVisibilityPickersAndFocus) {
  RealDialog dialog(IDD_ADD_ORDER);
  Win32Dialog& adapter = dialog.adapter;
  adapter.SetChecked(IDC_PRELIMINARY, true);
  EXPECT_TRUE(adapter.IsChecked(IDC_PRELIMINARY));
  adapter.SetChecked(IDC_PRELIMINARY, false);
  EXPECT_FALSE(adapter.IsChecked(IDC_PRELIMINARY));
  adapter.Show(IDC_PRELIMINARY_DATE, false);
  EXPECT_EQ(dialog.Style(IDC_PRELIMINARY_DATE) & WS_VISIBLE, 0);
  adapter.Show(IDC_PRELIMINARY_DATE, true);
  EXPECT_NE(dialog.Style(IDC_PRELIMINARY_DATE) & WS_VISIBLE, 0);
  adapter.Enable(IDC_PRICE, false);
  EXPECT_FALSE(::IsWindowEnabled(dialog.Item(IDC_PRICE)));

  const platform::LocalTime when{2031, 12, 31, 23, 59};
  adapter.SetDateTime(IDC_PRELIMINARY_DATE, when);
  adapter.SetDateTime(IDC_PRELIMINARY_TIME, when);
  const platform::LocalTime date = adapter.GetDateTime(IDC_PRELIMINARY_DATE);
  const platform::LocalTime time = adapter.GetDateTime(IDC_PRELIMINARY_TIME);
  EXPECT_EQ(std::make_tuple(date.Year, date.Month, date.Day, time.Hour, time.Minute),
            std::make_tuple(2031, 12, 31, 23, 59));

  ::ShowWindow(dialog.handle, SW_SHOW);
  adapter.SetFocus(IDC_STREET_FROM);
  if (::GetFocus() == dialog.Item(IDC_STREET_FROM)) {  // focus needs an active window
    EXPECT_EQ(adapter.FocusedControl(), IDC_STREET_FROM);
  }
  EXPECT_EQ(adapter.NextTabItem(IDC_STREET_FROM), IDC_ADDITIONAL_FROM);
}

TEST(DeskShellTest, RadioChoicesOfTheNotificationModeExcludeOneAnother) {
  RealDialog dialog(IDD_NOTIFY_MODE);
  ::ShowWindow(dialog.handle, SW_SHOW);  // hidden buttons take no part in their group
  Win32Dialog& adapter = dialog.adapter;
  adapter.SetChecked(IDC_MODE_NEWER, true);
  ::SendMessageW(dialog.Item(IDC_MODE_INTERVAL), BM_CLICK, 0, 0);
  EXPECT_TRUE(adapter.IsChecked(IDC_MODE_INTERVAL));
  EXPECT_FALSE(adapter.IsChecked(IDC_MODE_NEWER));
  ::SendMessageW(dialog.Item(IDC_MODE_ALL), BM_CLICK, 0, 0);
  EXPECT_TRUE(adapter.IsChecked(IDC_MODE_ALL));
  EXPECT_FALSE(adapter.IsChecked(IDC_MODE_INTERVAL));
}

TEST(DeskShellTest, ListViewRowsKeepDataAndCyrillicCells) {
  RealDialog main(IDD_MAIN);
  KestoListView* list = main.adapter.ListView(IDC_NEW_ORDERS);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(main.adapter.ListView(IDC_NEW_ORDERS), list);  // one adapter per control
  EXPECT_EQ(main.adapter.ListView(IDC_CONNECT), nullptr);  // a button is no list
  EXPECT_EQ(main.adapter.ListView(4242), nullptr);

  SetColumn(*list);
  EXPECT_EQ(::SendMessageW(main.Item(IDC_NEW_ORDERS), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0), kOrderListStyles);
  HWND header = reinterpret_cast<HWND>(::SendMessageW(main.Item(IDC_NEW_ORDERS), LVM_GETHEADER, 0, 0));
  EXPECT_EQ(::SendMessageW(header, HDM_GETITEMCOUNT, 0, 0), kOrderColumnCount);

  EXPECT_EQ(list->InsertItemWithData(kAppendRowIndex, "new", 501), 0);
  EXPECT_EQ(list->InsertItemWithData(kAppendRowIndex, "new", 502), 1);
  list->SetItemText(1, 2, "Тверская улица");
  std::intptr_t data = 0;
  ASSERT_TRUE(list->GetItemData(1, data));
  EXPECT_EQ(data, 502);
  EXPECT_FALSE(list->GetItemData(2, data));
  EXPECT_EQ(list->GetItemText(1, 2, 99), "Тверская улица");
  EXPECT_EQ(list->GetItemText(1, 2, 8), "Тверская");
  EXPECT_EQ(list->GetSelectionMark(), -1);
  EXPECT_TRUE(list->DeleteItem(0));
  EXPECT_EQ(list->ItemCount(), 1);
  list->DeleteAllItems();
  EXPECT_EQ(list->ItemCount(), 0);
}

TEST(DeskShellTest, NewOrderDialogLogicStartsOnTheRealControls) {
  RealDialog dialog(IDD_ADD_ORDER);
  NullUi ui;
  std::unique_ptr<DeskDialogLogic> logic = CreateDeskDialog(IDD_ADD_ORDER, ui);
  ASSERT_NE(logic, nullptr);
  EXPECT_TRUE(logic->Start(dialog.adapter));
  // What the logic chose shows in the real drop-down list and edit.
  EXPECT_EQ(Caption(dialog.Item(IDC_TARIFF_MODE)), L"Фикс. тариф");
  EXPECT_EQ(dialog.adapter.ComboCount(IDC_TARIFF_MODE), 3);
  EXPECT_EQ(Caption(dialog.Item(IDC_TIME_TO_LIVE)), L"0");
  EXPECT_EQ(dialog.Style(IDC_PRELIMINARY_TIME) & WS_VISIBLE, 0);
}

TEST(DeskShellTest, AutoAcceptCheckListsKeepTheirChecksOnTheRealControls) {
  DeskAutoAccept.Reset();  // no settings file: nothing is stored
  AutoAcceptRules rules;
  rules.Cities = {5};
  DeskAutoAccept.SetRules(rules);
  RealDialog dialog(IDD_AUTO_ACCEPT);
  NullUi ui;
  AutoAcceptDialog logic(ui);
  EXPECT_TRUE(logic.Start(dialog.adapter));
  KestoListView* cities = dialog.adapter.ListView(IDC_AA_CITIES);
  ASSERT_NE(cities, nullptr);
  ASSERT_EQ(cities->ItemCount(), 1);
  EXPECT_EQ(cities->GetItemText(0, 0, 99), "№5 (нет в справочнике)");
  EXPECT_TRUE(cities->IsItemChecked(0));
  cities->SetItemChecked(0, false);
  EXPECT_FALSE(cities->IsItemChecked(0));
  EXPECT_TRUE(dialog.adapter.IsChecked(IDC_AA_ANY));
  DeskAutoAccept.Reset();
}

}  // namespace
