// A cursor's writes (insert, change, delete of the current record) and comparisons of rows.
#include "kestrel/engine/Cursor.h"
#include "kestrel/engine/Validation.h"

namespace kestrel {

namespace {

// Whether another record already has the record's key in a unique index of its class.
bool ClashesInUniqueIndex(const View& view, RecordID id, const ClassDef& cls, const Record& record) {
  UniqueKeys keys(view);
  for (const IndexDef* index : view.GetSchema().GlobalIndexesOf(cls))
    if (index->unique && keys.Clashes(id, cls, *index, record)) return true;
  return false;
}

}  // namespace

const FieldDef* Cursor::WritableField(const std::string& name, size_t& position,
                                      KSStatus& status) const {
  const int at = FindFieldIndex(*cls_, name);
  if (at < 0 || cls_->allFields[static_cast<size_t>(at)].type == type::kLinks) {
    FieldPath path;
    status = FieldPath::Resolve(*schema_, *cls_, name, inVersion_, path) == KS_OK
                 ? KS_ERR_ACCESS_DENIED
                 : KS_ERR_NO_SUCH_FIELD;
    return nullptr;
  }
  status = KS_OK;
  position = static_cast<size_t>(at);
  return &cls_->allFields[position];
}

KSStatus Cursor::Insert(const std::vector<std::pair<size_t, Value>>& values, RecordID& id) {
  id = kNullRecord;
  const std::optional<View> before = CurrentView();
  if (!before) return KS_ERR_NO_SUCH_TRANSACTION;
  if ((cls_->flags & (classflag::kVirtual | classflag::kComputed)) != 0)
    return KS_ERR_INVALID_ARGUMENT;
  Record record{cls_->id, {}};
  for (const FieldDef& field : cls_->allFields)
    record.values.push_back(field.type == type::kLinks ? Value{} : field.defaultValue);
  for (const auto& [at, value] : values) {
    const FieldDef& field = cls_->allFields[at];
    const int32_t access = inVersion_ ? field.versionAccess : field.actualAccess;
    if ((access != access::kReadWrite && access != access::kInsert) || field.type == type::kLinks)
      return KS_ERR_ACCESS_DENIED;
    if (!FitsType(value, field.type)) return KS_ERR_INVALID_ARGUMENT;
    record.values[at] = Normalize(value, field.type);
  }
  if (link_ != nullptr && link_->IsComputedLink()) {
    const int via = cls_->FieldIndex(link_->linkVia);
    if (via >= 0 && IsNull(record.values[static_cast<size_t>(via)]))
      record.values[static_cast<size_t>(via)] = parent_;
  }
  if (ClashesInUniqueIndex(*before, kNullRecord, *cls_, record)) return KS_ERR_DUPLICATE_KEY;
  const bool verified = Changes() == verified_;
  if (const KSStatus s = transaction_->Insert(*cls_, record.values, id); s != KS_OK) return s;
  if (link_ != nullptr && !link_->IsComputedLink()) {
    if (const KSStatus s = transaction_->Link(parent_, link_->name, id, true); s != KS_OK) {
      transaction_->Destroy(id);
      id = kNullRecord;
      return s;
    }
  }
  const std::optional<View> after = CurrentView();
  ReadContext context(*after);
  const Record& inserted = *after->Find(id);
  bool shown = Belongs(context, id, inserted);
  if (!distinct_.empty()) {
    const RecordID stay = CurrentId();
    Regroup(*after, id, -1);
    shown = CurrentId() == id;
    if (!shown) {
      const int32_t row = RowOf(context, stay);
      position_ = row >= 0 ? row : -1;
    }
  } else if (shown) {
    position_ = PlaceOf(context, id, inserted);
    rows_.insert(rows_.begin() + position_, id);
    records_.clear();
  }
  if (verified) verified_ = Changes();
  return shown ? KS_OK : KS_RECORD_NOT_IN_CURSOR;
}

KSStatus Cursor::SetCurrent(const std::vector<std::pair<size_t, Value>>& values) {
  if (position_ < 0) return KS_BEGIN_OF_TABLE;
  if (position_ >= Count()) return KS_END_OF_TABLE;
  const RecordID id = CurrentId();
  const std::optional<View> before = CurrentView();
  if (!before) return KS_ERR_NO_SUCH_TRANSACTION;
  const Record* current = before->Find(id);
  if (current == nullptr) return KS_ERR_NO_SUCH_RECORD;
  const ClassDef& cls = *schema_->FindClass(current->classId);
  Record changed = *current;
  for (const auto& [at, value] : values)
    if (at < changed.values.size() && FitsType(value, cls.allFields[at].type))
      changed.values[at] = Normalize(value, cls.allFields[at].type);
  if (ClashesInUniqueIndex(*before, id, cls, changed)) return KS_ERR_DUPLICATE_KEY;
  const bool verified = Changes() == verified_;
  if (const KSStatus s = transaction_->SetValues(id, values); s != KS_OK) return s;
  const std::optional<View> after = CurrentView();
  ReadContext context(*after);
  if (!distinct_.empty()) {
    Regroup(*after, id, position_);
  } else {
    Erase(position_);
    const Record& record = *after->Find(id);
    if (Belongs(context, id, record)) {
      position_ = PlaceOf(context, id, record);
      rows_.insert(rows_.begin() + position_, id);
      records_.clear();
    }
  }
  if (verified) verified_ = Changes();
  return KS_OK;
}

KSStatus Cursor::DeleteCurrent() {
  if (position_ < 0) return KS_BEGIN_OF_TABLE;
  if (position_ >= Count()) return KS_END_OF_TABLE;
  const bool verified = Changes() == verified_;
  if (const KSStatus s = transaction_->Destroy(CurrentId()); s != KS_OK) return s;
  if (!distinct_.empty()) {
    Regroup(*CurrentView(), kNullRecord, position_);
  } else {
    Erase(position_);
    position_ = std::min(position_, Count() - 1);
  }
  if (verified) verified_ = Changes();
  return KS_OK;
}

int32_t Cursor::CompareRecords(RecordID a, RecordID b) {
  const std::optional<View> view = CurrentView();
  if (!view) return 0;
  ReadContext context(*view);
  const int32_t rowA = RowOf(context, a);
  const int32_t rowB = RowOf(context, b);
  if (rowA < 0 || rowB < 0) return 0;
  return rowA < rowB ? 1 : rowA == rowB ? 2 : 3;
}

}  // namespace kestrel
