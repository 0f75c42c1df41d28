// The table's record buffers, field values, navigation and bookmarks.

#include <cstring>

#include "dataset/KRDataSet_CMP_Errors.h"
#include "dataset/KRDataSet_CMP_Table.h"
#include "dataset/KRDataSet_CMP_TableBuffer.h"
#include "objectmodel/KRAPI_UNT.h"
#include "objectmodel/KRAPI_UNT_Strings.h"
#include "objectmodel/KRDateConversion_UNT.h"
#include "platform/text/Utf.h"
#include "platform/vcl/DBConsts.h"

namespace {

constexpr int32_t kBlobSlotSize = 1 + int32_t(sizeof(TKRBlobBytes*));
constexpr int32_t kAPINullDuration = 2147483647;

}  // namespace

// --- The buffer layout ---------------------------------------------------------------

TRecordBuffer TKRTable::AllocRecordBuffer() {
  auto* buffer = new uint8_t[size_t(FRecordSize)]();
  for (size_t i = 0; i < FBlobDefs.size(); ++i) {
    WriteAt(buffer + FFieldStateOffset + int32_t(i) * kBlobSlotSize + 1, new TKRBlobBytes);
  }
  return buffer;
}

void TKRTable::FreeRecordBuffer(TRecordBuffer& buffer) {
  for (size_t i = 0; i < FBlobDefs.size(); ++i) delete BlobOf(buffer, int32_t(i));
  delete[] buffer;
  buffer = nullptr;
}

TKRBlobBytes* TKRTable::BlobOf(TRecordBuffer buffer, int32_t blobIndex) const {
  return ReadAt<TKRBlobBytes*>(buffer + FFieldStateOffset + blobIndex * kBlobSlotSize + 1);
}

uint8_t& TKRTable::StateOf(TRecordBuffer buffer, const TKRFieldDef& def) const {
  const int32_t blob = FBlobIndex[size_t(def.FieldNo() - 1)];
  return blob >= 0 ? buffer[FFieldStateOffset + blob * kBlobSlotSize]
                   : buffer[def.BufferOffset() - 1];
}

TKRBookmark TKRTable::BookmarkOf(TRecordBuffer buffer) const {
  return ReadAt<TKRBookmark>(buffer + FBookmarkOffset);
}

void TKRTable::GetBookmarkData(TRecordBuffer buffer, void* data) const {
  std::memcpy(data, buffer + FBookmarkOffset, sizeof(TKRBookmark));
}

void TKRTable::SetBookmarkData(TRecordBuffer buffer, const void* data) {
  if (GetBookmarkFlag(buffer) == bfInserted) return;
  std::memcpy(buffer + FBookmarkOffset, data, sizeof(TKRBookmark));
}

TBookmarkFlag TKRTable::GetBookmarkFlag(TRecordBuffer buffer) const {
  return static_cast<TBookmarkFlag>(buffer[FBookmarkFlagOffset]);
}

void TKRTable::SetBookmarkFlag(TRecordBuffer buffer, TBookmarkFlag flag) {
  buffer[FBookmarkFlagOffset] = static_cast<uint8_t>(flag);
}

// --- Filling buffers -------------------------------------------------------------------

TGetResult TKRTable::GetRecord(TRecordBuffer buffer, TGetMode mode, bool doCheck) {
  ComPtr<IKRCursor> held;
  IKRCursor& cursor = CursorForCall(held);
  int32_t sequence = -1;
  KSStatus status = KS_OK;
  KSRecordID id = kKRNullRecordID;
  // The record an insert in progress created is shown by the insert
  // buffer alone: a step passes over it.
  do {
    switch (mode) {
      case gmCurrent:
        status = cursor.GetCurrentRecord(FValues.data(), sequence);
        break;
      case gmNext:
        status = cursor.GetNextRecord(FValues.data(), sequence);
        break;
      case gmPrior:
        status = cursor.GetPreviousRecord(FValues.data(), sequence);
        break;
    }
    if (status != KS_OK) break;
    id = FIdentifierValue >= 0 ? FValues[size_t(FIdentifierValue)].value.asInteger
                               : KRAPI().KSGetCurrentRecordID(cursor.Get_Handle());
    if (id == FPendingRecordID && FPendingRecordID != kKRNullRecordID && mode == gmCurrent) {
      status = kKRNoErrorRecord;
    }
  } while (status == KS_OK && id == FPendingRecordID && FPendingRecordID != kKRNullRecordID);
  if (status == KS_OK) {
    FillBufferWithFields(buffer, FValues.data(), sequence, id);
    if (FUDFActive) GetUserDefinedFields(buffer, id);
    GetCalcFields(buffer);
    return grOK;
  }
  if (status == KS_BEGIN_OF_TABLE) return grBOF;
  if (status == KS_END_OF_TABLE) return grEOF;
  if (doCheck) CheckAPIErrorCode(status);
  return grError;
}

void TKRTable::FillBufferWithFields(TRecordBuffer buffer, const KSField* values,
                                    int32_t sequence, KSRecordID id) {
  for (size_t i = 0; i < FCursorDefs.size(); ++i) {
    FillBufferWithField(buffer, *FCursorDefs[i], values[i]);
  }
  for (const TKRFieldDef* def : FEmptiedDefs) EmptyField(buffer, *def);
  WriteAt(buffer + FBookmarkOffset, TKRBookmark{id, sequence});
  SetBookmarkFlag(buffer, bfCurrent);
}

void TKRTable::FillBufferWithField(TRecordBuffer buffer, const TKRFieldDef& def,
                                   const KSField& value) {
  StateOf(buffer, def) = krfsLoaded;
  const int32_t blob = FBlobIndex[size_t(def.FieldNo() - 1)];
  if (blob >= 0) {
    TKRBlobBytes& bytes = *BlobOf(buffer, blob);
    if (def.APIFieldType() == KS_TYPE_BLOB) {
      const auto* data = static_cast<const uint8_t*>(value.value.asBlob);
      bytes.assign(data, data + (data != nullptr ? value.blobLength : 0));
    } else {
      // A memo keeps its text as its field reads it: narrow (UTF-8).
      const std::string text = ConvertAPIStringToString(value.value.asString);
      bytes.assign(text.begin(), text.end());
    }
    return;
  }
  uint8_t* data = buffer + def.BufferOffset();
  switch (def.APIFieldType()) {
    case KS_TYPE_FLOAT:
    case KS_TYPE_CURRENCY:
      WriteAt(data, value.value.asDouble);
      break;
    case KS_TYPE_DATETIME:
      // The API's null (0) stays the null date-time 0.0.
      WriteAt(data, value.value.asStamp == 0 ? 0.0 : ConvertUTCToDateTime(value.value.asStamp));
      break;
    case KS_TYPE_STRING: {
      // The area holds Size() characters and the terminator.
      WriteTextAt(data, value.value.asString, def.Size());
      break;
    }
    default:
      WriteAt(data, value.value.asInteger);
  }
}

void TKRTable::EmptyField(TRecordBuffer buffer, const TKRFieldDef& def) {
  StateOf(buffer, def) = krfsEmpty;
  const int32_t blob = FBlobIndex[size_t(def.FieldNo() - 1)];
  if (blob >= 0) BlobOf(buffer, blob)->clear();
}

void TKRTable::InternalInitRecord(TRecordBuffer buffer) {
  std::memset(buffer, 0, size_t(FRecordDataSize + CalcFieldsSize()));
  WriteAt(buffer + FBookmarkOffset, TKRBookmark{});
  const ComPtr<IKRSession> session = GetSession();
  for (int32_t i = 0; i < FieldDefs().Count(); ++i) {
    const auto& def = static_cast<const TKRFieldDef&>(FieldDefs()[i]);
    EmptyField(buffer, def);
    if (!IsRealFieldDescription(def.Description()) || def.Description() == kKRUserDefinedField ||
        def.Description() == kKRUndescribedField) {
      continue;
    }
    if (const KSField* value = session->GetFieldDefaultValue(FClassID, Utf8ToUtf16(def.Name()))) {
      FillBufferWithField(buffer, def, *value);
    }
  }
}

// --- Field values ----------------------------------------------------------------------

TRecordBuffer TKRTable::GetActiveRecordBuffer() const {
  switch (State()) {
    case dsBrowse:
    case dsBlockRead:
      return TDataSet::IsEmpty() ? nullptr : ActiveBuffer();
    case dsEdit:
    case dsInsert:
      return ActiveBuffer();
    case dsCalcFields:
      return CalcBuffer();
    case dsFilter:
      return FLookupBuffer;
    default:
      return nullptr;
  }
}

bool TKRTable::IsAPINullValue(int32_t apiType, const void* data) const {
  const auto* bytes = static_cast<const uint8_t*>(data);
  switch (apiType) {
    case KS_TYPE_DURATION:
      return ReadAt<int32_t>(bytes) == kAPINullDuration;
    case KS_TYPE_FLOAT:
      return !FOptions.Contains(krtoFloatFieldsCannotBeNull) && ReadAt<double>(bytes) == 0.0;
    case KS_TYPE_DATETIME:
      return ReadAt<double>(bytes) == 0.0;
    case KS_TYPE_STRING:
      return ReadAt<char16_t>(bytes) == 0;
    case KS_TYPE_ENUMERATED:
      return !FOptions.Contains(krtoEnumeratedFieldsCannotBeNull) && ReadAt<int32_t>(bytes) == 0;
    case KS_TYPE_REFERENCE:
      return ReadAt<int32_t>(bytes) == kKRNullRecordID;
    default:
      return false;
  }
}

bool TKRTable::GetFieldData(TField* field, void* buffer) {
  const TRecordBuffer record = GetActiveRecordBuffer();
  if (record == nullptr) return false;
  if (field->FieldNo() < 1) return ReadCalcField(record, *field, buffer);
  const TKRFieldDef& def = *DefOf(*field);
  // A blob has a value when its slot holds bytes, whatever its state (a
  // stream that writes sets state 4 before it writes).
  const int32_t blob = FBlobIndex[size_t(def.FieldNo() - 1)];
  if (blob >= 0) return !BlobOf(record, blob)->empty();
  const uint8_t state = StateOf(record, def);
  if (state == krfsEmpty || state == krfsNull) return false;
  const uint8_t* data = record + def.BufferOffset();
  if (IsAPINullValue(def.APIFieldType(), data)) return false;
  if (buffer == nullptr) return true;
  switch (def.DataType()) {
    case ftBoolean:
      WriteAt(static_cast<uint8_t*>(buffer), int16_t(ReadAt<KSBool>(data) != 0 ? -1 : 0));
      break;
    case ftDate:
    case ftTime:
    case ftDateTime: {
      const TDateTime value = ReadAt<double>(data);
      DataConvert(field, &value, buffer, true);
      break;
    }
    case ftString: {
      const size_t room = size_t(std::max(def.Size(), 0) + 1) * sizeof(char16_t);
      std::memcpy(buffer, data, std::min(room, size_t(field->DataSize())));
      break;
    }
    case ftFloat:
    case ftCurrency:
      std::memcpy(buffer, data, sizeof(double));
      break;
    default:
      std::memcpy(buffer, data, sizeof(int32_t));
  }
  return true;
}

// --- Navigation ----------------------------------------------------------------------------

void TKRTable::InternalFirst() { CheckAPIErrorCode(GetCursor()->GoToBeginningOfTable()); }

void TKRTable::InternalLast() { CheckAPIErrorCode(GetCursor()->GoToEndOfTable()); }

void TKRTable::InternalSetToRecord(TRecordBuffer buffer) {
  const TKRBookmark bookmark = BookmarkOf(buffer);
  InternalGotoBookmark(&bookmark);
}

void TKRTable::InternalGotoBookmark(const void* bookmark) {
  const auto target = ReadAt<TKRBookmark>(static_cast<const uint8_t*>(bookmark));
  if (target.RecordID == kKRNullRecordID) return;
  const KSStatus status = GetCursor()->GoToRecordID(target.RecordID);
  if (status == KS_OK || status == KS_ERR_NO_MASTER_RECORD) return;
  // The ring is filled again from wherever the cursor is: a record that is
  // gone is no reason to fail the move.
  Trace("InternalGoToBookmark: " + Utf16ToUtf8(GetSession()->GetErrorText(status)), 2);
}

KSRecordID TKRTable::GetRecordID() const {
  if (!Active() || BookmarkSize() == 0) return kKRNullRecordID;
  if (State() == dsCalcFields) return BookmarkOf(CalcBuffer()).RecordID;
  if (TDataSet::IsEmpty()) return kKRNullRecordID;
  return BookmarkOf(ActiveBuffer()).RecordID;
}

int32_t TKRTable::GetRecNo() const {
  CheckActive();
  if (!IsCursorOpen()) return -1;
  if (State() == dsCalcFields) return BookmarkOf(CalcBuffer()).Sequence + 1;
  if (TDataSet::IsEmpty()) return 0;
  return BookmarkOf(ActiveBuffer()).Sequence + 1;
}

void TKRTable::SetRecNo(int32_t value) {
  CheckBrowseMode();
  if (value == GetRecNo()) return;
  DoBeforeScroll();
  CheckAPIErrorCode(GetCursor()->GoToRecordSequence(value - 1));
  TDataSet::Resync(TResyncMode{rmCenter});
  DoAfterScroll();
}

int32_t TKRTable::GetRecordCount() const {
  CheckActive();
  const ComPtr<IKRCursor> cursor = const_cast<TKRTable&>(*this).GetCursor();
  if (!cursor->Get_Connected()) return 0;
  // A pending record the cursor shows counts as the insert buffer only.
  const bool pendingShown = FPendingRecordID != kKRNullRecordID && !FImmediateInsertFailed;
  return cursor->Get_RecordCount() - (pendingShown ? 1 : 0);
}

// --- Bookmarks -------------------------------------------------------------------------------

bool TKRTable::BookmarkValid(const TBookmark& bookmark) {
  return bookmark.size() >= sizeof(TKRBookmark) &&
         ReadAt<TKRBookmark>(bookmark.data()).RecordID != kKRNullRecordID;
}

int32_t TKRTable::HeldBufferIndexOf(KSRecordID id) const {
  for (int32_t i = 0; i < BufferedRecordCount(); ++i) {
    if (BookmarkOf(Buffers(i)).RecordID == id) return i;
  }
  return -1;
}

namespace {

int32_t Compare(int64_t a, int64_t b) { return a < b ? -1 : a > b ? 1 : 0; }

}  // namespace

int32_t TKRTable::CompareBookmarks(const TBookmark& a, const TBookmark& b) {
  if (!BookmarkValid(a) || !BookmarkValid(b)) return TDataSet::CompareBookmarks(a, b);
  const auto first = ReadAt<TKRBookmark>(a.data());
  const auto second = ReadAt<TKRBookmark>(b.data());
  if (first.Sequence != -1) return Compare(first.Sequence, second.Sequence);
  if (first.RecordID == second.RecordID) return 0;
  const int32_t firstHeld = HeldBufferIndexOf(first.RecordID);
  const int32_t secondHeld = HeldBufferIndexOf(second.RecordID);
  if (firstHeld >= 0 && secondHeld >= 0) return Compare(firstHeld, secondHeld);
  return GetCursor()->CompareIDs(first.RecordID, second.RecordID);
}

// --- Searching ---------------------------------------------------------------------------------

bool TKRTable::FindRecordID(KSRecordID id) {
  if (id == kKRNullRecordID) return false;
  if (GetRecordID() == id) return true;
  return Locate("id", OleVariant(id), {});
}

bool TKRTable::InternalLocate(std::string_view keyFields, const OleVariant& keyValues,
                              TLocateOptions options) {
  if (keyValues.IsNull() || keyValues.IsEmpty() || TDataSet::IsEmpty()) return false;
  TKRFilter filter(this);
  std::vector<std::string> names;
  for (size_t start = 0; start <= keyFields.size();) {
    const size_t end = std::min(keyFields.find(';', start), keyFields.size());
    names.emplace_back(keyFields.substr(start, end - start));
    start = end + 1;
  }
  for (size_t i = 0; i < names.size(); ++i) {
    if (names[i] != "id" && FieldDefs().IndexOf(names[i]) < 0) continue;
    TKRFieldFilterNode& node = filter.Add(krloAnd);
    node.SetFieldName(names[i]);
    node.SetOperator(krapicoEqual);
    // A text key is the value itself, never a pattern.
    node.SetLiteral(true);
    node.SetIgnoreCase(options.Contains(loCaseInsensitive));
    node.SetMatchStart(options.Contains(loPartialKey));
    node.SetFieldValue(names.size() == 1 ? keyValues
                                         : keyValues[keyValues.LowBound() + int32_t(i)]);
  }
  if (filter.IsEmpty()) return false;
  const TKRAPICondition condition = filter.GetAsAPICondition();
  const KSStatus status = GetCursor()->GoToFirstMatch(condition.Get());
  CursorPosChanged();
  return status == KS_OK;
}

bool TKRTable::Locate(std::string_view keyFields, const OleVariant& keyValues,
                      TLocateOptions options) {
  CheckBrowseMode();
  if (!InternalLocate(keyFields, keyValues, options)) return false;
  DoBeforeScroll();
  TDataSet::Resync(TResyncMode{rmExact, rmCenter});
  DoAfterScroll();
  return true;
}

OleVariant TKRTable::Lookup(std::string_view keyFields, const OleVariant& keyValues,
                            std::string_view resultFields) {
  CheckBrowseMode();
  if (!InternalLocate(keyFields, keyValues, {})) return OleVariant::Null();
  // The record found is read into a buffer of its own, so that the current
  // record stays what the table shows.
  FLookupBuffer = AllocRecordBuffer();
  OleVariant result;
  const TDataSetState saved = SetTempState(dsFilter);
  try {
    if (GetRecord(FLookupBuffer, gmCurrent, true) == grOK) result = GetFieldValues(resultFields);
  } catch (...) {
    RestoreState(saved);
    FreeRecordBuffer(FLookupBuffer);
    throw;
  }
  RestoreState(saved);
  FreeRecordBuffer(FLookupBuffer);
  return result;
}

// --- Index names -------------------------------------------------------------------------------

bool TKRTable::IsIndexValid(const std::string& name) {
  if (name.empty()) return true;
  const ComPtr<IKRSession> session = GetSession();
  const std::u16string index = Utf8ToUtf16(name);
  if (FMasterSource != nullptr) {
    TKRCursorOwner* master = GetMasterTable();
    if (master == nullptr) return false;
    const KSFieldDescription* field =
        FMasterField.empty() ? nullptr : master->FindFieldDescription(FMasterField);
    const KSClassID masterClass =
        IsRealFieldDescription(field)
            ? session->GetClassID(ConvertAPIStringToWideString(field->referencedClass))
            : master->GetClassID();
    const KSFieldDescription* description = session->GetIndexDescription(masterClass, index);
    if (description == nullptr) return false;
    if (FTableName.empty()) return true;
    const KSClassID indexClass =
        session->GetClassID(ConvertAPIStringToWideString(description->referencedClass));
    const KSClassID tableClass = GetClassID();
    return indexClass == tableClass || session->IsSubClassOf(tableClass, indexClass) ||
           session->IsSubClassOf(indexClass, tableClass);
  }
  if (FTableName.empty() || GetClassID() == kKRNullClassID) return true;
  const ComPtr<IKRStringList> names = session->GetGlobalIndexNames(FClassID);
  for (int32_t i = 0; names && i < names->Get_Count(); ++i) {
    if (names->Get_Strings(i) == index) return true;
  }
  return false;
}

bool TKRTable::IsIndexUsable(const std::string& name) {
  try {
    return IsIndexValid(name);
  } catch (const Exception&) {
    // The session could not answer: the index cannot be used either.
    return false;
  }
}

void TKRTable::SetIndexName(const std::string& value) {
  if (value == FIndexName) return;
  if (!ComponentState().Contains(csLoading)) {
    if (Active()) CheckBrowseMode();
    DisconnectCursor();
    if (!IsIndexUsable(value)) KRTableError(*this, "invalid index name: '" + value + "'");
  }
  FIndexName = value;
  if (Active() && BufferCount() > 0) TDataSet::Resync(TResyncMode{});
}
