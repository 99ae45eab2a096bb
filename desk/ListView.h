// A report-view list as the desk logic sees it: columns, rows carrying a
// number as item data, cell texts, check boxes and the selection mark. The Windows shell
// implements it over a list view control; tests use a fake.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class KestoListView {
 public:
  virtual ~KestoListView() = default;

  // LVM_SETEXTENDEDLISTVIEWSTYLE with mask 0.
  virtual void SetExtendedStyle(std::uint32_t styles) = 0;
  // Widths are in pixels of a 96 DPI screen; the control scales them to its own.
  virtual void InsertColumn(int column, const std::string& caption, int width) = 0;
  virtual int ColumnWidth(int column) = 0;
  virtual void SetColumnWidth(int column, int width) = 0;
  // The columns' display order, left to right (the operator drags headers).
  virtual std::vector<int> ColumnOrder() = 0;
  virtual void SetColumnOrder(const std::vector<int>& order) = 0;
  // The header's sort arrow on `column`: 1 up, -1 down, 0 none.
  virtual void SetSortArrow(int column, int direction) = 0;
  // Reorders the rows; `less` compares two rows by their item data.
  virtual void SortItems(const std::function<bool(std::intptr_t, std::intptr_t)>& less) = 0;

  virtual int ItemCount() = 0;
  // False when there is no row at `index`.
  virtual bool GetItemData(int index, std::intptr_t& data) = 0;
  // Insert a row with its first cell's text (and item data); an index past
  // the end appends. Returns the row's index, or -1.
  virtual int InsertItem(int index, const std::string& text) = 0;
  virtual int InsertItemWithData(int index, const std::string& text, std::intptr_t data) = 0;
  virtual void SetItemText(int index, int column, const std::string& text) = 0;
  // The cell's text, at most `maxChars` characters.
  virtual std::string GetItemText(int index, int column, std::size_t maxChars) = 0;
  virtual bool DeleteItem(int index) = 0;
  virtual void DeleteAllItems() = 0;
  // LVM_GETSELECTIONMARK: the selected row, or -1.
  virtual int GetSelectionMark() = 0;
  // Draws every row again (their colours changed without their texts).
  virtual void Redraw() = 0;
  // The check box of a row, in a list with LVS_EX_CHECKBOXES.
  virtual void SetItemChecked(int index, bool checked) = 0;
  virtual bool IsItemChecked(int index) = 0;
};
