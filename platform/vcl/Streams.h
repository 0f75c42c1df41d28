#pragma once
// TStream: the runtime's seekable byte stream, which the component stream,
// blob fields and blob streams read and write, with TMemoryStream (bytes it
// owns) and TByteVectorStream (bytes held by someone else, such as a record
// buffer's blob).
//
// Contract shared by the streams here:
// - Read answers how many bytes it read: fewer than asked at the end (0 at or
//   beyond it). ReadBuffer reads exactly that many or raises EReadError;
//   WriteBuffer writes them all or raises EWriteError.
// - Write at a position beyond the end fills the gap with zero bytes.
// - Seek may move beyond the end; a target before the start or a negative
//   count raises EStreamError and leaves the stream unchanged.

#include <cstdint>
#include <vector>

#include "platform/text/Exception.h"

KR_DECLARE_EXCEPTION(EStreamError, Exception);
// Failures of the component stream (and of the buffer reads and writes it uses).
KR_DECLARE_EXCEPTION(EFilerError, EStreamError);
KR_DECLARE_EXCEPTION(EReadError, EFilerError);
KR_DECLARE_EXCEPTION(EWriteError, EFilerError);

enum TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream {
 public:
  TStream() = default;
  TStream(const TStream&) = delete;
  TStream& operator=(const TStream&) = delete;
  virtual ~TStream() = default;

  virtual int64_t Read(void* buffer, int64_t count) = 0;
  virtual int64_t Write(const void* buffer, int64_t count) = 0;
  // Moves the position and answers the new one.
  virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;
  // Truncates or extends (with zero bytes); the position is kept, also when
  // it now lies beyond the end.
  virtual void SetSize(int64_t size) = 0;
  virtual int64_t Size();

  int64_t Position() { return Seek(0, soCurrent); }
  void SetPosition(int64_t position) { Seek(position, soBeginning); }
  // The bytes between the position and the end (0 beyond the end).
  int64_t Remaining();

  void ReadBuffer(void* buffer, int64_t count);
  void WriteBuffer(const void* buffer, int64_t count);
  // Copies `count` bytes from `source`'s position; count 0 copies the whole
  // of `source` from its start. Answers the number of bytes copied; raises
  // EReadError when `source` holds fewer.
  int64_t CopyFrom(TStream& source, int64_t count);
};

// A stream over a byte vector that someone else holds; the vector must
// outlive the stream. Every change goes straight into the vector.
class TByteVectorStream : public TStream {
 public:
  explicit TByteVectorStream(std::vector<uint8_t>& bytes) : bytes_(bytes) {}

  int64_t Read(void* buffer, int64_t count) override;
  int64_t Write(const void* buffer, int64_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  void SetSize(int64_t size) override;
  int64_t Size() override { return static_cast<int64_t>(bytes_.size()); }

  const std::vector<uint8_t>& Bytes() const { return bytes_; }

 private:
  std::vector<uint8_t>& bytes_;
  int64_t position_ = 0;
};

namespace vcl_detail {
// Holds a memory stream's bytes; a base class, so it is built before the
// stream that refers to it.
struct OwnedBytes {
  std::vector<uint8_t> ownedBytes;
};
}  // namespace vcl_detail

// A stream over bytes of its own, growing as it is written.
class TMemoryStream : private vcl_detail::OwnedBytes, public TByteVectorStream {
 public:
  TMemoryStream() : TByteVectorStream(ownedBytes) {}
  explicit TMemoryStream(std::vector<uint8_t> bytes)
      : OwnedBytes{std::move(bytes)}, TByteVectorStream(ownedBytes) {}

  void Clear();
  // Replaces the contents with the whole of `source` (from its start) and
  // moves to the start.
  void LoadFromStream(TStream& source);
  // Writes the whole contents into `target` at its position.
  void SaveToStream(TStream& target);
};
