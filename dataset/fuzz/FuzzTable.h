#pragma once
// The table that the data-set layer's fuzzers read into: a component with a
// filter and the two field lists as its published properties, whose fields
// are those of the demo's supplier class (one of every kind a filter node
// keeps), and the bytes of its component stream.

#include <map>
#include <string>
#include <vector>

#include "dataset/KRDataSet_CMP_FieldNames.h"
#include "dataset/KRDataSet_CMP_Filter.h"
#include "platform/vcl/Component.h"
#include "platform/vcl/PublishedProperties.h"
#include "platform/vcl/Reader.h"
#include "platform/vcl/Streams.h"
#include "platform/vcl/Writer.h"

class TFuzzTable : public TComponent, public TKRFilterTable {
 public:
  TFuzzTable() : TComponent(nullptr) {
    for (const auto& [name, type] : std::map<std::string, int32_t>{
             {"name", KS_TYPE_STRING},        {"rating", KS_TYPE_ENUMERATED},
             {"leadTime", KS_TYPE_DURATION},  {"since", KS_TYPE_DATETIME},
             {"price", KS_TYPE_CURRENCY},     {"paid", KS_TYPE_BOOLEAN},
             {"weight", KS_TYPE_FLOAT},       {"supplierP", KS_TYPE_REFERENCE},
             {"photo", KS_TYPE_BLOB},         {"stock", KS_TYPE_INTEGER}}) {
      KSFieldDescription description{};
      description.type = type;
      FFields[name] = description;
    }
  }

  std::string_view ClassName() const override { return "TFuzzTable"; }
  void GetPublishedProperties(TPublishedProperties& properties) override {
    TComponent::GetPublishedProperties(properties);
    properties.AddCollection("DistinctFields", FDistinctFields);
    properties.AddCollection("SortFields", FSortFields);
    properties.AddObject("Filter", FFilter);
  }
  const KSFieldDescription* FindFieldDescription(const std::string& fieldName) override {
    if (fieldName == "id") return kKRIdentifierField;
    if (fieldName == "Count()") return kKRCountField;
    const auto found = FFields.find(fieldName);
    return found != FFields.end() ? &found->second : nullptr;
  }

  TKRFilter& Filter() { return FFilter; }
  bool SameContent(const TFuzzTable& other) const {
    return Name() == other.Name() && FFilter.Equals(other.FFilter) &&
           FDistinctFields.Equals(other.FDistinctFields) && FSortFields.Equals(other.FSortFields);
  }

  std::vector<uint8_t> Written() {
    TMemoryStream stream;
    TWriter writer(stream);
    writer.WriteRootComponent(*this);
    return stream.Bytes();
  }
  void Read(std::vector<uint8_t> bytes) {
    TMemoryStream stream(std::move(bytes));
    TReader reader(stream);
    reader.ReadRootComponent(*this);
  }

 private:
  std::map<std::string, KSFieldDescription> FFields;
  TKRFilter FFilter{this};
  TKRFieldNames FDistinctFields{this};
  TKRSortFields FSortFields{this};
};
