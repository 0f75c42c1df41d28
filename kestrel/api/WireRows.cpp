#include "kestrel/api/WireRows.h"

#include <bit>
#include <cstring>

namespace kestrel::api::wire {

static_assert(std::endian::native == std::endian::little,
              "the block's numbers and texts are written as this machine holds them");

namespace {

template <typename T>
void Put(std::string& block, T value) {
  block.append(reinterpret_cast<const char*>(&value), sizeof value);
}

// Reads the block from its start on, never beyond its end.
class Reader {
 public:
  explicit Reader(std::string_view block) : block_(block) {}

  template <typename T>
  bool Take(T& value) {
    if (block_.size() - at_ < sizeof value) return false;
    std::memcpy(&value, block_.data() + at_, sizeof value);
    at_ += sizeof value;
    return true;
  }
  // The next `bytes` bytes, or null when fewer are left.
  const char* Skip(size_t bytes) {
    if (block_.size() - at_ < bytes) return nullptr;
    const char* data = block_.data() + at_;
    at_ += bytes;
    return data;
  }
  bool AtEnd() const { return at_ == block_.size(); }

 private:
  std::string_view block_;
  size_t at_ = 0;
};

}  // namespace

void AppendValues(const KSField* values, size_t count, std::string& block) {
  for (size_t i = 0; i < count; ++i) {
    const KSField& value = values[i];
    Put(block, value.type);
    switch (value.type) {
      case KS_TYPE_FLOAT:
      case KS_TYPE_CURRENCY:
        Put(block, value.value.asDouble);
        break;
      case KS_TYPE_STRING: {
        if (value.value.asString == nullptr) {
          Put(block, int32_t{-1});
          break;
        }
        const size_t length = std::char_traits<char16_t>::length(value.value.asString);
        Put(block, static_cast<int32_t>(length));
        block.append(reinterpret_cast<const char*>(value.value.asString), length * sizeof(char16_t));
        break;
      }
      case KS_TYPE_BLOB: {
        const bool present = value.value.asBlob != nullptr && value.blobLength > 0;
        Put(block, present ? value.blobLength : int32_t{0});
        if (present) block.append(static_cast<const char*>(value.value.asBlob), static_cast<size_t>(value.blobLength));
        break;
      }
      default:
        Put(block, value.value.asInteger);
    }
  }
}

bool ReadValues(std::string_view block, size_t count, std::vector<KSField>& values,
                std::u16string& texts) {
  // Every text takes at least eight bytes of the block besides its units, so this much room
  // holds all of them with their terminators: the texts are never moved while they are read,
  // and each value can point into them at once.
  texts.reserve(texts.size() + block.size() / sizeof(char16_t) + block.size() / 8 + 1);
  Reader in(block);
  for (size_t i = 0; i < count; ++i) {
    KSField& value = values.emplace_back();
    if (!in.Take(value.type)) return false;
    switch (value.type) {
      case KS_TYPE_FLOAT:
      case KS_TYPE_CURRENCY:
        if (!in.Take(value.value.asDouble)) return false;
        break;
      case KS_TYPE_STRING: {
        int32_t length = 0;
        if (!in.Take(length) || length < -1) return false;
        if (length == -1) break;
        const char* units = in.Skip(static_cast<size_t>(length) * sizeof(char16_t));
        if (units == nullptr) return false;
        const size_t at = texts.size();
        texts.append(static_cast<size_t>(length) + 1, u'\0');
        std::memcpy(texts.data() + at, units, static_cast<size_t>(length) * sizeof(char16_t));
        value.value.asString = texts.data() + at;
        break;
      }
      case KS_TYPE_BLOB: {
        int32_t length = 0;
        if (!in.Take(length) || length < 0) return false;
        if (length == 0) break;
        value.value.asBlob = in.Skip(static_cast<size_t>(length));
        if (value.value.asBlob == nullptr) return false;
        value.blobLength = length;
        break;
      }
      default:
        if (!in.Take(value.value.asInteger)) return false;
    }
  }
  return in.AtEnd();
}

}  // namespace kestrel::api::wire
