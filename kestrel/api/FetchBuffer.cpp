#include "kestrel/api/FetchBuffer.h"

#include <algorithm>

#include "kestrel/engine/Text.h"

namespace kestrel::api {

FetchBuffer::FetchBuffer(const std::vector<FieldPath>& fields) {
  for (const FieldPath& field : fields) {
    names_.push_back(ToUtf16(field.Name()));
    types_.push_back(field.Type());
  }
}

bool FetchBuffer::Holds(const Cursor& cursor) const {
  const int32_t at = cursor.Position();
  return count_ > 0 && changes_ == cursor.Changes() && at >= first_ && at < first_ + count_;
}

void FetchBuffer::Add(int32_t position, const std::vector<const Value*>& values) {
  if (count_ == 0) first_ = position;
  ++count_;
  // The row's fields are written where they are kept, each once.
  const size_t row = values_.size();
  values_.resize(row + values.size());
  for (size_t i = 0; i < values.size(); ++i) {
    const Value& value = *values[i];
    KSField& field = values_[row + i];
    field.type = types_[i];
    field.name = names_[i].c_str();
    if (const auto* n = std::get_if<int32_t>(&value)) {
      field.value.asInteger = *n;
    } else if (const auto* d = std::get_if<double>(&value)) {
      field.value.asDouble = *d;
    } else if (const auto* text = std::get_if<std::u16string>(&value)) {
      if (!text->empty()) {
        textAt_.emplace_back(row + i, text_.size());
        text_.append(text->c_str(), text->size() + 1);
      }
    } else if (const auto* blob = std::get_if<Blob>(&value)) {
      if (!blob->empty()) {
        bytesAt_.emplace_back(row + i, bytes_.size());
        bytes_.insert(bytes_.end(), blob->begin(), blob->end());
        field.blobLength = static_cast<int32_t>(blob->size());
      }
    }
  }
}

KSStatus FetchBuffer::Current(Cursor& cursor, bool forward, KSField* out) {
  if (!Holds(cursor)) {
    count_ = 0;
    values_.clear();
    text_.clear();
    bytes_.clear();
    textAt_.clear();
    bytesAt_.clear();
    const KSStatus status = cursor.Read(
        cursor.Position(), size_, forward,
        [&](int32_t position, RecordID, const std::vector<const Value*>& values) {
          Add(position, values);
        });
    if (status != KS_OK) {
      count_ = 0;
      return status;
    }
    for (const auto& [index, offset] : textAt_) values_[index].value.asString = text_.data() + offset;
    for (const auto& [index, offset] : bytesAt_) values_[index].value.asBlob = bytes_.data() + offset;
    changes_ = cursor.Changes();
  }
  const size_t width = names_.size();
  const auto row = values_.begin() + static_cast<std::ptrdiff_t>((cursor.Position() - first_) * width);
  std::copy(row, row + static_cast<std::ptrdiff_t>(width), out);
  return KS_OK;
}

}  // namespace kestrel::api
