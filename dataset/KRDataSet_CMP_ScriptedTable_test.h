#pragma once
// A scripted Database API serving one class ("Thing", class ID 7) to a
// table: its field descriptions, its class access, and a cursor over rows
// that the test lists. The cursor answers sequences (unless told they are
// unknown), record IDs, counts, moves by ID and sequence, and finds the first
// row matching a condition "field = integer". Texts of statuses read
// "status <n>". The class's global indexes are `indexes`.
//
// Writing: an insert adds a row (IDs from 900 on) at `insertAt` (-1 the
// end) and stands on it, unless `insertStatus` is set (-11 creates the
// record without a row); a value change writes into the current row; a
// delete removes it. Every write is listed in `writes` as "insert",
// "set" or "delete" with "name=value" for each value.

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "dataset/KRDataSet_CMP_Table.h"
#include "objectmodel/KRDataSet_CO_Transaction.h"
#include "objectmodel/KRDataSet_CO_Transactions_TestSupport_test.h"
#include "platform/text/Utf.h"

namespace kr_dataset_test {

inline constexpr KSClassID kThingClass = 7;

struct TScriptedRow {
  KSRecordID ID = kKRNullRecordID;
  std::map<std::u16string, KSField> Values;
};

inline KSField IntegerValue(int32_t type, int32_t value) {
  KSField field{};
  field.type = type;
  field.value.asInteger = value;
  return field;
}

inline KSField DoubleValue(int32_t type, double value) {
  KSField field{};
  field.type = type;
  field.value.asDouble = value;
  return field;
}

inline KSField TextValue(const char16_t* text) {
  KSField field{};
  field.type = KS_TYPE_STRING;
  field.value.asString = text;
  return field;
}

inline KSFieldDescription Description(const char16_t* name, int32_t type, int32_t length = 0) {
  KSFieldDescription description{};
  description.name = name;
  description.type = type;
  description.length = length;
  description.actualAccess = KS_ACCESS_READ_WRITE;
  description.versionAccess = KS_ACCESS_READ_WRITE;
  return description;
}

// A table whose record hooks and ring size the tests reach directly.
class TExposedTable : public TKRTable {
 public:
  using TKRTable::TKRTable;
  using TKRTable::AllocRecordBuffer;
  using TKRTable::FreeRecordBuffer;
  using TKRTable::GetBookmarkData;
  using TKRTable::GetRecord;
  using TKRTable::SetBufferCount;
};

class TScriptedTableTest : public kr_session_test::TTransactionTest {
 protected:
  TScriptedTableTest() {
    auto& api = this->api;
    api.On<TKRAPIFunction::KSGetClassID>([](KSHandle, TKRAPIString name) {
      return std::u16string_view(name) == u"Thing" ? kThingClass : kKRNullClassID;
    });
    api.On<TKRAPIFunction::KSGetClassName>([this](KSHandle, KSClassID id) -> const char16_t* {
      return id == kThingClass && classNamed ? u"Thing" : nullptr;
    });
    api.On<TKRAPIFunction::KSGetFields>([this](KSHandle, TKRAPIString, KSBool, int32_t* count) {
      *count = int32_t(fields.size());
      return fields.empty() ? nullptr : fields.data();
    });
    api.On<TKRAPIFunction::KSGetClassRootAccess>([this](KSHandle, TKRAPIString) { return access; });
    api.On<TKRAPIFunction::KSGetGlobalIndexes>([this](KSHandle, TKRAPIString, int32_t* count) {
      *count = int32_t(indexes.size());
      return indexes.data();
    });
    api.On<TKRAPIFunction::KSFormatMessage>([this](KSHandle, KSStatus code, int32_t) {
      statusText = u"status " + Utf8ToUtf16(std::to_string(code));
      return statusText.c_str();
    });
    api.On<TKRAPIFunction::KSGetNewSortHandle>([] { return KSHandle(600); });
    api.On<TKRAPIFunction::KSCreateCursor>([this](KSHandle, TKRAPIString, const char16_t* const* names,
                                                  int32_t count, TKRAPIString, KSHandle) {
      if (refuseCursor) return KSHandle(0);
      cursorFields.assign(names, names + count);
      position = -1;
      return KSHandle(700);
    });
    api.On<TKRAPIFunction::KSGetLastCursorError>([this] { return cursorError; });
    api.On<TKRAPIFunction::KSGetCount>([this](KSHandle) { return int32_t(rows.size()); });
    api.On<TKRAPIFunction::KSGotoFirst>([this](KSHandle) { return MoveTo(0); });
    api.On<TKRAPIFunction::KSGotoLast>([this](KSHandle) { return MoveTo(Count() - 1); });
    api.On<TKRAPIFunction::KSGotoNext>([this](KSHandle) { return Step(1); });
    api.On<TKRAPIFunction::KSGotoPrevious>([this](KSHandle) { return Step(-1); });
    api.On<TKRAPIFunction::KSGoto>([this](KSHandle, int32_t at) {
      return at >= 0 && at < Count() ? MoveTo(at) : KSStatus(KS_ERR_INVALID_ARGUMENT);
    });
    api.On<TKRAPIFunction::KSGetCurrentValues>([this](KSHandle, KSField* values) {
      return Fill(values);
    });
    api.On<TKRAPIFunction::KSGetNextRecord>([this](KSHandle, KSField* values) {
      const KSStatus status = Step(1);
      return status == KS_OK ? Fill(values) : KSStatus(KS_NO_FURTHER_RECORD);
    });
    api.On<TKRAPIFunction::KSGetPreviousRecord>([this](KSHandle, KSField* values) {
      const KSStatus status = Step(-1);
      return status == KS_OK ? Fill(values) : KSStatus(KS_NO_FURTHER_RECORD);
    });
    api.On<TKRAPIFunction::KSGetCurrentRecordPos>([this](KSHandle) {
      return sequencesKnown && OnRow() ? position : -1;
    });
    api.On<TKRAPIFunction::KSGetCurrentRecordID>([this](KSHandle) {
      return OnRow() ? rows[size_t(position)].ID : kKRNullRecordID;
    });
    api.On<TKRAPIFunction::KSGotoRecordID>([this](KSHandle, KSRecordID id) {
      for (int32_t i = 0; i < Count(); ++i) {
        if (rows[size_t(i)].ID == id) return MoveTo(i);
      }
      return KSStatus(KS_ERR_NO_SUCH_RECORD);
    });
    api.On<TKRAPIFunction::KSMakeNewCondition>(
        [this](TKRAPIString name, int32_t, const KSField* value, int32_t) {
          conditions.push_back({name, value->value.asInteger});
          return KSHandle(800 + conditions.size() - 1);
        });
    api.On<TKRAPIFunction::KSGotoFirstMatch>([this](KSHandle, KSHandle handle) {
      const auto& [name, wanted] = conditions.at(size_t(handle - 800));
      for (int32_t i = 0; i < Count(); ++i) {
        const TScriptedRow& row = rows[size_t(i)];
        const int32_t value =
            name == u"id" ? row.ID : row.Values.count(name) ? row.Values.at(name).value.asInteger : 0;
        if (value == wanted) return MoveTo(i);
      }
      return KSStatus(KS_ERR_NO_SUCH_RECORD);
    });
    api.On<TKRAPIFunction::KSInsertNewRecord>(
        [this](KSHandle, const KSField* values, int32_t count, const char16_t* const* names,
               KSRecordID* newID) {
          *newID = nextID++;
          writes.push_back("insert" + Describe(values, count, names));
          if (insertStatus != KS_OK) return insertStatus;
          const int32_t at = insertAt < 0 ? Count() : insertAt;
          rows.insert(rows.begin() + at, {*newID, {}});
          Store(rows[size_t(at)], values, count, names);
          position = at;
          return KSStatus(KS_OK);
        });
    api.On<TKRAPIFunction::KSSetCurrentValues>([this](KSHandle, const KSField* values, int32_t count) {
      if (!OnRow()) return KSStatus(KS_END_OF_TABLE);
      writes.push_back("set " + std::to_string(rows[size_t(position)].ID) +
                       Describe(values, count, nullptr));
      Store(rows[size_t(position)], values, count, nullptr);
      return KSStatus(KS_OK);
    });
    api.On<TKRAPIFunction::KSDeleteCurrentRecord>([this](KSHandle) {
      if (!OnRow()) return KSStatus(KS_END_OF_TABLE);
      if (deleteStatus != KS_OK) return deleteStatus;
      writes.push_back("delete " + std::to_string(rows[size_t(position)].ID));
      rows.erase(rows.begin() + position);
      if (position >= Count()) position = Count() - 1;
      return KSStatus(KS_OK);
    });
    transaction->Set_ParentTransaction(Root().Get());
  }

  // A table on "Thing" in the test's transaction.
  void Prepare(TKRTable& table) {
    table.SetTransaction(transaction.Get());
    table.SetTableName("Thing");
  }

  // Rows with IDs first, first + 10, ...: their field `name` holds i.
  void AddRows(int32_t count, KSRecordID first = 100, const char16_t* name = u"number") {
    for (int32_t i = 0; i < count; ++i) {
      rows.push_back({first + 10 * i, {{name, IntegerValue(KS_TYPE_INTEGER, i)}}});
    }
  }

  std::vector<KSFieldDescription> fields;
  std::vector<TScriptedRow> rows;
  std::vector<const char16_t*> indexes = {u"byName"};
  int32_t access = KS_ACCESS_READ_WRITE;
  bool classNamed = true;
  bool sequencesKnown = true;
  bool refuseCursor = false;
  KSStatus cursorError = 0;
  int32_t position = -1;
  std::vector<std::u16string> cursorFields;
  std::vector<std::pair<std::u16string, int32_t>> conditions;
  std::u16string statusText;
  std::vector<std::string> writes;
  KSStatus insertStatus = KS_OK;
  KSStatus deleteStatus = KS_OK;
  int32_t insertAt = -1;
  KSRecordID nextID = 900;
  ComPtr<TKRTransactionInterface> transaction = MakeComObject<TKRTransactionInterface>();

 private:
  int32_t Count() const { return int32_t(rows.size()); }
  bool OnRow() const { return position >= 0 && position < Count(); }
  std::deque<std::u16string> texts;
  KSStatus MoveTo(int32_t at) {
    if (at < 0 || at >= Count()) return KS_NO_FURTHER_RECORD;
    position = at;
    return KS_OK;
  }
  KSStatus Step(int32_t by) {
    const int32_t next = position + by;
    if (next < 0 || next >= Count()) {
      position = next < 0 ? -1 : Count();
      return by > 0 ? KS_END_OF_TABLE : KS_BEGIN_OF_TABLE;
    }
    position = next;
    return KS_OK;
  }
  // " name=value" for each value: integers in decimal, texts as they are.
  std::string Describe(const KSField* values, int32_t count, const char16_t* const* names) {
    std::string text;
    for (int32_t i = 0; i < count; ++i) {
      const KSField& value = values[i];
      text += " " + Utf16ToUtf8(names != nullptr ? names[i] : value.name) + "=";
      text += value.type == KS_TYPE_STRING
                  ? Utf16ToUtf8(value.value.asString != nullptr ? value.value.asString : u"")
                  : std::to_string(value.value.asInteger);
    }
    return text;
  }
  // Keeps the values in `row`, with copies of their texts.
  void Store(TScriptedRow& row, const KSField* values, int32_t count,
             const char16_t* const* names) {
    for (int32_t i = 0; i < count; ++i) {
      KSField value = values[i];
      const std::u16string name = names != nullptr ? names[i] : value.name;
      if (value.type == KS_TYPE_STRING && value.value.asString != nullptr) {
        value.value.asString = texts.emplace_back(value.value.asString).c_str();
      }
      value.name = nullptr;
      row.Values[name] = value;
    }
  }
  KSStatus Fill(KSField* values) {
    if (!OnRow()) return KS_ERR_NO_SUCH_RECORD;
    const TScriptedRow& row = rows[size_t(position)];
    for (size_t i = 0; i < cursorFields.size(); ++i) {
      const auto found = row.Values.find(cursorFields[i]);
      values[i] = cursorFields[i] == u"id" ? IntegerValue(KS_TYPE_ID, row.ID)
                  : found != row.Values.end() ? found->second
                                              : KSField{};
    }
    return KS_OK;
  }
};

}  // namespace kr_dataset_test
