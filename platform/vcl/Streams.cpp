#include "platform/vcl/Streams.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

constexpr const char* kReadError = "Stream read error";
constexpr const char* kWriteError = "Stream write error";

void CheckCount(int64_t count) {
  if (count < 0) throw EStreamError("Invalid stream operation: negative byte count");
}

}  // namespace

int64_t TStream::Size() {
  const int64_t position = Seek(0, soCurrent);
  const int64_t size = Seek(0, soEnd);
  Seek(position, soBeginning);
  return size;
}

int64_t TStream::Remaining() {
  const int64_t position = Position();
  const int64_t size = Size();
  return position < size ? size - position : 0;
}

void TStream::ReadBuffer(void* buffer, int64_t count) {
  CheckCount(count);
  if (count != 0 && Read(buffer, count) != count) throw EReadError(kReadError);
}

void TStream::WriteBuffer(const void* buffer, int64_t count) {
  CheckCount(count);
  if (count != 0 && Write(buffer, count) != count) throw EWriteError(kWriteError);
}

int64_t TStream::CopyFrom(TStream& source, int64_t count) {
  CheckCount(count);
  if (count == 0) {
    source.SetPosition(0);
    count = source.Size();
  }
  constexpr int64_t kChunk = 64 * 1024;
  std::vector<uint8_t> chunk(static_cast<size_t>(std::min(count, kChunk)));
  int64_t left = count;
  while (left > 0) {
    const int64_t n = std::min(left, kChunk);
    source.ReadBuffer(chunk.data(), n);
    WriteBuffer(chunk.data(), n);
    left -= n;
  }
  return count;
}

int64_t TByteVectorStream::Read(void* buffer, int64_t count) {
  CheckCount(count);
  const int64_t size = Size();
  if (position_ >= size || count == 0) return 0;
  const int64_t n = std::min(count, size - position_);
  std::memcpy(buffer, bytes_.data() + position_, static_cast<size_t>(n));
  position_ += n;
  return n;
}

int64_t TByteVectorStream::Write(const void* buffer, int64_t count) {
  CheckCount(count);
  if (count == 0) return 0;
  if (count > std::numeric_limits<int64_t>::max() - position_) {
    throw EWriteError(kWriteError);
  }
  const int64_t end = position_ + count;
  if (end > Size()) bytes_.resize(static_cast<size_t>(end));
  std::memcpy(bytes_.data() + position_, buffer, static_cast<size_t>(count));
  position_ = end;
  return count;
}

int64_t TByteVectorStream::Seek(int64_t offset, TSeekOrigin origin) {
  int64_t base = 0;
  switch (origin) {
    case soBeginning: base = 0; break;
    case soCurrent: base = position_; break;
    case soEnd: base = Size(); break;
    default: throw EStreamError("Invalid stream operation: unknown seek origin");
  }
  if ((offset < 0 && base + offset < 0) ||
      (offset > 0 && base > std::numeric_limits<int64_t>::max() - offset)) {
    throw EStreamError("Invalid stream operation: position out of range");
  }
  position_ = base + offset;
  return position_;
}

void TByteVectorStream::SetSize(int64_t size) {
  CheckCount(size);
  bytes_.resize(static_cast<size_t>(size));
}

void TMemoryStream::Clear() {
  ownedBytes.clear();
  SetPosition(0);
}

void TMemoryStream::LoadFromStream(TStream& source) {
  source.SetPosition(0);
  const int64_t size = source.Size();
  std::vector<uint8_t> bytes(static_cast<size_t>(size));
  source.ReadBuffer(bytes.data(), size);
  ownedBytes = std::move(bytes);
  SetPosition(0);
}

void TMemoryStream::SaveToStream(TStream& target) {
  target.WriteBuffer(ownedBytes.data(), static_cast<int64_t>(ownedBytes.size()));
}
