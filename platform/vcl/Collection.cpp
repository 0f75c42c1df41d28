#include "platform/vcl/Collection.h"

#include <algorithm>

TPersistent* TCollectionItem::GetOwner() const { return collection_; }

std::string TCollectionItem::GetNamePath() const {
  if (collection_ == nullptr) return TPersistent::GetNamePath();
  return collection_->GetNamePath() + "[" + std::to_string(Index()) + "]";
}

int TCollectionItem::Index() const {
  if (collection_ == nullptr) return -1;
  const auto& items = collection_->items_;
  for (size_t i = 0; i < items.size(); ++i) {
    if (items[i].get() == this) return static_cast<int>(i);
  }
  return -1;
}

void TCollectionItem::SetIndex(int index) {
  if (collection_ != nullptr) collection_->MoveItem(Index(), index);
}

void TCollectionItem::Changed(bool allItems) {
  if (collection_ != nullptr) collection_->Changed(allItems ? nullptr : this);
}

TCollection::TCollection(TPersistent* owner, ItemFactory factory)
    : owner_(owner), factory_(std::move(factory)) {}

TCollection::~TCollection() = default;

void TCollection::Assign(const TPersistent& source) {
  const auto* other = dynamic_cast<const TCollection*>(&source);
  if (other == nullptr) {
    TPersistent::Assign(source);
    return;
  }
  if (other == this) return;
  BeginUpdate();
  try {
    Clear();
    for (const auto& item : other->items_) Add().Assign(*item);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

TCollectionItem& TCollection::Items(int index) const {
  if (index < 0 || index >= Count()) ListIndexError(index);
  return *items_[static_cast<size_t>(index)];
}

TCollectionItem& TCollection::Add() { return Insert(Count()); }

TCollectionItem& TCollection::Insert(int index) { return InsertItem(index, factory_()); }

TCollectionItem& TCollection::AddItem(std::unique_ptr<TCollectionItem> item) {
  return InsertItem(Count(), std::move(item));
}

TCollectionItem& TCollection::InsertItem(int index, std::unique_ptr<TCollectionItem> item) {
  if (index < 0 || index > Count()) ListIndexError(index);
  item->collection_ = this;
  item->id_ = nextId_++;
  TCollectionItem& added = *item;
  items_.insert(items_.begin() + index, std::move(item));
  Changed();
  return added;
}

void TCollection::Delete(int index) {
  if (index < 0 || index >= Count()) ListIndexError(index);
  items_.erase(items_.begin() + index);
  Changed();
}

void TCollection::Clear() {
  if (items_.empty()) return;
  items_.clear();
  Changed();
}

void TCollection::MoveItem(int from, int to) {
  if (to < 0 || to >= Count()) ListIndexError(to);
  if (from == to) return;
  auto first = items_.begin();
  if (from < to) {
    std::rotate(first + from, first + from + 1, first + to + 1);
  } else {
    std::rotate(first + to, first + from, first + from + 1);
  }
  Changed();
}

TCollectionItem* TCollection::FindItemID(int id) const {
  for (const auto& item : items_) {
    if (item->id_ == id) return item.get();
  }
  return nullptr;
}

void TCollection::BeginUpdate() { ++updateCount_; }

void TCollection::EndUpdate() {
  if (updateCount_ > 0 && --updateCount_ == 0) Changed();
}

void TCollection::Update(TCollectionItem*) {}

void TCollection::Changed(TCollectionItem* item) {
  if (updateCount_ == 0) Update(item);
}
