// The rows a cursor of a daemon read ahead for this process (KSSetFetchBuffer), held here: a
// step onto a held row, and the values, position and record ID of the row a cursor stands on,
// cost no round trip.
//
// The daemon's cursor stands on the last row it read, which may lie ahead of the row this
// process shows; before anything else reaches the daemon the cursor is put back there
// (Resync), so that every other call finds the cursor where the caller left it. Held rows are
// served until this process sends anything that may change data (MarkStale) or calls the
// cursor in any other way (Drop); changes made by other clients show from the next read of
// the buffer on. What a served row's texts and blobs point to stays valid until the next call
// on the cursor, as the header promises.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "kestrel/api/Wire.h"

namespace kestrel::api::remote {

class HeldRows {
 public:
  struct Row {
    KSStatus status = KS_OK;  // of the step onto it
    int32_t position = -1;    // KSGetCurrentRecordPos after the step
    KSRecordID id = -1;       // KSGetCurrentRecordID after the step
    std::span<const KSField> values;
  };

  // Rows read ahead at a time; with one row, nothing is held.
  void SetSize(int32_t rows) { size_ = rows; }
  int32_t Size() const { return size_; }
  bool Holding() const { return size_ > 1; }

  // Holds a fetch's rows (taking the block of their values from `rows`), read in the direction
  // `forward` from the row the cursor stood on; the daemon's cursor now stands on the last of
  // them. False, holding nothing, when the rows are malformed.
  bool Fill(bool forward, rpc::Rows& rows);
  // Steps onto the next held row in that direction; null when there is none to serve.
  const Row* Step(bool forward);
  // The row the cursor stands on, when held and still current.
  const Row* Current() const;
  // Where to put the daemon's cursor back to when it stands ahead of this one (it then stands
  // there); nothing when both stand on the same row.
  std::optional<int32_t> Resync();
  // Data may have changed: nothing held is served any more, but what was served stays valid.
  void MarkStale() { stale_ = true; }
  // The cursor itself is called: what was served may go.
  void Drop();

 private:
  bool Read(bool forward, rpc::Rows& rows);

  int32_t size_ = 1;
  bool forward_ = true;
  bool stale_ = true;
  std::vector<Row> rows_;
  size_t current_ = 0;  // index of the row the cursor stands on (rows_ not empty)
  size_t daemon_ = 0;   // index of the row the daemon's cursor stands on
  // What the held values point to: the fetch's block (blobs), texts and field names. Emptied,
  // not freed, from one fetch to the next.
  std::string block_;
  std::u16string texts_;
  std::vector<std::u16string> names_;
  std::vector<KSField> values_;
};

}  // namespace kestrel::api::remote
