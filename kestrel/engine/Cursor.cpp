// Opening a cursor, its steps and reading its rows.
#include "kestrel/engine/Cursor.h"

#include <algorithm>

namespace kestrel {

KSStatus Cursor::Open(std::shared_ptr<Transaction> transaction, const CursorRequest& request,
                      std::unique_ptr<Cursor>& out) {
  std::unique_ptr<Cursor> cursor(new Cursor());
  cursor->transaction_ = std::move(transaction);
  const std::optional<View> view = cursor->CurrentView();
  if (!view) return KS_ERR_NO_SUCH_TRANSACTION;
  if (const KSStatus s = cursor->Resolve(*view, request); s != KS_OK) return s;
  if (const KSStatus s = cursor->Build(*view); s != KS_OK) return s;
  cursor->verified_ = cursor->Changes();
  out = std::move(cursor);
  return KS_OK;
}

Cursor::~Cursor() = default;

std::optional<View> Cursor::CurrentView() const { return transaction_->GetView(); }

uint64_t Cursor::Changes() const { return transaction_->Db()->Changes(); }

KSStatus Cursor::Resolve(const View& view, const CursorRequest& request) {
  schema_ = &view.GetSchema();
  inVersion_ = transaction_->InVersion();
  const IndexDef* index = nullptr;
  if (request.child) {
    if (request.parent == kNullRecord) return KS_ERR_NO_MASTER_RECORD;
    const Record* parent = view.Find(request.parent);
    if (parent == nullptr) return KS_ERR_NO_SUCH_CLASS;
    const ClassDef& parentClass = *schema_->FindClass(parent->classId);
    index = schema_->FindIndex(parentClass, request.index);
    const int at = FindFieldIndex(parentClass, request.index);
    if (index == nullptr || at < 0 || parentClass.allFields[static_cast<size_t>(at)].type != type::kLinks)
      return KS_ERR_NO_SUCH_INDEX;
    link_ = &parentClass.allFields[static_cast<size_t>(at)];
    parent_ = request.parent;
    cls_ = request.childClass.empty() ? schema_->FindClass(link_->referencedClass)
                                      : schema_->FindClass(request.childClass);
    if (cls_ == nullptr) return KS_ERR_NO_SUCH_CLASS;
  } else {
    cls_ = schema_->FindClass(request.className);
    if (cls_ == nullptr) return KS_ERR_NO_SUCH_CLASS;
    if (!request.index.empty()) {
      for (const IndexDef* candidate : schema_->OrderingIndexesOf(*cls_))
        if (candidate->name == request.index) index = candidate;
      if (index == nullptr) return KS_ERR_NO_SUCH_INDEX;
    }
  }
  if ((inVersion_ ? cls_->versionAccess : cls_->rootAccess) == access::kInvisible)
    return KS_ERR_NO_SUCH_CLASS;
  auto resolve = [&](const std::string& name, FieldPath& path) {
    return FieldPath::Resolve(*schema_, *cls_, name, inVersion_, path);
  };
  fields_.resize(request.fields.size());
  reading_.how.resize(fields_.size());
  for (size_t i = 0; i < fields_.size(); ++i) {
    if (const KSStatus s = resolve(request.fields[i], fields_[i]); s != KS_OK) return s;
    reading_.how[i] = fields_[i].CountsRows() ? Reading::kCountsRows : fields_[i].StoredPosition();
  }
  for (const SortField& sort : request.shape.sort) {
    OrderKey key{FieldPath(), sort.descending};
    if (const KSStatus s = resolve(sort.field, key.path); s != KS_OK) return s;
    order_.push_back(std::move(key));
  }
  // An index's fields order what the sort fields leave equal; a child's link class may lack
  // some of them (a subclass's fields), which then order nothing.
  if (index != nullptr)
    for (const std::string& field : index->fields) {
      OrderKey key;
      if (resolve(field, key.path) == KS_OK) order_.push_back(std::move(key));
    }
  byId_ = order_.empty() && (link_ == nullptr || link_->IsComputedLink());
  distinct_.resize(request.shape.distinct.size());
  for (size_t i = 0; i < distinct_.size(); ++i)
    if (const KSStatus s = resolve(request.shape.distinct[i], distinct_[i]); s != KS_OK) return s;
  if (request.shape.filter)
    return BoundCondition::Bind(*schema_, *cls_, *request.shape.filter, inVersion_, filter_);
  return KS_OK;
}

RecordID Cursor::CurrentId() const {
  return position_ >= 0 && position_ < Count() ? rows_[static_cast<size_t>(position_)]
                                               : kNullRecord;
}

bool Cursor::OnRecord() const {
  if (CurrentId() == kNullRecord) return false;
  if (Changes() == verified_) return true;
  const std::optional<View> view = CurrentView();
  return view && view->Find(CurrentId()) != nullptr;
}

const Record* Cursor::RecordOf(int32_t row, RecordFinder& finder) const {
  if (recordsAt_ == Changes() && records_.size() == rows_.size())
    return records_[static_cast<size_t>(row)];
  return finder.Find(rows_[static_cast<size_t>(row)]);
}

void Cursor::Erase(int32_t row) {
  if (records_.size() == rows_.size())
    records_.erase(records_.begin() + row);
  else
    records_.clear();
  rows_.erase(rows_.begin() + row);
  if (!groups_.empty()) groups_.erase(groups_.begin() + row);
  if (position_ > row) --position_;
}

KSStatus Cursor::Land(int32_t position, bool forward) {
  // Unchanged data since every row was seen: no record can be gone.
  if (Changes() != verified_) {
    const std::optional<View> view = CurrentView();
    if (!view) return KS_ERR_NO_SUCH_TRANSACTION;
    while (position >= 0 && position < Count() &&
           view->Find(rows_[static_cast<size_t>(position)]) == nullptr) {
      Erase(position);
      if (!forward) --position;
    }
  }
  position_ = position;
  if (position_ >= Count()) {
    position_ = Count();
    return KS_END_OF_TABLE;
  }
  if (position_ < 0) {
    position_ = -1;
    return KS_BEGIN_OF_TABLE;
  }
  return KS_OK;
}

KSStatus Cursor::First() { return Land(0, true); }

KSStatus Cursor::Last() { return Land(Count() - 1, false); }

KSStatus Cursor::Next() {
  return position_ >= Count() ? KS_END_OF_TABLE : Land(position_ + 1, true);
}

KSStatus Cursor::Previous() { return position_ < 0 ? KS_BEGIN_OF_TABLE : Land(position_ - 1, false); }

KSStatus Cursor::Goto(int32_t position) {
  if (position < 0) return KS_BEGIN_OF_TABLE;
  if (position >= Count()) return KS_END_OF_TABLE;
  return Land(position, true);
}

KSStatus Cursor::GotoRecord(RecordID id) {
  const std::optional<View> view = CurrentView();
  if (!view) return KS_ERR_NO_SUCH_TRANSACTION;
  ReadContext context(*view);
  const int32_t row = RowOf(context, id);
  if (row < 0) return KS_ERR_NO_SUCH_RECORD;
  position_ = row;
  return KS_OK;
}

KSStatus Cursor::GotoFirstMatch(const Condition& condition) {
  std::unique_ptr<BoundCondition> bound;
  if (const KSStatus s = BoundCondition::Bind(*schema_, *cls_, condition, inVersion_, bound);
      s != KS_OK)
    return s;
  const std::optional<View> view = CurrentView();
  if (!view) return KS_ERR_NO_SUCH_TRANSACTION;
  ReadContext context(*view);
  RecordFinder finder(*view);
  for (size_t row = 0; row < rows_.size(); ++row) {
    const Record* record = RecordOf(static_cast<int32_t>(row), finder);
    if (record == nullptr || !bound->Test(context, rows_[row], *record)) continue;
    if (bound->Failure() != KS_OK) return bound->Failure();
    position_ = static_cast<int32_t>(row);
    return KS_OK;
  }
  return bound->Failure() != KS_OK ? bound->Failure() : KS_END_OF_TABLE;
}

KSStatus Cursor::Read(int32_t position, int32_t count, bool forward, const RowReader& row) {
  const std::optional<View> view = CurrentView();
  if (!view) return KS_ERR_NO_SUCH_TRANSACTION;
  RecordFinder finder(*view);
  // The window, gathered in the direction of travel; rows whose records are gone drop out,
  // which moves the rows above them down by one.
  std::vector<std::pair<int32_t, const Record*>>& window = reading_.window;
  window.clear();
  for (int32_t at = position; static_cast<int32_t>(window.size()) < count && at >= 0 &&
                              at < Count();) {
    const Record* record = RecordOf(at, finder);
    if (record == nullptr) {
      Erase(at);
      if (!forward) {
        for (auto& entry : window) --entry.first;
        --at;
      }
      continue;
    }
    window.emplace_back(at, record);
    at += forward ? 1 : -1;
  }
  if (!forward) std::reverse(window.begin(), window.end());
  ReadContext context(*view);
  std::vector<Value>& scratch = reading_.scratch;
  std::vector<const Value*>& values = reading_.values;
  scratch.resize(fields_.size());
  values.resize(fields_.size());
  for (const auto& [at, record] : window) {
    const RecordID id = rows_[static_cast<size_t>(at)];
    for (size_t i = 0; i < fields_.size(); ++i) {
      const int how = reading_.how[i];
      if (how >= 0) {
        // A stored field of the class, read as FieldPath::Read reads it.
        const auto stored = static_cast<size_t>(how);
        const Value* value = stored < record->values.size() ? &record->values[stored] : nullptr;
        values[i] = value && !IsNull(*value) ? value : &NullAsRead(fields_[i].Type());
      } else if (how == Reading::kCountsRows) {
        scratch[i] = groups_.empty() ? int32_t{1} : groups_[static_cast<size_t>(at)];
        values[i] = &scratch[i];
      } else {
        values[i] = &fields_[i].Read(context, id, *record, scratch[i]);
      }
    }
    row(at, id, values);
  }
  return KS_OK;
}

}  // namespace kestrel
