#include "platform/vcl/BlobFields.h"

#include "platform/text/Locale.h"
#include "platform/text/SysUtils.h"
#include "platform/vcl/ClassRegistry.h"
#include "platform/vcl/DBConsts.h"
#include "platform/vcl/DataSet.h"

namespace {
[[maybe_unused]] const bool kBlobFieldsRegistered = [] {
  RegisterComponentClass<TBlobField>("TBlobField");
  RegisterComponentClass<TMemoField>("TMemoField");
  return true;
}();
}  // namespace

TBlobField::TBlobField(TComponent* owner) : TField(owner) { SetDataType(ftBlob); }

void TBlobField::CheckTypeSize(int32_t size) const {
  if (size < 0) DatabaseError(SInvalidFieldSize);
}

std::unique_ptr<TStream> TBlobField::OpenBlob(TBlobStreamMode mode) const {
  if (DataSet() == nullptr) DatabaseError(Format(SDataSetMissing, {DisplayName()}));
  std::unique_ptr<TStream> stream = DataSet()->CreateBlobStream(const_cast<TBlobField*>(this), mode);
  if (stream == nullptr) DatabaseError(Format(SNoBlobStream, {DisplayName()}));
  return stream;
}

int64_t TBlobField::BlobSize() const { return OpenBlob(bmRead)->Size(); }

std::vector<uint8_t> TBlobField::AsBytes() const {
  const std::unique_ptr<TStream> stream = OpenBlob(bmRead);
  std::vector<uint8_t> bytes(static_cast<size_t>(stream->Size()));
  stream->ReadBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
  return bytes;
}

void TBlobField::SetAsBytes(const std::vector<uint8_t>& bytes) {
  OpenBlob(bmWrite)->WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
}

void TBlobField::LoadFromStream(TStream& stream) { OpenBlob(bmWrite)->CopyFrom(stream, 0); }

void TBlobField::SaveToStream(TStream& stream) const { stream.CopyFrom(*OpenBlob(bmRead), 0); }

void TBlobField::Clear() { OpenBlob(bmWrite); }

std::string TBlobField::GetAsString() const {
  const std::vector<uint8_t> bytes = AsBytes();
  return std::string(bytes.begin(), bytes.end());
}

void TBlobField::SetAsString(const std::string& value) {
  OpenBlob(bmWrite)->WriteBuffer(value.data(), static_cast<int64_t>(value.size()));
}

void TBlobField::GetText(std::string& text, bool) const {
  const std::string name = FieldTypeName(DataType());
  text = "(" + (IsNull() ? name : UpperCase(name)) + ")";
}

TMemoField::TMemoField(TComponent* owner) : TBlobField(owner) { SetDataType(ftMemo); }

OleVariant TMemoField::GetAsVariant() const {
  if (IsNull()) return OleVariant::Null();
  return OleVariant(GetAsWideString());
}

void TMemoField::SetVarValue(const OleVariant& value) { SetAsString(VarToStr(value)); }
