#pragma once
// Support for the data-set layer's tests: a table component that answers
// field descriptions from a list and keeps a filter and field lists as its
// published properties, and a scripted Database API whose conditions are
// texts, so that a test reads the condition a filter built and sees every
// handle that was not released.

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "dataset/KRDataSet_CMP_FieldNames.h"
#include "dataset/KRDataSet_CMP_Filter.h"
#include "objectmodel/KRAPI_UNT_Fake.h"
#include "objectmodel/KRAPI_UNT_Strings.h"
#include "platform/text/Utf.h"
#include "platform/vcl/Component.h"
#include "platform/vcl/PublishedProperties.h"
#include "platform/vcl/Reader.h"
#include "platform/vcl/Writer.h"

namespace kr_dataset_test {

// A table with the fields named in AddField, besides "id" and "Count()".
class TTestTable : public TComponent, public TKRFilterTable {
 public:
  explicit TTestTable(TComponent* owner = nullptr) : TComponent(owner) {}

  std::string_view ClassName() const override { return "TTestTable"; }
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

  void AddField(const std::string& name, int32_t type) {
    KSFieldDescription description{};
    description.type = type;
    FFields[name] = description;
  }
  // A field of every kind a filter node keeps, named as in the demo schema.
  void AddSalesFields() {
    AddField("name", KS_TYPE_STRING);
    AddField("city", KS_TYPE_STRING);
    AddField("rating", KS_TYPE_ENUMERATED);
    AddField("leadTime", KS_TYPE_DURATION);
    AddField("since", KS_TYPE_DATETIME);
    AddField("price", KS_TYPE_CURRENCY);
    AddField("paid", KS_TYPE_BOOLEAN);
    AddField("supplierP", KS_TYPE_REFERENCE);
    AddField("photo", KS_TYPE_BLOB);
  }

  TKRFilter& Filter() { return FFilter; }
  TKRFieldNames& DistinctFields() { return FDistinctFields; }
  TKRSortFields& SortFields() { return FSortFields; }

 private:
  std::map<std::string, KSFieldDescription> FFields;
  TKRFilter FFilter{this};
  TKRFieldNames FDistinctFields{this};
  TKRSortFields FSortFields{this};
};

// The component stream of `table`.
inline std::vector<uint8_t> WriteTable(TTestTable& table) {
  TMemoryStream stream;
  TWriter writer(stream);
  writer.WriteRootComponent(table);
  return stream.Bytes();
}

// Reads `bytes` into `table`.
inline void ReadTable(const std::vector<uint8_t>& bytes, TTestTable& table) {
  TMemoryStream stream(bytes);
  TReader reader(stream);
  reader.ReadRootComponent(table);
}

// Conditions as texts: a comparison reads "name op value" with the value as
// 'text', /expression/, [field] or a number; AND and OR put their parts in
// parentheses; contains-field-as reads "index ANY|ALL (condition)". Takes
// over handles as the library does, and answers 0 where it would.
class TConditionAPI : public TKRFakeAPI {
 public:
  TConditionAPI() {
    On<TKRAPIFunction::KSMakeNewCondition>(
        [this](TKRAPIString name, int32_t op, const KSField* value, int32_t target) -> KSHandle {
          if (name == nullptr || *name == 0 || value == nullptr) return 0;
          static const char* const kOperators[] = {"<", "<=", "=", "<>", ">=", ">"};
          return Make(ConvertAPIStringToString(name) + " " + kOperators[op] + " " +
                      ValueText(*value, target));
        });
    On<TKRAPIFunction::KSMakeANDConditions>(
        [this](KSHandle left, KSHandle right) { return Join(left, " AND ", right); });
    On<TKRAPIFunction::KSMakeORConditions>(
        [this](KSHandle left, KSHandle right) { return Join(left, " OR ", right); });
    On<TKRAPIFunction::KSMakeContainsFieldAsCondition>(
        [this](TKRAPIString index, KSHandle condition, KSBool mode) -> KSHandle {
          if (index == nullptr || *index == 0 || !Takeable(condition)) return 0;
          const std::string text = ConvertAPIStringToString(index) + (mode ? " ALL (" : " ANY (") +
                                   (condition != 0 ? FLive[condition] : "*") + ")";
          FLive.erase(condition);
          return Make(text);
        });
    On<TKRAPIFunction::KSReleaseCondition>([this](KSHandle condition) -> KSStatus {
      if (FLive.erase(condition) == 1) return KS_OK;
      ++FUnknownReleases;
      return KS_ERR_INVALID_HANDLE;
    });
  }

  // The text of a live condition.
  std::string Text(KSHandle condition) const {
    const auto found = FLive.find(condition);
    return found != FLive.end() ? found->second : "<no condition>";
  }
  // How many conditions are made and not yet released or taken over.
  size_t LiveCount() const { return FLive.size(); }
  // How many releases named no live condition (released twice, or after a
  // combination took it over): the library may have given the number anew.
  int UnknownReleases() const { return FUnknownReleases; }

 private:
  static std::string ValueText(const KSField& value, int32_t target) {
    if (target == krapicmpaRegularExpression) {
      return "/" + ConvertAPIStringToString(value.value.asString) + "/";
    }
    if (target == krapicmpaField) return "[" + ConvertAPIStringToString(value.value.asString) + "]";
    std::ostringstream text;
    switch (value.type) {
      case KS_TYPE_STRING:
        text << "'" << ConvertAPIStringToString(value.value.asString) << "'";
        break;
      case KS_TYPE_FLOAT:
      case KS_TYPE_CURRENCY:
        text << value.value.asDouble;
        break;
      default:
        text << value.value.asInteger;
    }
    return text.str();
  }
  bool Takeable(KSHandle condition) const { return condition == 0 || FLive.count(condition) == 1; }
  KSHandle Make(std::string text) {
    FLive[++FLast] = std::move(text);
    return FLast;
  }
  KSHandle Join(KSHandle left, const char* op, KSHandle right) {
    if (!Takeable(left) || !Takeable(right) || (left == 0 && right == 0)) return 0;
    const std::string text =
        left == 0 ? FLive[right] : right == 0 ? FLive[left] : "(" + FLive[left] + op + FLive[right] + ")";
    FLive.erase(left);
    FLive.erase(right);
    return Make(text);
  }

  std::map<KSHandle, std::string> FLive;
  KSHandle FLast = 0;
  int FUnknownReleases = 0;
};

}  // namespace kr_dataset_test
