// TDataSet: the record-buffer ring, navigation, Resync and bookmarks.

#include <algorithm>

#include "platform/vcl/DBConsts.h"
#include "platform/vcl/DataLink.h"
#include "platform/vcl/DataSet.h"
#include "platform/vcl/DataSource.h"
#include "platform/vcl/TryFinally.h"

namespace {
constexpr int32_t kMaxBufferCount = 1024;
}  // namespace

void TDataSet::SetBufListSize(int32_t count) {
  const size_t wanted = count > 0 ? static_cast<size_t>(count) + 1 : 0;
  while (buffers_.size() > wanted) {
    TRecordBuffer buffer = buffers_.back();
    buffers_.pop_back();
    FreeRecordBuffer(buffer);
  }
  while (buffers_.size() < wanted) buffers_.push_back(AllocRecordBuffer());
  bufferCount_ = count;
}

void TDataSet::SetBufferCount(int32_t count) {
  requestedBufferCount_ = std::clamp(count, 2, kMaxBufferCount);
  UpdateBufferCount();
}

void TDataSet::UpdateBufferCount() {
  if (!IsCursorOpen()) return;
  int32_t wanted = requestedBufferCount_;
  for (const TDataSource* source : dataSources_) {
    for (const TDataLink* link : source->dataLinks_) wanted = std::max(wanted, link->BufferCount());
  }
  wanted = std::min(wanted, kMaxBufferCount);
  if (wanted == bufferCount_) return;
  if (recordCount_ > wanted) {
    // Keep the rows of the new ring's size that end with the active one (or
    // start the ring when the active row is among the first).
    const int32_t drop = std::max(0, activeRecord_ - (wanted - 1));
    std::rotate(buffers_.begin(), buffers_.begin() + drop, buffers_.begin() + recordCount_);
    activeRecord_ -= drop;
    recordCount_ = wanted;
    CursorPosChanged();
  }
  SetBufListSize(wanted);
  GetNextRecords();
}

void TDataSet::MoveBuffer(int32_t from, int32_t to) {
  if (from == to) return;
  const auto first = buffers_.begin();
  TRecordBuffer moving = buffers_[static_cast<size_t>(from)];
  if (from < to) {
    std::copy(first + from + 1, first + to + 1, first + from);
  } else {
    std::copy_backward(first + to, first + from, first + from + 1);
  }
  buffers_[static_cast<size_t>(to)] = moving;
}

void TDataSet::ClearBuffers() {
  recordCount_ = 0;
  activeRecord_ = 0;
  currentRecord_ = -1;
  bof_ = true;
  eof_ = true;
}

void TDataSet::ActivateBuffers() {
  recordCount_ = 1;
  activeRecord_ = 0;
  currentRecord_ = 0;
  bof_ = false;
  eof_ = false;
}

void TDataSet::MoveCursorToRecord(int32_t index) {
  TRecordBuffer buffer = buffers_[static_cast<size_t>(index)];
  switch (GetBookmarkFlag(buffer)) {
    case bfCurrent:
    case bfInserted: InternalSetToRecord(buffer); break;
    case bfBOF: InternalFirst(); break;
    case bfEOF: InternalLast(); break;
  }
  currentRecord_ = index;
}

bool TDataSet::GetNextRecord() {
  TGetMode mode = gmNext;
  if (recordCount_ > 0) {
    SetCurrentRecord(recordCount_ - 1);
    // A new record that the class has already placed in the source (and
    // flagged current) is the cursor's record: the next one is itself.
    if (state_ == dsInsert && currentRecord_ == activeRecord_ &&
        GetBookmarkFlag(ActiveBuffer()) == bfCurrent) {
      mode = gmCurrent;
    }
  }
  if (GetRecord(buffers_[static_cast<size_t>(recordCount_)], mode, true) != grOK) {
    CursorPosChanged();
    return false;
  }
  if (recordCount_ == 0) {
    ActivateBuffers();
  } else if (recordCount_ < bufferCount_) {
    ++recordCount_;
  } else {
    MoveBuffer(0, recordCount_);
  }
  currentRecord_ = recordCount_ - 1;
  return true;
}

bool TDataSet::GetPriorRecord() {
  if (recordCount_ > 0) SetCurrentRecord(0);
  if (GetRecord(buffers_[static_cast<size_t>(recordCount_)], gmPrior, true) != grOK) {
    CursorPosChanged();
    return false;
  }
  if (recordCount_ == 0) {
    ActivateBuffers();
  } else {
    MoveBuffer(recordCount_, 0);
    if (recordCount_ < bufferCount_) {
      ++recordCount_;
      ++activeRecord_;
    }
  }
  currentRecord_ = 0;
  return true;
}

int32_t TDataSet::GetNextRecords() {
  int32_t count = 0;
  while (recordCount_ < bufferCount_ && GetNextRecord()) ++count;
  return count;
}

int32_t TDataSet::GetPriorRecords() {
  int32_t count = 0;
  while (recordCount_ < bufferCount_ && GetPriorRecord()) ++count;
  return count;
}

void TDataSet::First() {
  CheckBrowseMode();
  DoBeforeScroll();
  ClearBuffers();
  TryFinally(
      [&] {
        InternalFirst();
        GetNextRecords();
      },
      [&] {
        bof_ = true;
        DataEvent(deDataSetChange, 0);
        DoAfterScroll();
      });
}

void TDataSet::Last() {
  CheckBrowseMode();
  DoBeforeScroll();
  ClearBuffers();
  TryFinally(
      [&] {
        InternalLast();
        GetPriorRecords();
        if (recordCount_ > 0) activeRecord_ = recordCount_ - 1;
      },
      [&] {
        eof_ = true;
        DataEvent(deDataSetChange, 0);
        DoAfterScroll();
      });
}

void TDataSet::Next() { MoveBy(1); }

void TDataSet::Prior() { MoveBy(-1); }

int32_t TDataSet::MoveBy(int32_t distance) {
  CheckBrowseMode();
  DoBeforeScroll();
  int32_t moved = 0;
  if ((distance > 0 && eof_) || (distance < 0 && bof_) || distance == 0) return moved;
  bof_ = false;
  eof_ = false;
  const int32_t oldCount = recordCount_;
  // How far the rows moved inside the ring (negative: towards slot 0).
  int32_t scrolled = 0;
  TryFinally(
      [&] {
        for (; distance > 0; --distance, ++moved) {
          if (activeRecord_ < recordCount_ - 1) {
            ++activeRecord_;
            continue;
          }
          const bool full = recordCount_ == bufferCount_;
          if (!GetNextRecord()) {
            eof_ = true;
            break;
          }
          if (full) --scrolled;
          activeRecord_ = recordCount_ - 1;
        }
        for (; distance < 0; ++distance, --moved) {
          if (activeRecord_ > 0) {
            --activeRecord_;
            continue;
          }
          const bool full = recordCount_ == bufferCount_;
          if (!GetPriorRecord()) {
            bof_ = true;
            break;
          }
          if (full) ++scrolled;
          activeRecord_ = 0;
        }
      },
      [&] {
        if (recordCount_ != oldCount) {
          DataEvent(deDataSetChange, 0);
        } else {
          DataEvent(deDataSetScroll, scrolled);
        }
        DoAfterScroll();
      });
  return moved;
}

void TDataSet::Resync(TResyncMode mode) {
  TRecordBuffer spare = buffers_[static_cast<size_t>(recordCount_)];
  if (mode.Contains(rmExact)) {
    CursorPosChanged();
    if (GetRecord(spare, gmCurrent, true) != grOK) DatabaseError(SRecordNotFound, this);
  } else if (GetRecord(spare, gmCurrent, false) != grOK && GetRecord(spare, gmNext, false) != grOK &&
             GetRecord(spare, gmPrior, false) != grOK) {
    ClearBuffers();
    DataEvent(deDataSetChange, 0);
    return;
  }
  int32_t before = mode.Contains(rmCenter) ? (bufferCount_ - 1) / 2 : activeRecord_;
  MoveBuffer(recordCount_, 0);
  ActivateBuffers();
  TryFinally(
      [&] {
        while (before > 0 && GetPriorRecord()) --before;
        GetNextRecords();
        GetPriorRecords();
      },
      [&] { DataEvent(deDataSetChange, 0); });
}

void TDataSet::Refresh() {
  DoBeforeRefresh();
  CheckBrowseMode();
  UpdateCursorPos();
  InternalRefresh();
  Resync({});
  DoAfterRefresh();
}

bool TDataSet::BookmarkAvailable() const {
  return (state_ == dsBrowse || state_ == dsEdit || state_ == dsInsert) && !IsEmpty() &&
         GetBookmarkFlag(ActiveBuffer()) == bfCurrent;
}

TBookmark TDataSet::GetBookmark() const {
  if (!BookmarkAvailable() || bookmarkSize_ <= 0) return {};
  TBookmark bookmark(static_cast<size_t>(bookmarkSize_));
  GetBookmarkData(ActiveBuffer(), bookmark.data());
  return bookmark;
}

void TDataSet::GotoBookmark(const TBookmark& bookmark) {
  if (bookmark.empty()) return;
  if (bookmark.size() < static_cast<size_t>(bookmarkSize_)) DatabaseError(SInvalidBookmark, this);
  CheckBrowseMode();
  DoBeforeScroll();
  InternalGotoBookmark(bookmark.data());
  Resync({rmExact, rmCenter});
  DoAfterScroll();
}

void TDataSet::SetBlockReadSize(int32_t value) {
  if (value > 0) {
    CheckBrowseMode();
    blockReadSize_ = value;
    SetState(dsBlockRead);
    return;
  }
  blockReadSize_ = 0;
  if (state_ == dsBlockRead) {
    SetState(dsBrowse);
    DataEvent(deDataSetChange, 0);
  }
}
