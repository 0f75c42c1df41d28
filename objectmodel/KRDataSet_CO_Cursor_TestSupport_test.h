#pragma once
// A cursor owner for the cursor tests: what a table would tell its cursor,
// set by the test, and a log of what the cursor asked the table to do.

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "objectmodel/KRDataSet_CO_Cursor.h"
#include "objectmodel/KRDataSet_CO_Session_Interface.h"

namespace kr_session_test {

class TTestCursorOwner : public TKRCursorOwner {
 public:
  // A described, visible field.
  static TKRCursorField Field(const std::string& name) {
    TKRCursorField field;
    field.Name = name;
    field.Described = true;
    return field;
  }

  std::string GetTableName() override { return tableName; }
  std::string GetIndexName() override { return indexName; }
  KSClassID GetClassID() override { return classID; }
  std::vector<TKRCursorField> GetCursorFields() override { return fields; }
  const KSFieldDescription* FindFieldDescription(const std::string& fieldName) override {
    const auto found = descriptions.find(fieldName);
    return found == descriptions.end() ? nullptr : found->second;
  }
  KSHandle MakeFilterCondition() override { return filter ? filter() : 0; }
  std::vector<TKRCursorSortField> GetSortFields() override { return sortFields; }
  std::vector<std::string> GetDistinctFields() override { return distinctFields; }
  bool HasMasterSource() override { return hasMasterSource; }
  TKRCursorOwner* GetMasterTable() override { return master; }
  std::string GetMasterField() override { return masterField; }
  KSRecordID GetMasterRecordID() override { return masterRecordID; }
  int32_t GetRecordCacheSize() override { return recordCacheSize; }
  KSRecordID GetCurrentRecordID() override { return currentRecordID; }
  int32_t GetRecNo() override { return recNo; }
  bool GetActive() override { return active; }
  bool IsEmpty() override { return empty; }
  // As a table does, the resync reads the row count.
  void Resync(bool exact) override {
    log.push_back(exact ? "Resync(exact)" : "Resync");
    if (cursor != nullptr) count = cursor->Get_RecordCount();
  }
  void Close() override {
    log.push_back("Close");
    active = false;
  }
  bool DoBeforeCommit() override {
    log.push_back("DoBeforeCommit");
    return agreesToCommit;
  }
  void DoAfterCommit(bool success) override {
    log.push_back(std::string("DoAfterCommit(") + (success ? "true" : "false") + ")");
  }
  void RemapID(KSRecordID oldID, KSRecordID newID) override {
    log.push_back("RemapID(" + std::to_string(oldID) + ", " + std::to_string(newID) + ")");
  }

  std::string tableName = "Customer";
  std::string indexName;
  KSClassID classID = kKRNullClassID;
  std::vector<TKRCursorField> fields;
  std::map<std::string, const KSFieldDescription*> descriptions;
  std::function<KSHandle()> filter;
  std::vector<TKRCursorSortField> sortFields;
  std::vector<std::string> distinctFields;
  bool hasMasterSource = false;
  TKRCursorOwner* master = nullptr;
  std::string masterField;
  KSRecordID masterRecordID = kKRNullRecordID;
  int32_t recordCacheSize = 1;
  KSRecordID currentRecordID = kKRNullRecordID;
  int32_t recNo = 0;
  bool active = false;
  bool empty = false;
  bool agreesToCommit = true;
  // The cursor a resync reads through, and the count it read.
  IKRCursor* cursor = nullptr;
  int32_t count = -1;
  std::vector<std::string> log;
};

}  // namespace kr_session_test
