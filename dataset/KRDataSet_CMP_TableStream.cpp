// The table's published properties, as the component stream writes and
// reads them.

#include <array>
#include <string_view>

#include "dataset/KRDataSet_CMP_Table.h"
#include "dataset/KRDataSet_CMP_Transactions.h"
#include "platform/vcl/ClassRegistry.h"
#include "platform/vcl/PublishedProperties.h"

namespace {

[[maybe_unused]] const bool kTableStreamRegistered = [] {
  RegisterComponentClass<TKRTable>("TKRTable");
  return true;
}();

constexpr std::array<std::string_view, 3> kOptionNames = {
    "krtoSyncRequiredFields", "krtoFloatFieldsCannotBeNull", "krtoEnumeratedFieldsCannotBeNull"};

}  // namespace

void TKRTable::GetPublishedProperties(TPublishedProperties& properties) {
  TDataSet::GetPublishedProperties(properties);
  properties.AddBoolean(
      "ReadOnly", [this] { return FReadOnly; }, [this](bool value) { SetReadOnly(value); });
  properties.AddString(
      "TableName", [this] { return FTableName; },
      [this](std::string value) { SetTableName(value); });
  properties.AddString(
      "IndexName", [this] { return FIndexName; },
      [this](std::string value) { SetIndexName(value); });
  properties.AddCollection("DistinctFields", FDistinctFields);
  properties.AddCollection("SortFields", FSortFields);
  properties.AddObject("Filter", FFilter);
  properties.AddInteger(
      "RecordCacheSize", [this] { return FRecordCacheSize; },
      [this](int32_t value) { SetRecordCacheSize(value); }, 1);
  properties.AddComponent(
      "MasterSource", [this]() -> TComponent* { return FMasterSource; },
      [this](TComponent* component) { SetMasterSource(dynamic_cast<TDataSource*>(component)); });
  properties.AddString(
      "MasterField", [this] { return FMasterField; },
      [this](std::string value) { FMasterField = value; });
  properties.AddComponent(
      "Transaction_", [this]() -> TComponent* { return FTransaction_; },
      [this](TComponent* component) { SetTransaction_(dynamic_cast<TKRTransaction*>(component)); });
  properties.AddBoolean(
      "UserDefinedFields", [this] { return FUserDefinedFields; },
      [this](bool value) { FUserDefinedFields = value; });
  properties.AddBoolean(
      "AutoCommit", [this] { return FAutoCommit; }, [this](bool value) { FAutoCommit = value; });
  properties.AddSet(
      "Options", kOptionNames, [this] { return FOptions.Bits(); },
      [this](uint64_t bits) { FOptions = TKRTableOptions::FromBits(bits); },
      TKRTableOptions{krtoSyncRequiredFields}.Bits());
}
