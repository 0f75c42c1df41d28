#pragma once
// TResultPane: the rows and columns of the result pane. The rows are the
// selected node's child scope items (first, in tree order) followed by the
// result items the snap-in inserted. Row numbers (nIndex) count both kinds;
// result item handles are never reused. Column 0 of a result item is its
// inserted text or a callback; the other columns are always asked for.
// Rows are found by number or by handle at a constant cost, so that a pane
// of n rows is filled, listed and walked in O(n).

#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/mmc/MmcStructures.h"

struct TResultRow {
  bool scope = false;
  intptr_t id = 0;  // HSCOPEITEM of a scope row, HRESULTITEM of a result item
  LPARAM lParam = 0;
  bool callbackText = true;
  std::u16string text;
  int image = 0;
  UINT state = 0;  // LVIS_*
};

struct TColumn {
  std::u16string title;
  int format = LVCFMT_LEFT;
  int width = AUTO_WIDTH;
};

class TResultPane {
 public:
  // The scope rows of the selected node; rows still listed keep their state.
  void SetScopeRows(std::vector<TResultRow> rows);
  // Drops every row and column.
  void Clear();

  int Count() const { return int(scopeRows_.size() + items_.size()); }
  TResultRow* At(int index);
  TResultRow* FindItem(HRESULTITEM id);
  int IndexOf(const TResultRow& row) const;

  // IResultData over the result items (scope rows are the console's own).
  HRESULT Insert(RESULTDATAITEM& item);
  HRESULT Delete(HRESULTITEM id);
  void DeleteAllItems();
  HRESULT FindByLParam(LPARAM lParam, HRESULTITEM& id) const;
  HRESULT Set(const RESULTDATAITEM& item);
  // By itemID when it is not 0, else by nIndex.
  HRESULT Get(RESULTDATAITEM& item);
  // The next row after item.nIndex (-1: from the start) whose state holds
  // every bit of item.nState: nIndex, bScopeItem, itemID and lParam are
  // filled in and nState is left as asked, so the same record walks on.
  // None: nIndex -1 and E_FAIL, so that walkers looping until the call fails
  // end there.
  HRESULT GetNext(RESULTDATAITEM& item);
  HRESULT ModifyState(int index, HRESULTITEM id, UINT add, UINT remove);

  // Orders the result items by `compare` (negative, 0, positive), stably. A
  // comparison that is not a consistent order gives some order, never harm.
  void SortItems(const std::function<int(const TResultRow&, const TResultRow&)>& compare);

  std::vector<TColumn>& Columns() { return columns_; }
  HRESULT InsertColumn(int column, TColumn value);
  HRESULT DeleteColumn(int column);
  TColumn* Column(int column);

 private:
  TResultRow* Locate(HRESULTITEM id, int index);
  // Rebuilds the positions of the result items from `first` on.
  void IndexItems(size_t first = 0);

  std::vector<TResultRow> scopeRows_;
  std::vector<TResultRow> items_;
  std::unordered_map<HRESULTITEM, size_t> positions_;  // handle -> index in items_
  std::vector<TColumn> columns_;
  HRESULTITEM nextId_ = 0x10000;
};
