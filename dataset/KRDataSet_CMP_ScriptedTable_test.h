#pragma once
// A scripted Database API serving one class ("Thing", class ID 7) to a
// table: its field descriptions, its class access, and a cursor over rows
// that the test lists. The cursor answers sequences (unless told they are
// unknown), record IDs, counts, moves by ID and sequence, and finds the first
// row matching a condition "field = integer". Texts of statuses read
// "status <n>". The class's global indexes are `indexes`.

#include <gtest/gtest.h>

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
  ComPtr<TKRTransactionInterface> transaction = MakeComObject<TKRTransactionInterface>();

 private:
  int32_t Count() const { return int32_t(rows.size()); }
  bool OnRow() const { return position >= 0 && position < Count(); }
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
