// Objects (one record reached by its ID through a transaction), links and deleting every
// record of a class.
#include <optional>

#include "kestrel/api/ApiState.h"
#include "kestrel/api/Remote.h"
#include "kestrel/engine/FieldPath.h"

using namespace kestrel;
using namespace kestrel::api;

namespace {

// The engine transaction of a live object (WithLive checked it).
kestrel::Transaction& EngineOf(const ObjectRef& object) {
  return *GetState().transactions.Get(object.transaction)->engine;
}

}  // namespace

extern "C" {

KSHandle KSGetObject(KSHandle transaction, KSRecordID id) {
  KS_FORWARD(KSGetObject, transaction, id);
  return Guard<KSHandle>(0, [&]() -> KSHandle {
    KSStatus status;
    OpenTransaction* t = LiveTransaction(transaction, status);
    if (t == nullptr) return 0;
    const std::optional<View> view = t->engine->GetView();
    if (!view || view->Find(id) == nullptr) return 0;
    t->engine->NoteRead(*view, id);
    auto object = std::make_unique<ObjectRef>();
    object->transaction = transaction;
    object->id = id;
    const KSHandle handle = GetState().objects.Add(std::move(object));
    if (handle != 0) t->objects.push_back(handle);
    return handle;
  });
}

const char16_t* KSGetObjectTable(KSHandle object) {
  KS_FORWARD(KSGetObjectTable, object);
  return WithLive<const char16_t*>(GetState().objects, object, nullptr,
                                   [](ObjectRef& o) -> const char16_t* {
    const std::optional<View> view = EngineOf(o).GetView();
    const Record* record = view ? view->Find(o.id) : nullptr;
    const ClassDef* cls = record ? view->GetSchema().FindClass(record->classId) : nullptr;
    return cls ? o.results.Text(ToUtf16(cls->name)) : nullptr;
  });
}

KSStatus KSReleaseObject(KSHandle object) {
  KS_FORWARD_STATUS(KSReleaseObject, object);
  return ReleaseOwned(GetState().objects, object, &OpenTransaction::objects);
}

KSStatus KSDestroyObject(KSHandle object) {
  KS_FORWARD_STATUS(KSDestroyObject, object);
  return WithLiveStatus(GetState().objects, object,
                        [](ObjectRef& o) { return EngineOf(o).Destroy(o.id); });
}

KSStatus KSGetValues(KSHandle object, const char16_t* const* fieldNames, int32_t count,
                     KSField* values) {
  KS_FORWARD_STATUS(KSGetValues, object, fieldNames, count, values);
  return WithLiveStatus(GetState().objects, object,
                        [&](ObjectRef& o) -> KSStatus {
    if (count < 0 || count > wire::kMaxListLength ||
        (count > 0 && (fieldNames == nullptr || values == nullptr)))
      return KS_ERR_INVALID_ARGUMENT;
    kestrel::Transaction& t = EngineOf(o);
    const std::optional<View> view = t.GetView();
    if (!view) return KS_ERR_NO_SUCH_TRANSACTION;
    const Record* record = view->Find(o.id);
    if (record == nullptr) return KS_ERR_NO_SUCH_RECORD;
    const ClassDef& cls = *view->GetSchema().FindClass(record->classId);
    ReadContext context(*view);
    std::vector<Results::Named> named;
    for (int32_t i = 0; i < count; ++i) {
      // Any path a cursor reads (a row of its own is what the record is here).
      const std::string name = Narrow(fieldNames[i]);
      const int at = FindFieldIndex(cls, name);
      FieldPath path;
      if (const KSStatus s = FieldPath::Resolve(view->GetSchema(), cls, name, t.InVersion(), path);
          s != KS_OK)
        return s;
      Value scratch;
      named.push_back({path.Read(context, o.id, *record, scratch), path.Type(),
                       ToUtf16(at >= 0 ? cls.allFields[static_cast<size_t>(at)].name : name)});
    }
    o.results.Values(std::move(named), values);
    return KS_OK;
  });
}

KSStatus KSSetValues(KSHandle object, const KSField* values, int32_t count) {
  KS_FORWARD_STATUS(KSSetValues, object, values, count);
  return WithLiveStatus(GetState().objects, object,
                        [&](ObjectRef& o) -> KSStatus {
    if (count < 0 || count > wire::kMaxListLength || (count > 0 && values == nullptr))
      return KS_ERR_INVALID_ARGUMENT;
    kestrel::Transaction& t = EngineOf(o);
    const std::optional<View> view = t.GetView();
    if (!view) return KS_ERR_NO_SUCH_TRANSACTION;
    const Record* record = view->Find(o.id);
    if (record == nullptr) return KS_ERR_NO_SUCH_RECORD;
    const ClassDef& cls = *view->GetSchema().FindClass(record->classId);
    std::vector<std::pair<size_t, Value>> changes;
    for (int32_t i = 0; i < count; ++i) {
      if (values[i].name == nullptr) return KS_ERR_INVALID_ARGUMENT;
      const int at = cls.FieldIndex(Narrow(values[i].name));
      if (at < 0) return KS_ERR_NO_SUCH_FIELD;
      Value value;
      if (!FromApiField(values[i], cls.allFields[static_cast<size_t>(at)].type, value))
        return KS_ERR_INVALID_ARGUMENT;
      changes.emplace_back(static_cast<size_t>(at), std::move(value));
    }
    return t.SetValues(o.id, changes);
  });
}

KSStatus KSCreateNewLink(KSHandle transaction, KSRecordID id1, const char16_t* fieldName,
                         KSRecordID id2) {
  KS_FORWARD_STATUS(KSCreateNewLink, transaction, id1, fieldName, id2);
  return WithTransaction(transaction, [&](OpenTransaction& t, Session&) {
    return t.engine->Link(id1, Narrow(fieldName), id2, true);
  });
}

KSStatus KSDestroyLink(KSHandle transaction, KSRecordID id1, const char16_t* fieldName,
                       KSRecordID id2) {
  KS_FORWARD_STATUS(KSDestroyLink, transaction, id1, fieldName, id2);
  return WithTransaction(transaction, [&](OpenTransaction& t, Session&) {
    return t.engine->Link(id1, Narrow(fieldName), id2, false);
  });
}

KSStatus KSDestroyAll(KSHandle transaction, const char16_t* className, KSHandle condition,
                      int32_t* count) {
  KS_FORWARD_STATUS(KSDestroyAll, transaction, className, condition, count);
  if (count != nullptr) *count = 0;
  return WithTransaction(transaction, [&](OpenTransaction& t, Session& session) -> KSStatus {
    if (count == nullptr) return KS_ERR_INVALID_ARGUMENT;
    const ConditionRef* c = GetState().conditions.Get(condition);
    if (condition != 0 && c == nullptr) return KS_ERR_INVALID_HANDLE;
    const Schema& schema = session.db->GetSchema();
    const ClassDef* cls = schema.FindClass(Narrow(className));
    if (cls == nullptr) return KS_ERR_NO_SUCH_CLASS;
    if (c == nullptr) return t.engine->DestroyAll(*cls, nullptr, *count);
    std::unique_ptr<BoundCondition> bound;
    if (const KSStatus s =
            BoundCondition::Bind(schema, *cls, *c->condition, t.engine->InVersion(), bound);
        s != KS_OK)
      return s;
    std::optional<ReadContext> context;  // over the view DestroyAll reads through
    return t.engine->DestroyAll(
        *cls,
        [&](const View& view, RecordID id, const Record& record, bool& keep) {
          if (!context) context.emplace(view);
          keep = !bound->Test(*context, id, record);
          return bound->Failure();
        },
        *count);
  });
}

}  // extern "C"
