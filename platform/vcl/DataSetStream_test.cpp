// Data sets, their persistent fields and data sources in the component
// stream.

#include <gtest/gtest.h>

#include "platform/vcl/BooleanField.h"
#include "platform/vcl/DataSource.h"
#include "platform/vcl/MemDataSet.h"
#include "platform/vcl/NumericFields.h"
#include "platform/vcl/Reader.h"
#include "platform/vcl/StringFields.h"
#include "platform/vcl/Writer.h"

namespace {

std::vector<uint8_t> Write(TComponent& root) {
  TMemoryStream stream;
  TWriter writer(stream);
  writer.WriteRootComponent(root);
  return stream.Bytes();
}

void Read(const std::vector<uint8_t>& bytes, TComponent& root) {
  TMemoryStream stream(bytes);
  TReader reader(stream);
  reader.ReadRootComponent(root);
}

template <class T>
T* Make(TComponent& owner, const char* name, TMemDataSet* dataSet, const char* fieldName) {
  auto* field = new T(&owner);
  field->SetName(name);
  field->SetFieldName(fieldName);
  field->SetDataSet(dataSet);
  return field;
}

std::unique_ptr<TDataModule> MakeModule() {
  auto module = std::make_unique<TDataModule>(nullptr);
  module->SetName("Module");
  auto* master = new TMemDataSet(module.get());
  master->SetName("Master");
  master->DefineField("ID", ftInteger);
  master->DefineField("Name", ftString, 8);
  master->DefineField("Flag", ftBoolean);
  master->DefineField("Amount", ftFloat);
  auto* id = Make<TIntegerField>(*module, "MasterID", master, "ID");
  id->SetMinValue(1);
  id->SetMaxValue(99);
  id->SetDisplayLabel("Number");
  Make<TStringField>(*module, "MasterName", master, "Name")->SetSize(8);
  module->FindComponent("MasterName")->SetTag(3);
  dynamic_cast<TField*>(module->FindComponent("MasterName"))->SetVisible(false);
  Make<TBooleanField>(*module, "MasterFlag", master, "Flag")->SetDisplayValues("Y;N");
  auto* amount = Make<TFloatField>(*module, "MasterAmount", master, "Amount");
  amount->SetCurrency(true);
  amount->SetPrecision(10);
  Make<TIntegerField>(*module, "MasterDoubled", master, "Doubled")->SetFieldKind(fkCalculated);
  master->Open();
  auto* source = new TDataSource(module.get());
  source->SetName("MasterSource");
  source->SetDataSet(master);
  source->SetAutoEdit(false);
  auto* detail = new TMemDataSet(module.get());
  detail->SetName("Detail");
  detail->DefineField("Owner", ftInteger);
  detail->SetMasterSource(source);
  detail->SetMasterField("ID");
  detail->SetDetailField("Owner");
  detail->SetReadOnly(true);
  return module;
}

TEST(DataSetStream, DataSetsFieldsAndSourcesAreReadBackAndReopened) {
  const auto bytes = Write(*MakeModule());
  TDataModule copy(nullptr);
  Read(bytes, copy);
  auto* master = dynamic_cast<TMemDataSet*>(copy.FindComponent("Master"));
  auto* source = dynamic_cast<TDataSource*>(copy.FindComponent("MasterSource"));
  auto* detail = dynamic_cast<TMemDataSet*>(copy.FindComponent("Detail"));
  ASSERT_TRUE(master && source && detail);
  EXPECT_TRUE(master->Active());  // opened by Loaded
  EXPECT_FALSE(master->DefaultFields());
  ASSERT_EQ(master->FieldCount(), 5);
  auto* id = dynamic_cast<TIntegerField*>(master->FieldByName("ID"));
  ASSERT_NE(id, nullptr);
  EXPECT_EQ(id->Owner(), &copy);
  EXPECT_EQ(id->Name(), "MasterID");
  EXPECT_EQ(id->MinValue(), 1);
  EXPECT_EQ(id->MaxValue(), 99);
  EXPECT_EQ(id->DisplayLabel(), "Number");
  EXPECT_EQ(id->FieldNo(), 1);
  const TField* name = master->FieldByName("Name");
  EXPECT_EQ(name->Size(), 8);
  EXPECT_FALSE(name->Visible());
  EXPECT_EQ(name->Tag(), 3);
  EXPECT_EQ(dynamic_cast<TBooleanField*>(master->FieldByName("Flag"))->DisplayValues(), "Y;N");
  auto* amount = dynamic_cast<TFloatField*>(master->FieldByName("Amount"));
  EXPECT_TRUE(amount->Currency());
  EXPECT_EQ(amount->Precision(), 10);
  EXPECT_TRUE(master->FieldByName("Doubled")->Calculated());
  EXPECT_EQ(source->DataSet(), master);
  EXPECT_FALSE(source->AutoEdit());
  EXPECT_EQ(source->State(), dsBrowse);
  EXPECT_EQ(detail->MasterSource(), source);
  EXPECT_EQ(detail->MasterField(), "ID");
  EXPECT_EQ(detail->DetailField(), "Owner");
  EXPECT_TRUE(detail->ReadOnly());
  EXPECT_FALSE(detail->Active());
  EXPECT_EQ(Write(copy), bytes);
  detail->Open();
  EXPECT_EQ(detail->FieldByName("Owner")->DataType(), ftInteger);  // the structure came too
}

// A root that writes every component it owns as its own child, fields too.
class FlatRoot : public TComponent {
 public:
  using TComponent::TComponent;
  std::string_view ClassName() const override { return "TFlatRoot"; }
  void GetChildren(const ChildProc& proc, TComponent*) override {
    for (int i = 0; i < ComponentCount(); ++i) proc(*Components(i));
  }
};

TEST(DataSetStream, AFieldMustBelongToADataSet) {
  FlatRoot root(nullptr);
  root.SetName("Root");
  (new TIntegerField(&root))->SetName("Loose");
  const auto bytes = Write(root);
  FlatRoot copy(nullptr);
  try {
    Read(bytes, copy);
    FAIL() << "read a field whose parent is not a data set";
  } catch (const EReadError& e) {
    EXPECT_EQ(e.Message(), "Field Loose cannot belong to Root");
  }
}

}  // namespace
