// The error list of a read-write transaction: its own errors after those of
// its read-write children.

#include "objectmodel/KRDataSet_CO_Errors.h"
#include "objectmodel/KRDataSet_CO_ReadWriteTransaction.h"

template <class I>
int32_t TKRReadWriteTransactionInterface<I>::Get_ErrorCount() {
  return this->Guard([&] {
    int32_t count = FErrors ? int32_t(FErrors->size()) : 0;
    ForEachReadWriteChild([&](IKRReadWriteTransaction& child) { count += child.Get_ErrorCount(); });
    return count;
  });
}

template <class I>
ComPtr<IKRDBError> TKRReadWriteTransactionInterface<I>::Get_Errors(int32_t index) {
  return this->Guard([&]() -> ComPtr<IKRDBError> {
    if (index < 0) return nullptr;
    int32_t offset = 0;
    bool answered = false;
    ComPtr<IKRDBError> error;
    ForEachReadWriteChild([&](IKRReadWriteTransaction& child) {
      if (answered) return;
      const int32_t count = child.Get_ErrorCount();
      if (index < offset + count) {
        error = child.Get_Errors(index - offset);
        answered = true;
      }
      offset += count;
    });
    if (answered) return error;
    const int32_t own = index - offset;
    return FErrors && own < int32_t(FErrors->size()) ? (*FErrors)[size_t(own)] : nullptr;
  });
}

template <class I>
bool TKRReadWriteTransactionInterface<I>::Get_OnlyWarnings() {
  return this->Guard([&] {
    const int32_t count = Get_ErrorCount();
    for (int32_t i = 0; i < count; ++i) {
      const ComPtr<IKRDBError> error = Get_Errors(i);
      if (error && error->Get_Severity() > 0) return false;
    }
    return true;
  });
}

template <class I>
ComPtr<IKRDBError> TKRReadWriteTransactionInterface<I>::AddError(int32_t rscStringID,
                                                                 int32_t severity,
                                                                 const OleVariant& arguments,
                                                                 bool notify) {
  return this->Guard([&] {
    const ComPtr<IKRDBError> error =
        MakeComObject<TKRLocalDBError>(rscStringID, arguments, severity);
    OwnErrors().push_back(error);
    if (notify) NotifyErrorCountChange();
    return error;
  });
}

template <class I>
bool TKRReadWriteTransactionInterface<I>::AddNewErrors(bool notify) {
  return this->Guard([&] {
    bool added = false;
    ForEachReadWriteChild([&](IKRReadWriteTransaction& child) {
      if (child.AddNewErrors(notify)) added = true;
    });
    if (!this->Get_Connected()) return added;
    int32_t count = 0;
    const KSErrorRecord* records = KRAPI().KSGetLastErrors(this->FHandle, &count);
    if (records == nullptr || count <= 0) return added;
    const ComPtr<IKRSession> session = Get_Session();
    const KSHandle sessionHandle = session ? session->Get_Handle() : 0;
    for (int32_t i = 0; i < count; ++i) {
      OwnErrors().push_back(MakeComObject<TKRServerDBError>(sessionHandle, &records[i]));
    }
    if (notify) NotifyErrorCountChange();
    return true;
  });
}

template <class I>
bool TKRReadWriteTransactionInterface<I>::ClearErrors(bool notify) {
  return this->Guard([&] {
    bool cleared = false;
    ForEachReadWriteChild([&](IKRReadWriteTransaction& child) {
      if (child.ClearErrors(notify)) cleared = true;
    });
    if (!FErrors) return cleared;
    const bool held = !FErrors->empty();
    FErrors.reset();
    if (held && notify) NotifyErrorCountChange();
    return cleared || held;
  });
}

template <class I>
bool TKRReadWriteTransactionInterface<I>::RefreshErrors(bool notify) {
  return this->Guard([&] {
    const int32_t before = Get_ErrorCount();
    ClearErrors(false);
    AddNewErrors(false);
    const bool changed = Get_ErrorCount() != before;
    if (changed && notify) NotifyErrorCountChange();
    return changed;
  });
}

template <class I>
void TKRReadWriteTransactionInterface<I>::NotifyErrorCountChange() {
  this->Guard([&] {
    OleVariant data;
    this->SendEvent(kKREventErrorCountChange, data);
    const ComPtr<IKRReadWriteTransaction> parent = ReadWriteParent();
    if (parent && !parent->Get_Persistent()) parent->NotifyErrorCountChange();
  });
}

template <class I>
std::vector<ComPtr<IKRDBError>>& TKRReadWriteTransactionInterface<I>::OwnErrors() {
  if (!FErrors) FErrors = std::make_unique<std::vector<ComPtr<IKRDBError>>>();
  return *FErrors;
}

#define KR_INSTANTIATE_ERROR_LIST(I)                                                            \
  template int32_t TKRReadWriteTransactionInterface<I>::Get_ErrorCount();                       \
  template ComPtr<IKRDBError> TKRReadWriteTransactionInterface<I>::Get_Errors(int32_t);         \
  template bool TKRReadWriteTransactionInterface<I>::Get_OnlyWarnings();                        \
  template ComPtr<IKRDBError> TKRReadWriteTransactionInterface<I>::AddError(                    \
      int32_t, int32_t, const OleVariant&, bool);                                               \
  template bool TKRReadWriteTransactionInterface<I>::AddNewErrors(bool);                        \
  template bool TKRReadWriteTransactionInterface<I>::ClearErrors(bool);                         \
  template bool TKRReadWriteTransactionInterface<I>::RefreshErrors(bool);                       \
  template void TKRReadWriteTransactionInterface<I>::NotifyErrorCountChange();                  \
  template std::vector<ComPtr<IKRDBError>>& TKRReadWriteTransactionInterface<I>::OwnErrors();
KR_FOR_EACH_READ_WRITE_KIND(KR_INSTANTIATE_ERROR_LIST)
