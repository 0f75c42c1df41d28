// A cursor's rows: gathering, filtering, ordering and grouping them, and finding a record's row.
#include <algorithm>
#include <deque>
#include <map>

#include "kestrel/engine/Cursor.h"

namespace kestrel {

namespace {

struct KeysLess {
  bool operator()(const std::vector<Value>& a, const std::vector<Value>& b) const {
    for (size_t i = 0; i < a.size(); ++i)
      if (const int c = CompareRead(a[i], b[i]); c != 0) return c < 0;
    return false;
  }
};

}  // namespace

KSStatus Cursor::Build(const View& view) {
  ReadContext context(view);
  std::vector<RecordID> candidates;
  if (link_ != nullptr) {
    if (const Record* parent = view.Find(parent_))
      candidates = LinkedRecords(context, *link_, parent_, *parent);
  } else {
    candidates = view.MembersOf(*cls_);
  }
  RecordFinder finder(view);
  std::vector<RecordID> ids;
  std::vector<const Record*> records;
  ids.reserve(candidates.size());
  records.reserve(candidates.size());
  for (const RecordID id : candidates) {
    const Record* record = finder.Find(id);
    if (record == nullptr) continue;
    // A child cursor may show a subclass of the linked class only.
    if (link_ != nullptr && !schema_->IsDescendant(*schema_->FindClass(record->classId), *cls_))
      continue;
    if (filter_ && !filter_->Test(context, id, *record)) continue;
    ids.push_back(id);
    records.push_back(record);
  }
  if (filter_ && filter_->Failure() != KS_OK) return filter_->Failure();
  if (!order_.empty()) Sort(context, ids, records);
  groups_.clear();
  if (!distinct_.empty()) Group(context, ids, records);
  rows_ = std::move(ids);
  records_ = std::move(records);
  recordsAt_ = Changes();
  return KS_OK;
}

void Cursor::Sort(ReadContext& context, std::vector<RecordID>& ids,
                  std::vector<const Record*>& records) const {
  const size_t n = ids.size();
  const size_t k = order_.size();
  // The keys of every row, read once: stored values in place, computed ones kept here.
  std::vector<const Value*> keys(n * k);
  std::deque<Value> computed;
  for (size_t row = 0; row < n; ++row)
    for (size_t j = 0; j < k; ++j) {
      Value scratch;
      const Value& key = order_[j].path.Read(context, ids[row], *records[row], scratch);
      keys[row * k + j] = &key == &scratch ? &computed.emplace_back(std::move(scratch)) : &key;
    }
  // The first key travels with the row (a text as its characters), so that most comparisons
  // touch nothing else.
  struct Entry {
    const Value* first;
    const char16_t* text;  // the first key's characters when it is a text
    size_t length;
    uint32_t row;
  };
  std::vector<Entry> entries(n);
  for (size_t row = 0; row < n; ++row) {
    const Value* first = keys[row * k];
    const auto* text = std::get_if<std::u16string>(first);
    entries[row] = Entry{first, text ? text->data() : nullptr, text ? text->size() : 0,
                         static_cast<uint32_t>(row)};
  }
  auto compareFirst = [](const Entry& a, const Entry& b) {
    if (a.text == nullptr || b.text == nullptr) return CompareRead(*a.first, *b.first);
    const int c = std::char_traits<char16_t>::compare(a.text, b.text, std::min(a.length, b.length));
    return c != 0 ? c : a.length < b.length ? -1 : a.length > b.length ? 1 : 0;
  };
  const bool firstDescending = order_[0].descending;
  std::sort(entries.begin(), entries.end(), [&](const Entry& a, const Entry& b) {
    if (const int c = compareFirst(a, b); c != 0) return firstDescending ? c > 0 : c < 0;
    for (size_t j = 1; j < k; ++j)
      if (const int c = CompareRead(*keys[a.row * k + j], *keys[b.row * k + j]); c != 0)
        return order_[j].descending ? c > 0 : c < 0;
    return ids[a.row] < ids[b.row];
  });
  std::vector<RecordID> sortedIds(n);
  std::vector<const Record*> sortedRecords(n);
  for (size_t i = 0; i < n; ++i) {
    sortedIds[i] = ids[entries[i].row];
    sortedRecords[i] = records[entries[i].row];
  }
  ids = std::move(sortedIds);
  records = std::move(sortedRecords);
}

void Cursor::Group(ReadContext& context, std::vector<RecordID>& ids,
                   std::vector<const Record*>& records) {
  std::map<std::vector<Value>, size_t, KeysLess> seen;
  std::vector<RecordID> kept;
  std::vector<const Record*> keptRecords;
  for (size_t row = 0; row < ids.size(); ++row) {
    std::vector<Value> key(distinct_.size());
    for (size_t j = 0; j < distinct_.size(); ++j) {
      Value scratch;
      key[j] = distinct_[j].Read(context, ids[row], *records[row], scratch);
    }
    const auto [it, added] = seen.emplace(std::move(key), kept.size());
    if (added) {
      kept.push_back(ids[row]);
      keptRecords.push_back(records[row]);
      groups_.push_back(1);
    } else {
      ++groups_[it->second];
    }
  }
  ids = std::move(kept);
  records = std::move(keptRecords);
}

bool Cursor::Belongs(ReadContext& context, RecordID id, const Record& record) {
  if (link_ != nullptr) {
    const Record* parent = context.GetView().Find(parent_);
    if (parent == nullptr) return false;
    const std::vector<RecordID> linked = LinkedRecords(context, *link_, parent_, *parent);
    if (std::find(linked.begin(), linked.end(), id) == linked.end()) return false;
  }
  return !filter_ || filter_->Test(context, id, record);
}

int Cursor::CompareRows(ReadContext& context, RecordID a, const Record& ra, RecordID b,
                        const Record& rb) const {
  if (a == b) return 0;
  for (const OrderKey& key : order_) {
    Value sa, sb;
    const int c = CompareRead(key.path.Read(context, a, ra, sa), key.path.Read(context, b, rb, sb));
    if (c != 0) return key.descending ? -c : c;
  }
  return a < b ? -1 : 1;
}

int32_t Cursor::PlaceOf(ReadContext& context, RecordID id, const Record& record) const {
  if (byId_)
    return static_cast<int32_t>(std::lower_bound(rows_.begin(), rows_.end(), id) - rows_.begin());
  // A stored link list without key fields has no order to keep: new rows come last.
  if (order_.empty()) return Count();
  int32_t low = 0;
  int32_t high = Count();
  while (low < high) {
    const int32_t middle = low + (high - low) / 2;
    const RecordID other = rows_[static_cast<size_t>(middle)];
    const Record* found = context.GetView().Find(other);
    const int c = found ? CompareRows(context, other, *found, id, record) : (other < id ? -1 : 1);
    if (c < 0)
      low = middle + 1;
    else
      high = middle;
  }
  return low;
}

int32_t Cursor::RowOf(ReadContext& context, RecordID id) const {
  const Record* record = context.GetView().Find(id);
  if (record == nullptr) return -1;
  // The rows were ordered by the values they had then: when a value changed elsewhere since,
  // the search may miss, and the rows are walked instead.
  const int32_t place = PlaceOf(context, id, *record);
  if (place < Count() && rows_[static_cast<size_t>(place)] == id) return place;
  if (byId_) return -1;
  const auto it = std::find(rows_.begin(), rows_.end(), id);
  return it == rows_.end() ? -1 : static_cast<int32_t>(it - rows_.begin());
}

void Cursor::Regroup(const View& view, RecordID wanted, int32_t fallback) {
  Build(view);
  ReadContext context(view);
  const int32_t row = RowOf(context, wanted);
  position_ = row >= 0 ? row : std::min(fallback, Count() - 1);
}

}  // namespace kestrel
