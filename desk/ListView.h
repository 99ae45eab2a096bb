// A report-view list as the desk logic sees it: columns, rows carrying a
// number as item data, cell texts, check boxes and the selection mark. The Windows shell
// implements it over a list view control; tests use a fake.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class KestoListView {
 public:
  virtual ~KestoListView() = default;

  // LVM_SETEXTENDEDLISTVIEWSTYLE with mask 0.
  virtual void SetExtendedStyle(std::uint32_t styles) = 0;
  virtual void InsertColumn(int column, const std::string& caption, int width) = 0;

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
  // The check box of a row, in a list with LVS_EX_CHECKBOXES.
  virtual void SetItemChecked(int index, bool checked) = 0;
  virtual bool IsItemChecked(int index) = 0;
};
