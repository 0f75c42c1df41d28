// Cursors: opening, steps, reading rows through the fetch buffer, and writing through them.
#include "kestrel/api/ApiState.h"
#include "kestrel/api/CursorSteps.h"
#include "kestrel/api/LastErrors.h"
#include "kestrel/api/Remote.h"

using namespace kestrel;
using namespace kestrel::api;

namespace {

KSHandle OpenCursorHandle(KSHandle transaction, const char16_t* const* fields, int32_t fieldCount,
                          KSHandle sort, CursorRequest& request) {
  LastErrorOf(LastError::kCursor) = KS_ERR_INTERNAL;
  return Guard<KSHandle>(0, [&]() -> KSHandle {
    State& s = GetState();
    LastErrorOf(LastError::kCursor) = KS_ERR_INVALID_ARGUMENT;
    if (fieldCount < 0 || fieldCount > wire::kMaxListLength || (fieldCount > 0 && fields == nullptr))
      return 0;
    for (int32_t i = 0; i < fieldCount; ++i) {
      if (fields[i] == nullptr) return 0;
      request.fields.push_back(Narrow(fields[i]));
    }
    const CursorShape* shape = s.sorts.Get(sort);
    if (sort != 0 && shape == nullptr) {
      LastErrorOf(LastError::kCursor) = KS_ERR_INVALID_HANDLE;
      return 0;
    }
    if (shape != nullptr) request.shape = *shape;
    OpenTransaction* t = LiveTransaction(transaction, LastErrorOf(LastError::kCursor));
    if (t == nullptr) return 0;
    std::unique_ptr<Cursor> engine;
    LastErrorOf(LastError::kCursor) = Cursor::Open(t->engine, request, engine);
    if (LastErrorOf(LastError::kCursor) != KS_OK) return 0;
    const KSHandle handle = s.cursors.Add(std::make_unique<OpenCursor>(transaction, std::move(engine)));
    if (handle == 0) {
      LastErrorOf(LastError::kCursor) = KS_ERR_INTERNAL;
      return 0;
    }
    t->cursors.push_back(handle);
    return handle;
  });
}

template <typename R, typename F>
R WithCursor(KSHandle cursor, R failure, F&& body) {
  return WithLive<R>(GetState().cursors, cursor, failure, std::forward<F>(body));
}

template <typename F>
KSStatus CursorStatus(KSHandle cursor, F&& body) {
  return WithLiveStatus(GetState().cursors, cursor, std::forward<F>(body));
}

// One step; fills `values` with the current row when the step landed on one.
KSStatus Step(OpenCursor& c, KSField* values, bool forward) {
  if (values == nullptr && !c.engine->Fields().empty()) return KS_ERR_INVALID_ARGUMENT;
  const KSStatus status = forward ? c.engine->Next() : c.engine->Previous();
  if (status == KS_END_OF_TABLE || status == KS_BEGIN_OF_TABLE) return KS_NO_FURTHER_RECORD;
  return status != KS_OK ? status : c.buffer.Current(*c.engine, forward, values);
}

KSStatus StepAndRead(KSHandle cursor, KSField* values, bool forward) {
  return CursorStatus(cursor, [&](OpenCursor& c) { return Step(c, values, forward); });
}

// A row, or its place, that this process holds for a cursor of a daemon (Remote.h); asked
// only for such cursors, so that the steps of a cursor served here stay short.
std::optional<KSStatus> HeldRow(KSHandle cursor, rpc::Function function, KSField* values) {
  return remote::IsRemote(cursor) ? remote::ReadRow(cursor, function, values) : std::nullopt;
}

std::optional<int32_t> HeldPlace(KSHandle cursor, rpc::Function function) {
  return remote::IsRemote(cursor) ? remote::HeldPlace(cursor, function) : std::nullopt;
}

int32_t PositionOf(const OpenCursor& c) {
  return c.engine->CurrentId() == kNullRecord ? -1 : c.engine->Position();
}

// The values named by the caller (fieldNames[i], else values[i].name, else the cursor's i-th
// field), as positions in the cursor's class with their values.
KSStatus WrittenValues(const Cursor& cursor, const KSField* values, int32_t count,
                       const char16_t* const* fieldNames,
                       std::vector<std::pair<size_t, Value>>& written) {
  if (count < 0 || count > wire::kMaxListLength || (count > 0 && values == nullptr))
    return KS_ERR_INVALID_ARGUMENT;
  for (int32_t i = 0; i < count; ++i) {
    std::string name;
    if (fieldNames != nullptr && fieldNames[i] != nullptr)
      name = Narrow(fieldNames[i]);
    else if (values[i].name != nullptr)
      name = Narrow(values[i].name);
    else if (static_cast<size_t>(i) < cursor.Fields().size())
      name = cursor.Fields()[static_cast<size_t>(i)].Name();
    else
      return KS_ERR_INVALID_ARGUMENT;
    size_t position = 0;
    KSStatus status;
    const FieldDef* field = cursor.WritableField(name, position, status);
    if (field == nullptr) return status;
    Value value;
    if (!FromApiField(values[i], field->type, value)) return KS_ERR_INVALID_ARGUMENT;
    written.emplace_back(position, std::move(value));
  }
  return KS_OK;
}

}  // namespace

namespace kestrel::api {

void StepCursor(KSHandle cursor, bool forward, int32_t steps, const StepSink& sink) {
  bool stepped = false;
  std::vector<KSField> values;
  const KSStatus failure = CursorStatus(cursor, [&](OpenCursor& c) -> KSStatus {
    const size_t count = c.engine->Fields().size();
    values.resize(std::max(count, size_t{1}));
    for (int32_t i = 0; i < steps; ++i) {
      const KSStatus status = Step(c, values.data(), forward);
      stepped = true;
      if (!sink(status, PositionOf(c), c.engine->CurrentId(), values.data(), count) || status != KS_OK) break;
    }
    return KS_OK;
  });
  if (!stepped && failure != KS_OK) sink(failure, -1, kNullRecord, values.data(), 0);
}

}  // namespace kestrel::api

extern "C" {

KSHandle KSCreateCursor(KSHandle transaction, const char16_t* className,
                        const char16_t* const* fields, int32_t fieldCount,
                        const char16_t* indexName, KSHandle sort) {
  KS_FORWARD(KSCreateCursor, transaction, className, fields, fieldCount, indexName, sort);
  CursorRequest request;
  request.className = Narrow(className);
  request.index = Narrow(indexName);
  return OpenCursorHandle(transaction, fields, fieldCount, sort, request);
}

KSHandle KSCreateChildCursor(KSRecordID parentID, KSHandle transaction, const char16_t* indexName,
                             const char16_t* childClass, const char16_t* const* fields,
                             int32_t fieldCount, KSHandle sort) {
  KS_FORWARD(KSCreateChildCursor,
             parentID, transaction, indexName, childClass, fields, fieldCount, sort);
  CursorRequest request;
  request.child = true;
  request.parent = parentID;
  request.index = Narrow(indexName);
  request.childClass = Narrow(childClass);
  return OpenCursorHandle(transaction, fields, fieldCount, sort, request);
}

KSStatus KSGetLastCursorError(void) { return LastErrorOf(LastError::kCursor); }

KSStatus KSReleaseCursor(KSHandle cursor) {
  KS_FORWARD_STATUS(KSReleaseCursor, cursor);
  return ReleaseOwned(GetState().cursors, cursor, &OpenTransaction::cursors);
}

KSStatus KSCursorSetUserData(KSHandle cursor, void* userData) {
  return SetUserData(GetState().cursors, cursor, userData);
}

KSStatus KSSetFetchBuffer(KSHandle cursor, int32_t records) {
  KS_FORWARD_STATUS(KSSetFetchBuffer, cursor, records);
  return CursorStatus(cursor, [&](OpenCursor& c) -> KSStatus {
    if (records < 1 || records > wire::kMaxFetchRows) return KS_ERR_INVALID_ARGUMENT;
    c.buffer.SetSize(records);
    return KS_OK;
  });
}

int32_t KSGetCount(KSHandle cursor) {
  KS_FORWARD(KSGetCount, cursor);
  return WithCursor<int32_t>(cursor, -1, [](OpenCursor& c) { return c.engine->Count(); });
}

KSStatus KSGotoFirst(KSHandle cursor) {
  KS_FORWARD_STATUS(KSGotoFirst, cursor);
  return CursorStatus(cursor, [](OpenCursor& c) { return c.engine->First(); });
}

KSStatus KSGotoLast(KSHandle cursor) {
  KS_FORWARD_STATUS(KSGotoLast, cursor);
  return CursorStatus(cursor, [](OpenCursor& c) { return c.engine->Last(); });
}

KSStatus KSGotoNext(KSHandle cursor) {
  KS_FORWARD_STATUS(KSGotoNext, cursor);
  return CursorStatus(cursor, [](OpenCursor& c) { return c.engine->Next(); });
}

KSStatus KSGotoPrevious(KSHandle cursor) {
  KS_FORWARD_STATUS(KSGotoPrevious, cursor);
  return CursorStatus(cursor,
                      [](OpenCursor& c) { return c.engine->Previous(); });
}

KSStatus KSGoto(KSHandle cursor, int32_t position) {
  KS_FORWARD_STATUS(KSGoto, cursor, position);
  return CursorStatus(cursor,
                      [&](OpenCursor& c) { return c.engine->Goto(position); });
}

KSStatus KSGotoRecordID(KSHandle cursor, KSRecordID id) {
  KS_FORWARD_STATUS(KSGotoRecordID, cursor, id);
  return CursorStatus(cursor,
                      [&](OpenCursor& c) { return c.engine->GotoRecord(id); });
}

KSStatus KSGotoFirstMatch(KSHandle cursor, KSHandle condition) {
  KS_FORWARD_STATUS(KSGotoFirstMatch, cursor, condition);
  return CursorStatus(cursor, [&](OpenCursor& c) -> KSStatus {
    if (condition == 0) return c.engine->First();
    const ConditionRef* found = GetState().conditions.Get(condition);
    return found ? c.engine->GotoFirstMatch(*found->condition) : KS_ERR_INVALID_HANDLE;
  });
}

KSStatus KSGetCurrentValues(KSHandle cursor, KSField* values) {
  if (auto held = HeldRow(cursor, rpc::F_KSGetCurrentValues, values)) return *held;
  KS_FORWARD_STATUS(KSGetCurrentValues, cursor, values);
  return CursorStatus(cursor, [&](OpenCursor& c) -> KSStatus {
    if (values == nullptr && !c.engine->Fields().empty()) return KS_ERR_INVALID_ARGUMENT;
    if (c.engine->Position() < 0) return KS_BEGIN_OF_TABLE;
    if (c.engine->Position() >= c.engine->Count()) return KS_END_OF_TABLE;
    if (!c.engine->OnRecord()) return KS_ERR_NO_SUCH_RECORD;
    return c.buffer.Current(*c.engine, true, values);
  });
}

KSStatus KSGetNextRecord(KSHandle cursor, KSField* values) {
  if (auto held = HeldRow(cursor, rpc::F_KSGetNextRecord, values)) return *held;
  KS_FORWARD_STATUS(KSGetNextRecord, cursor, values);
  return StepAndRead(cursor, values, true);
}

KSStatus KSGetPreviousRecord(KSHandle cursor, KSField* values) {
  if (auto held = HeldRow(cursor, rpc::F_KSGetPreviousRecord, values)) return *held;
  KS_FORWARD_STATUS(KSGetPreviousRecord, cursor, values);
  return StepAndRead(cursor, values, false);
}

int32_t KSGetCurrentRecordPos(KSHandle cursor) {
  if (auto held = HeldPlace(cursor, rpc::F_KSGetCurrentRecordPos)) return *held;
  KS_FORWARD(KSGetCurrentRecordPos, cursor);
  return WithCursor<int32_t>(cursor, -1, [](OpenCursor& c) { return PositionOf(c); });
}

KSRecordID KSGetCurrentRecordID(KSHandle cursor) {
  if (auto held = HeldPlace(cursor, rpc::F_KSGetCurrentRecordID)) return *held;
  KS_FORWARD(KSGetCurrentRecordID, cursor);
  return WithCursor<KSRecordID>(cursor, kNullRecord,
                                [](OpenCursor& c) { return c.engine->CurrentId(); });
}

KSStatus KSInsertNewRecord(KSHandle cursor, const KSField* values, int32_t count,
                           const char16_t* const* fieldNames, KSRecordID* newID) {
  KS_FORWARD_STATUS(KSInsertNewRecord, cursor, values, count, fieldNames, newID);
  if (newID != nullptr) *newID = kNullRecord;
  return CursorStatus(cursor, [&](OpenCursor& c) -> KSStatus {
    if (newID == nullptr) return KS_ERR_INVALID_ARGUMENT;
    std::vector<std::pair<size_t, Value>> written;
    if (const KSStatus s = WrittenValues(*c.engine, values, count, fieldNames, written); s != KS_OK)
      return s;
    return c.engine->Insert(written, *newID);
  });
}

KSStatus KSSetCurrentValues(KSHandle cursor, const KSField* values, int32_t count) {
  KS_FORWARD_STATUS(KSSetCurrentValues, cursor, values, count);
  return CursorStatus(cursor, [&](OpenCursor& c) -> KSStatus {
    std::vector<std::pair<size_t, Value>> written;
    if (const KSStatus s = WrittenValues(*c.engine, values, count, nullptr, written); s != KS_OK)
      return s;
    return written.empty() ? KS_OK : c.engine->SetCurrent(written);
  });
}

KSStatus KSDeleteCurrentRecord(KSHandle cursor) {
  KS_FORWARD_STATUS(KSDeleteCurrentRecord, cursor);
  return CursorStatus(cursor,
                      [](OpenCursor& c) { return c.engine->DeleteCurrent(); });
}

int32_t KSCursorIDCompare(KSHandle cursor, KSRecordID id1, KSRecordID id2) {
  KS_FORWARD(KSCursorIDCompare, cursor, id1, id2);
  return WithCursor<int32_t>(cursor, 0,
                             [&](OpenCursor& c) { return c.engine->CompareRecords(id1, id2); });
}

}  // extern "C"
