// The desk's list interface over a Win32 list view control, texts in UTF-16.
#pragma once

#include <windows.h>

#include "desk/ListView.h"

class Win32ListView : public KestoListView {
 public:
  explicit Win32ListView(HWND list) : list_(list) {}

  void SetExtendedStyle(std::uint32_t styles) override;
  void InsertColumn(int column, const std::string& caption, int width) override;
  int ColumnWidth(int column) override;
  void SetColumnWidth(int column, int width) override;
  std::vector<int> ColumnOrder() override;
  void SetColumnOrder(const std::vector<int>& order) override;
  void SetSortArrow(int column, int direction) override;
  void SortItems(const std::function<bool(std::intptr_t, std::intptr_t)>& less) override;
  int ItemCount() override;
  bool GetItemData(int index, std::intptr_t& data) override;
  int InsertItem(int index, const std::string& text) override;
  int InsertItemWithData(int index, const std::string& text, std::intptr_t data) override;
  void SetItemText(int index, int column, const std::string& text) override;
  std::string GetItemText(int index, int column, std::size_t maxChars) override;
  bool DeleteItem(int index) override;
  void DeleteAllItems() override;
  int GetSelectionMark() override;
  void Redraw() override;
  void SetItemChecked(int index, bool checked) override;
  bool IsItemChecked(int index) override;

 private:
  int Insert(UINT mask, int index, const std::string& text, std::intptr_t data);
  HWND list_;
};
