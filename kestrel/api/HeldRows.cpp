#include "kestrel/api/HeldRows.h"

namespace kestrel::api::remote {

void HeldRows::Fill(bool forward, const rpc::CallReply& reply) {
  Drop();
  forward_ = forward;
  for (const rpc::Row& in : reply.rows()) {
    Row& row = rows_.emplace_back();
    row.status = in.status();
    row.position = in.position();
    row.id = in.record_id();
    for (const rpc::Field& field : in.values()) {
      KSField value = wire::FromWire(field, storage_);
      // The daemon names the fields in the first row only.
      const size_t i = row.values.size();
      if (!field.has_name() && rows_.size() > 1 && i < rows_.front().values.size())
        value.name = rows_.front().values[i].name;
      row.values.push_back(value);
    }
  }
  if (rows_.empty()) return;
  stale_ = false;
  // Nothing stepped onto yet: Step serves the first row.
  current_ = rows_.size();
  daemon_ = rows_.size() - 1;
}

const HeldRows::Row* HeldRows::Step(bool forward) {
  if (stale_ || forward != forward_ || rows_.empty()) return nullptr;
  const size_t next = current_ == rows_.size() ? 0 : current_ + 1;
  if (next >= rows_.size()) return nullptr;
  // A step beyond a row that ended the fetch (an end, a failure) is the daemon's to answer.
  if (current_ != rows_.size() && rows_[current_].status != KS_OK) return nullptr;
  current_ = next;
  return &rows_[current_];
}

const HeldRows::Row* HeldRows::Current() const {
  return stale_ || current_ >= rows_.size() ? nullptr : &rows_[current_];
}

std::optional<int32_t> HeldRows::Resync() {
  if (rows_.empty() || current_ >= rows_.size() || current_ == daemon_) return std::nullopt;
  daemon_ = current_;
  return rows_[current_].position;
}

void HeldRows::Drop() {
  stale_ = true;
  rows_.clear();
  storage_.Clear();
  current_ = daemon_ = 0;
}

}  // namespace kestrel::api::remote
