#pragma once
// Blob fields (ftBlob, ftMemo): values kept outside the record buffer and
// read and written through the data set's CreateBlobStream (EDatabaseError
// "Field '<name>' has no blob stream" when the data set gives none). A
// blob is null when the data set says so (IsNull); Clear empties it. The
// text (edit and display) names the type: "(Blob)" or "(Memo)" when null,
// "(BLOB)" or "(MEMO)" otherwise; AsString is the contents.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/vcl/Field.h"
#include "platform/vcl/Streams.h"

class TBlobField : public TField {
 public:
  explicit TBlobField(TComponent* owner);

  std::string_view ClassName() const override { return "TBlobField"; }
  bool IsBlob() const override { return true; }

  int64_t BlobSize() const;
  std::vector<uint8_t> AsBytes() const;
  void SetAsBytes(const std::vector<uint8_t>& bytes);
  // Replaces the value with the whole of `stream` (from its start).
  void LoadFromStream(TStream& stream);
  // Writes the value into `stream` at its position.
  void SaveToStream(TStream& stream) const;
  void Clear() override;

  std::string GetAsString() const override;
  void SetAsString(const std::string& value) override;

 protected:
  void CheckTypeSize(int32_t size) const override;
  void GetText(std::string& text, bool displayText) const override;
  std::unique_ptr<TStream> OpenBlob(TBlobStreamMode mode) const;
};

class TMemoField : public TBlobField {
 public:
  explicit TMemoField(TComponent* owner);
  std::string_view ClassName() const override { return "TMemoField"; }
  OleVariant GetAsVariant() const override;

 protected:
  void SetVarValue(const OleVariant& value) override;
};
