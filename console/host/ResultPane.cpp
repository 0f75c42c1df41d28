#include "console/host/ResultPane.h"

#include <algorithm>

void TResultPane::SetScopeRows(std::vector<TResultRow> rows) {
  for (TResultRow& row : rows) {
    for (const TResultRow& old : scopeRows_) {
      if (old.id == row.id) row.state = old.state;
    }
  }
  scopeRows_ = std::move(rows);
}

void TResultPane::Clear() {
  scopeRows_.clear();
  items_.clear();
  columns_.clear();
}

TResultRow* TResultPane::At(int index) {
  if (index < 0 || index >= Count()) return nullptr;
  const size_t i = size_t(index);
  return i < scopeRows_.size() ? &scopeRows_[i] : &items_[i - scopeRows_.size()];
}

TResultRow* TResultPane::FindItem(HRESULTITEM id) {
  auto it = std::find_if(items_.begin(), items_.end(), [&](auto& r) { return r.id == id; });
  return it == items_.end() ? nullptr : &*it;
}

int TResultPane::IndexOf(const TResultRow& row) const {
  for (size_t i = 0; i < scopeRows_.size(); ++i) {
    if (&scopeRows_[i] == &row) return int(i);
  }
  for (size_t i = 0; i < items_.size(); ++i) {
    if (&items_[i] == &row) return int(scopeRows_.size() + i);
  }
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
  items_.push_back(std::move(row));
  return S_OK;
}

HRESULT TResultPane::Delete(HRESULTITEM id) {
  auto it = std::find_if(items_.begin(), items_.end(), [&](auto& r) { return r.id == id; });
  if (it == items_.end()) return E_INVALIDARG;
  items_.erase(it);
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
