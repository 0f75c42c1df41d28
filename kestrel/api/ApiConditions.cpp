// Sort handles (a cursor's filter, sort and distinct fields) and conditions.
#include "kestrel/api/ApiState.h"

using namespace kestrel;
using namespace kestrel::api;

namespace {

KSHandle AddCondition(ConditionPtr condition) {
  return GetState().conditions.Add(std::make_unique<ConditionRef>(ConditionRef{std::move(condition)}));
}

// A condition made of others takes their handles over: they are released once it is made.
void Consume(KSHandle part, KSHandle other = 0) {
  State& s = GetState();
  s.conditions.Remove(part);
  if (other != part) s.conditions.Remove(other);
}

KSHandle Combine(Condition::Kind kind, KSHandle left, KSHandle right) {
  return Guard<KSHandle>(0, [&]() -> KSHandle {
    State& s = GetState();
    const ConditionRef* l = s.conditions.Get(left);
    const ConditionRef* r = s.conditions.Get(right);
    if ((left != 0 && l == nullptr) || (right != 0 && r == nullptr) || (l == nullptr && r == nullptr))
      return 0;
    // A missing part adds nothing: the other one is the result.
    const ConditionPtr made = l != nullptr && r != nullptr
                                  ? Condition::Both(kind, l->condition, r->condition)
                                  : (l != nullptr ? l : r)->condition;
    const KSHandle handle = AddCondition(made);
    if (handle != 0) Consume(left, right);
    return handle;
  });
}

template <typename F>
KSStatus WithSort(KSHandle sort, F&& body) {
  return Guard<KSStatus>(KS_ERR_INTERNAL, [&]() -> KSStatus {
    CursorShape* shape = GetState().sorts.Get(sort);
    return shape ? body(*shape) : KS_ERR_INVALID_HANDLE;
  });
}

}  // namespace

extern "C" {

KSHandle KSGetNewSortHandle(void) {
  return Guard<KSHandle>(0, [] { return GetState().sorts.Add(std::make_unique<CursorShape>()); });
}

KSStatus KSReleaseSortHandle(KSHandle sort) {
  return Guard<KSStatus>(KS_ERR_INTERNAL, [&] {
    return GetState().sorts.Remove(sort) ? KS_OK : KS_ERR_INVALID_HANDLE;
  });
}

KSStatus KSSetFilterCondition(KSHandle sort, KSHandle condition) {
  return WithSort(sort, [&](CursorShape& shape) -> KSStatus {
    const ConditionRef* c = GetState().conditions.Get(condition);
    if (condition != 0 && c == nullptr) return KS_ERR_INVALID_HANDLE;
    shape.filter = c ? c->condition : nullptr;
    return KS_OK;
  });
}

KSStatus KSAddSortField(KSHandle sort, const char16_t* fieldName, KSBool descending) {
  return WithSort(sort, [&](CursorShape& shape) -> KSStatus {
    if (fieldName == nullptr || *fieldName == u'\0') return KS_ERR_INVALID_ARGUMENT;
    shape.sort.push_back(SortField{Narrow(fieldName), descending != 0});
    return KS_OK;
  });
}

KSStatus KSAddDistinctField(KSHandle sort, const char16_t* fieldName) {
  return WithSort(sort, [&](CursorShape& shape) -> KSStatus {
    if (fieldName == nullptr || *fieldName == u'\0') return KS_ERR_INVALID_ARGUMENT;
    shape.distinct.push_back(Narrow(fieldName));
    return KS_OK;
  });
}

KSHandle KSMakeNewCondition(const char16_t* fieldName, int32_t op, const KSField* value,
                            int32_t target) {
  return Guard<KSHandle>(0, [&]() -> KSHandle {
    Value compared;
    if (fieldName == nullptr || *fieldName == u'\0' || value == nullptr || op < 0 || op > 5 ||
        target < 0 || target > 2 || !ComparableFromApiField(*value, compared))
      return 0;
    return AddCondition(Condition::Compare(Narrow(fieldName), op,
                                           static_cast<Condition::Target>(target),
                                           std::move(compared)));
  });
}

KSHandle KSMakeANDConditions(KSHandle left, KSHandle right) {
  return Combine(Condition::Kind::kAnd, left, right);
}

KSHandle KSMakeORConditions(KSHandle left, KSHandle right) {
  return Combine(Condition::Kind::kOr, left, right);
}

KSHandle KSMakeContainsFieldAsCondition(const char16_t* indexName, KSHandle condition,
                                        KSBool mode) {
  return Guard<KSHandle>(0, [&]() -> KSHandle {
    const ConditionRef* linked = GetState().conditions.Get(condition);
    if (indexName == nullptr || *indexName == u'\0' || (condition != 0 && linked == nullptr))
      return 0;
    const KSHandle handle = AddCondition(Condition::Contains(
        Narrow(indexName), linked ? linked->condition : nullptr, mode != 0));
    if (handle != 0) Consume(condition);
    return handle;
  });
}

KSStatus KSReleaseCondition(KSHandle condition) {
  return Guard<KSStatus>(KS_ERR_INTERNAL, [&] {
    return GetState().conditions.Remove(condition) ? KS_OK : KS_ERR_INVALID_HANDLE;
  });
}

}  // extern "C"
