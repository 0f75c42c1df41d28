// Objects (one record reached by its ID through a transaction), links and deleting every
// record of a class.
#include <optional>

#include "kestrel/api/ApiState.h"

using namespace kestrel;
using namespace kestrel::api;

namespace {

struct ObjectContext {
  ObjectRef* object = nullptr;
  OpenTransaction* transaction = nullptr;
  Session* session = nullptr;
};

// Runs `body` with a live object; `failure` otherwise (and `status` when it is a status).
template <typename R, typename F>
R WithObject(KSHandle handle, R failure, F&& body) {
  return Guard<R>(failure, [&]() -> R {
    ObjectContext c;
    c.object = GetState().objects.Get(handle);
    KSStatus status = KS_ERR_INVALID_HANDLE;
    if (c.object != nullptr)
      c.transaction = LiveTransaction(c.object->transaction, status, &c.session);
    if (c.transaction == nullptr) {
      if constexpr (std::is_same_v<R, KSStatus>) return status;
      return failure;
    }
    return body(c);
  });
}

// The number of records linked through a computed link field: those whose back reference
// leads to the record.
int32_t CountLinked(const View& view, const FieldDef& field, RecordID id) {
  const Schema& schema = view.GetSchema();
  const ClassDef* target = schema.FindClass(field.referencedClass);
  int32_t count = 0;
  for (const RecordID from : ReferenceMap(view).Referrers(id)) {
    const Record* r = view.Find(from);
    const ClassDef* rc = r ? schema.FindClass(r->classId) : nullptr;
    if (rc == nullptr || target == nullptr || !schema.IsDescendant(*rc, *target)) continue;
    const int via = rc->FieldIndex(field.linkVia);
    if (via >= 0 && r->values[static_cast<size_t>(via)] == Value{id}) ++count;
  }
  return count;
}

}  // namespace

extern "C" {

KSHandle KSGetObject(KSHandle transaction, KSRecordID id) {
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
  return WithObject<const char16_t*>(object, nullptr, [](ObjectContext& c) -> const char16_t* {
    const std::optional<View> view = c.transaction->engine->GetView();
    const Record* record = view ? view->Find(c.object->id) : nullptr;
    const ClassDef* cls = record ? view->GetSchema().FindClass(record->classId) : nullptr;
    return cls ? c.object->results.Text(ToUtf16(cls->name)) : nullptr;
  });
}

KSStatus KSReleaseObject(KSHandle object) {
  return Guard<KSStatus>(KS_ERR_INTERNAL, [&] {
    State& s = GetState();
    const std::unique_ptr<ObjectRef> released = s.objects.Remove(object);
    if (!released) return KS_ERR_INVALID_HANDLE;
    if (OpenTransaction* t = s.transactions.Get(released->transaction))
      t->objects.erase(std::remove(t->objects.begin(), t->objects.end(), object), t->objects.end());
    return KS_OK;
  });
}

KSStatus KSDestroyObject(KSHandle object) {
  return WithObject<KSStatus>(object, KS_ERR_INTERNAL, [](ObjectContext& c) {
    return c.transaction->engine->Destroy(c.object->id);
  });
}

KSStatus KSGetValues(KSHandle object, const char16_t* const* fieldNames, int32_t count,
                     KSField* values) {
  return WithObject<KSStatus>(object, KS_ERR_INTERNAL, [&](ObjectContext& c) -> KSStatus {
    if (count < 0 || (count > 0 && (fieldNames == nullptr || values == nullptr)))
      return KS_ERR_INVALID_ARGUMENT;
    const std::optional<View> view = c.transaction->engine->GetView();
    if (!view) return KS_ERR_NO_SUCH_TRANSACTION;
    const Record* record = view->Find(c.object->id);
    if (record == nullptr) return KS_ERR_NO_SUCH_RECORD;
    const ClassDef& cls = *view->GetSchema().FindClass(record->classId);
    std::vector<Results::Named> named;
    for (int32_t i = 0; i < count; ++i) {
      const std::string name = Narrow(fieldNames[i]);
      if (SameName(name, "id")) {
        named.push_back({c.object->id, KS_TYPE_ID, ToUtf16(name)});
        continue;
      }
      const int at = cls.FieldIndex(name);
      if (at < 0) return KS_ERR_NO_SUCH_FIELD;
      const FieldDef& field = cls.allFields[static_cast<size_t>(at)];
      Value value = field.IsComputedLink()
                        ? Value{CountLinked(*view, field, c.object->id)}
                        : record->values[static_cast<size_t>(at)];
      named.push_back({std::move(value), field.type, ToUtf16(field.name)});
    }
    c.object->results.Values(std::move(named), values);
    return KS_OK;
  });
}

KSStatus KSSetValues(KSHandle object, const KSField* values, int32_t count) {
  return WithObject<KSStatus>(object, KS_ERR_INTERNAL, [&](ObjectContext& c) -> KSStatus {
    if (count < 0 || (count > 0 && values == nullptr)) return KS_ERR_INVALID_ARGUMENT;
    const std::optional<View> view = c.transaction->engine->GetView();
    if (!view) return KS_ERR_NO_SUCH_TRANSACTION;
    const Record* record = view->Find(c.object->id);
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
    return c.transaction->engine->SetValues(c.object->id, changes);
  });
}

KSStatus KSCreateNewLink(KSHandle transaction, KSRecordID id1, const char16_t* fieldName,
                         KSRecordID id2) {
  return WithTransaction(transaction, [&](OpenTransaction& t, Session&) {
    return t.engine->Link(id1, Narrow(fieldName), id2, true);
  });
}

KSStatus KSDestroyLink(KSHandle transaction, KSRecordID id1, const char16_t* fieldName,
                       KSRecordID id2) {
  return WithTransaction(transaction, [&](OpenTransaction& t, Session&) {
    return t.engine->Link(id1, Narrow(fieldName), id2, false);
  });
}

KSStatus KSDestroyAll(KSHandle transaction, const char16_t* className, KSHandle condition,
                      int32_t* count) {
  if (count != nullptr) *count = 0;
  return WithTransaction(transaction, [&](OpenTransaction& t, Session& session) -> KSStatus {
    if (count == nullptr) return KS_ERR_INVALID_ARGUMENT;
    // No condition handles exist in this version: any other than 0 is unknown.
    if (condition != 0) return KS_ERR_INVALID_HANDLE;
    const ClassDef* cls = session.db->GetSchema().FindClass(Narrow(className));
    if (cls == nullptr) return KS_ERR_NO_SUCH_CLASS;
    return t.engine->DestroyAll(*cls, nullptr, *count);
  });
}

}  // extern "C"
