#include "console/host/ResultPane.h"

#include <algorithm>
#include <cstddef>
#include <functional>

void TResultPane::SetScopeRows(std::vector<TResultRow> rows) {
  std::unordered_map<intptr_t, UINT> states;
  for (const TResultRow& old : scopeRows_) states.emplace(old.id, old.state);
  for (TResultRow& row : rows) {
    if (auto it = states.find(row.id); it != states.end()) row.state = it->second;
  }
  scopeRows_ = std::move(rows);
}

void TResultPane::Clear() {
  scopeRows_.clear();
  DeleteAllItems();
  columns_.clear();
}

void TResultPane::DeleteAllItems() {
  items_.clear();
  positions_.clear();
}

void TResultPane::IndexItems(size_t first) {
  for (size_t i = first; i < items_.size(); ++i) positions_[items_[i].id] = i;
}

TResultRow* TResultPane::At(int index) {
  if (index < 0 || index >= Count()) return nullptr;
  const size_t i = size_t(index);
  return i < scopeRows_.size() ? &scopeRows_[i] : &items_[i - scopeRows_.size()];
}

TResultRow* TResultPane::FindItem(HRESULTITEM id) {
  auto it = positions_.find(id);
  return it == positions_.end() ? nullptr : &items_[it->second];
}

int TResultPane::IndexOf(const TResultRow& row) const {
  // Rows live in the two vectors, so a row's place follows from its address.
  const auto within = [&row](const std::vector<TResultRow>& rows) -> std::ptrdiff_t {
    const std::less<const TResultRow*> before;
    if (before(&row, rows.data()) || !before(&row, rows.data() + rows.size())) return -1;
    return &row - rows.data();
  };
  if (const std::ptrdiff_t i = within(scopeRows_); i >= 0) return int(i);
  if (const std::ptrdiff_t i = within(items_); i >= 0) return int(scopeRows_.size()) + int(i);
  return -1;
}

HRESULT TResultPane::Insert(RESULTDATAITEM& item) {
  if (item.bScopeItem) return E_INVALIDARG;
  TResultRow row;
  if (item.mask & RDI_STR) {
    if (item.str == nullptr) return E_INVALIDARG;
    row.callbackText = item.str == MMC_CALLBACK;
    if (!row.callbackText) row.text = item.str;
  }
  if (item.mask & RDI_IMAGE) row.image = item.nImage;
  if (item.mask & RDI_PARAM) row.lParam = item.lParam;
  if (item.mask & RDI_STATE) row.state = item.nState;
  row.id = nextId_++;
  item.itemID = row.id;
  positions_.emplace(row.id, items_.size());
  items_.push_back(std::move(row));
  return S_OK;
}

HRESULT TResultPane::Delete(HRESULTITEM id) {
  auto it = positions_.find(id);
  if (it == positions_.end()) return E_INVALIDARG;
  const size_t at = it->second;
  positions_.erase(it);
  items_.erase(items_.begin() + std::ptrdiff_t(at));
  IndexItems(at);
  return S_OK;
}

HRESULT TResultPane::FindByLParam(LPARAM lParam, HRESULTITEM& id) const {
  for (const TResultRow& row : items_) {
    if (row.lParam == lParam) {
      id = row.id;
      return S_OK;
    }
  }
  id = 0;
  return E_FAIL;
}

TResultRow* TResultPane::Locate(HRESULTITEM id, int index) {
  return id != 0 ? FindItem(id) : At(index);
}

HRESULT TResultPane::Set(const RESULTDATAITEM& item) {
  if (item.bScopeItem) return E_INVALIDARG;
  TResultRow* row = Locate(item.itemID, item.nIndex);
  if (row == nullptr || row->scope) return E_INVALIDARG;
  if (item.mask & RDI_STR) {
    if (item.str == nullptr) return E_INVALIDARG;
    row->callbackText = item.str == MMC_CALLBACK;
    row->text = row->callbackText ? u"" : item.str;
  }
  if (item.mask & RDI_IMAGE) row->image = item.nImage;
  if (item.mask & RDI_PARAM) row->lParam = item.lParam;
  if (item.mask & RDI_STATE) row->state = item.nState;
  return S_OK;
}

HRESULT TResultPane::Get(RESULTDATAITEM& item) {
  TResultRow* row = Locate(item.itemID, item.nIndex);
  if (row == nullptr) return E_INVALIDARG;
  if (item.mask & RDI_STR) item.str = row->callbackText ? MMC_CALLBACK : row->text.data();
  if (item.mask & RDI_IMAGE) item.nImage = row->image;
  if (item.mask & RDI_PARAM) item.lParam = row->lParam;
  if (item.mask & RDI_STATE) item.nState = row->state;
  if (item.mask & RDI_INDEX) item.nIndex = IndexOf(*row);
  item.bScopeItem = row->scope;
  item.itemID = row->id;
  return S_OK;
}

HRESULT TResultPane::GetNext(RESULTDATAITEM& item) {
  const int start = item.nIndex < -1 ? -1 : item.nIndex;
  for (int i = start + 1; i < Count(); ++i) {
    TResultRow& row = *At(i);
    if ((row.state & item.nState) != item.nState) continue;
    item.nIndex = i;
    item.bScopeItem = row.scope;
    item.itemID = row.id;
    item.lParam = row.lParam;
    return S_OK;
  }
  item.nIndex = -1;
  return E_FAIL;
}

HRESULT TResultPane::ModifyState(int index, HRESULTITEM id, UINT add, UINT remove) {
  TResultRow* row = id != 0 ? FindItem(id) : At(index);
  if (row == nullptr) return E_INVALIDARG;
  row->state = (row->state | add) & ~remove;
  return S_OK;
}

void TResultPane::SortItems(
    const std::function<int(const TResultRow&, const TResultRow&)>& compare) {
  // A bottom-up merge sort: each step only compares the heads of two runs
  // whose bounds it checks itself, so an inconsistent comparison cannot lead
  // it astray the way the library sorts' unguarded loops can.
  std::vector<TResultRow> buffer(items_.size());
  for (size_t width = 1; width < items_.size(); width *= 2) {
    for (size_t lo = 0; lo < items_.size(); lo += 2 * width) {
      const size_t mid = std::min(lo + width, items_.size());
      const size_t hi = std::min(lo + 2 * width, items_.size());
      size_t a = lo, b = mid, out = lo;
      while (a < mid && b < hi) {
        buffer[out++] = std::move(compare(items_[b], items_[a]) < 0 ? items_[b++] : items_[a++]);
      }
      while (a < mid) buffer[out++] = std::move(items_[a++]);
      while (b < hi) buffer[out++] = std::move(items_[b++]);
    }
    items_.swap(buffer);
  }
  IndexItems();
}

HRESULT TResultPane::InsertColumn(int column, TColumn value) {
  if (column < 0 || column > int(columns_.size())) return E_INVALIDARG;
  columns_.insert(columns_.begin() + column, std::move(value));
  return S_OK;
}

HRESULT TResultPane::DeleteColumn(int column) {
  if (Column(column) == nullptr) return E_INVALIDARG;
  columns_.erase(columns_.begin() + column);
  return S_OK;
}

TColumn* TResultPane::Column(int column) {
  if (column < 0 || column >= int(columns_.size())) return nullptr;
  return &columns_[size_t(column)];
}
