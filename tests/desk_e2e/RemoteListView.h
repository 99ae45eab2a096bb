// Reads and clicks a list view that lives in another process: the texts are
// fetched through a buffer allocated in that process.
#pragma once

#include <windows.h>

#include <string>

class RemoteListView {
 public:
  // `list` belongs to `process`, opened with VM operation, read and write rights.
  RemoteListView(HWND list, HANDLE process);
  ~RemoteListView();
  RemoteListView(const RemoteListView&) = delete;
  RemoteListView& operator=(const RemoteListView&) = delete;

  bool IsUsable() const { return remote_ != nullptr; }
  int RowCount() const;
  std::wstring CellText(int row, int column) const;
  // The first row whose cell `column` reads `text`, or -1.
  int FindRow(int column, const std::wstring& text) const;
  // Clicks the row as a mouse would (button down and up over it); twice for a double-click.
  bool ClickRow(int row, bool twice = false) const;
  // Clicks the header of `column`.
  bool ClickHeader(int column) const;
  // The header's sort arrow on `column`: 1 up, -1 down, 0 none.
  int SortArrow(int column) const;
  int ColumnWidth(int column) const;
  int SelectionMark() const;
  // Ticks or clears the row's check box (a list with LVS_EX_CHECKBOXES).
  bool SetChecked(int row, bool checked) const;

 private:
  // The rectangle an item message fills in the list's process, read back.
  bool RemoteRect(HWND window, UINT message, WPARAM index, LONG left, RECT& rect) const;
  HWND Header() const;

  HWND list_;
  HANDLE process_;
  void* remote_ = nullptr;
};
