#include "kestrel/api/HeldRows.h"

#include "kestrel/api/WireRows.h"

namespace kestrel::api::remote {

bool HeldRows::Fill(bool forward, rpc::Rows& rows) {
  Drop();
  if (!Read(forward, rows)) {
    Drop();
    return false;
  }
  if (rows_.empty()) return true;
  stale_ = false;
  // Nothing stepped onto yet: Step serves the first row.
  current_ = rows_.size();
  daemon_ = rows_.size() - 1;
  return true;
}

bool HeldRows::Read(bool forward, rpc::Rows& rows) {
  forward_ = forward;
  const int steps = rows.status_size();
  if (rows.position_size() != steps || rows.record_id_size() != steps) return false;
  // Every step but the last reached a row; the last one may have ended the fetch.
  int reached = 0;
  while (reached < steps && rows.status(reached) == KS_OK) ++reached;
  if (reached < steps - 1) return false;
  const size_t width = static_cast<size_t>(rows.names_size());
  for (const std::string& name : rows.names()) names_.push_back(wire::Utf16(name));
  block_.swap(*rows.mutable_values());
  if (!wire::ReadValues(block_, width * static_cast<size_t>(reached), values_, texts_)) return false;
  for (size_t i = 0; i < values_.size(); ++i) values_[i].name = names_[i % width].c_str();
  for (int i = 0; i < steps; ++i) {
    Row& row = rows_.emplace_back();
    row.status = rows.status(i);
    row.position = rows.position(i);
    row.id = rows.record_id(i);
    if (i < reached) row.values = std::span<const KSField>(values_).subspan(static_cast<size_t>(i) * width, width);
  }
  return true;
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
  block_.clear();
  texts_.clear();
  names_.clear();
  values_.clear();
  current_ = daemon_ = 0;
}

}  // namespace kestrel::api::remote
