// A cursor's rows read ahead and held as API values: a buffer's worth of rows is read in one go
// in the direction of travel, and steps onto held rows read nothing (a remote client needs one
// round trip per buffer instead of one per row). Held rows stay valid while the database's
// change count stands still (the rows and their values are then what the cursor shows); after
// any change they are read again.
#pragma once

#include <string>
#include <vector>

#include "kestrel/engine/Cursor.h"
#include "kestrel/include/KestrelAPI.h"

namespace kestrel::api {

class FetchBuffer {
 public:
  // The field names and types the values carry.
  explicit FetchBuffer(const std::vector<FieldPath>& fields);

  // Rows read at a time, at least 1.
  void SetSize(int32_t rows) { size_ = rows; }
  // Fills out[0..field count) with the values of the cursor's current row (it must stand on
  // one), reading ahead from it when the row is not held. Texts and blobs stay valid until the
  // next read of the buffer. KS_OK or the cursor's read failure.
  KSStatus Current(Cursor& cursor, bool forward, KSField* out);

 private:
  bool Holds(const Cursor& cursor) const;
  void Add(int32_t position, const std::vector<const Value*>& values);

  std::vector<std::u16string> names_;
  std::vector<int32_t> types_;
  int32_t size_ = 1;
  int32_t first_ = 0;  // position of the first held row
  int32_t count_ = 0;
  uint64_t changes_ = 0;
  std::vector<KSField> values_;  // count_ rows of names_.size() values
  // Texts (terminated) and blob bytes of the held rows; the values point into them once a read
  // is complete (the offsets wait in the value's text or blob pointer until then).
  std::u16string text_;
  std::vector<uint8_t> bytes_;
  std::vector<std::pair<size_t, size_t>> textAt_;   // value index, offset in text_
  std::vector<std::pair<size_t, size_t>> bytesAt_;  // value index, offset in bytes_
};

}  // namespace kestrel::api
