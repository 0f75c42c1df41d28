#pragma once
// TKRFieldDefsBuilder: makes a table's field definitions for one class from
// what its session describes, laying the fields out in the record buffer
// (KRDataSet_CMP_FieldMapping.h) as it goes.
//
// - Build: with persistent fields, one definition for each of them (a
//   persistent field the class does not describe keeps its own type and is
//   marked undescribed); without, the record-ID field "id" and then every
//   described field of the class and its bases except record IDs and link
//   indexes (types 1 and 14). A null class gets no definitions.
// - GetFieldDescription raises "Unknown field '<name>'" for a path the class
//   does not have; GetFieldDescriptions raises "Invalid table name
//   '<table>'" for a class the session does not know (a known class without
//   fields has no descriptions and only the field "id").
//
// The session's answers are only valid until its next call; definitions
// keep their own copies.

#include <cstdint>
#include <string>
#include <vector>

#include "dataset/KRDataSet_CMP_FieldMapping.h"
#include "objectmodel/KRDataSet_CO_Session_Interface.h"

class TKRFieldDefsBuilder {
 public:
  TKRFieldDefsBuilder(TFieldDefs& defs, IKRSession& session, KSClassID classID,
                      std::string tableName)
      : FDefs(defs), FSession(session), FClassID(classID), FTableName(std::move(tableName)) {}

  // Clears the definitions and makes them again (see above).
  void Build(const std::vector<TField*>& persistentDataFields);
  // One definition: from `source.Description` when it is given, else from
  // the session's description of `name` (or the persistent field's own type
  // when the class does not describe it). Null for types 1 and 14.
  TKRFieldDef* Add(const std::string& name, TKRFieldDefSource source);

  const KSFieldDescription* GetFieldDescription(const std::string& name, bool includeCount);
  TKRFieldDescriptions GetFieldDescriptions();

  // The bytes of field data in a record buffer so far.
  int32_t RecordDataSize() const { return FRecordDataSize; }

 private:
  TFieldDefs& FDefs;
  IKRSession& FSession;
  KSClassID FClassID;
  std::string FTableName;
  int32_t FRecordDataSize = 0;
};
