#include "platform/com/StreamBase.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "platform/com/TaskMemory.h"

HRESULT StreamBase::CopyTo(IStream* target, ULARGE_INTEGER size, ULARGE_INTEGER* read,
                           ULARGE_INTEGER* written) {
  if (read != nullptr) *read = 0;
  if (written != nullptr) *written = 0;
  if (target == nullptr) return STG_E_INVALIDPOINTER;
  constexpr ULONG kChunk = 64 * 1024;
  uint8_t buffer[kChunk];
  uint64_t totalRead = 0;
  uint64_t totalWritten = 0;
  HRESULT hr = S_OK;
  while (totalRead < size) {
    const ULONG want = static_cast<ULONG>(std::min<uint64_t>(kChunk, size - totalRead));
    ULONG got = 0;
    hr = Read(buffer, want, &got);
    totalRead += got;
    if (got > 0) {
      ULONG put = 0;
      const HRESULT writeResult = target->Write(buffer, got, &put);
      totalWritten += put;
      if (FAILED(writeResult))
        hr = writeResult;
      else if (put < got)
        hr = STG_E_MEDIUMFULL;
    }
    if (FAILED(hr) || got < want) break;
  }
  if (read != nullptr) *read = totalRead;
  if (written != nullptr) *written = totalWritten;
  return FAILED(hr) ? hr : S_OK;
}

HRESULT StreamBase::Commit(DWORD) { return S_OK; }

HRESULT StreamBase::Revert() { return S_OK; }

HRESULT StreamBase::LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) {
  return STG_E_INVALIDFUNCTION;
}

HRESULT StreamBase::UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) {
  return STG_E_INVALIDFUNCTION;
}

HRESULT StreamBase::SeekTarget(uint64_t position, uint64_t size, LARGE_INTEGER move, DWORD origin,
                               uint64_t& result) {
  uint64_t base = 0;
  switch (origin) {
    case STREAM_SEEK_SET:
      base = 0;
      break;
    case STREAM_SEEK_CUR:
      base = position;
      break;
    case STREAM_SEEK_END:
      base = size;
      break;
    default:
      return STG_E_INVALIDFUNCTION;
  }
  constexpr uint64_t kMax = static_cast<uint64_t>(std::numeric_limits<int64_t>::max());
  if (move < 0) {
    const uint64_t back = static_cast<uint64_t>(-(move + 1)) + 1;
    if (back > base) return STG_E_INVALIDFUNCTION;
    result = base - back;
  } else {
    const uint64_t ahead = static_cast<uint64_t>(move);
    if (base > kMax || ahead > kMax - base) return STG_E_INVALIDFUNCTION;
    result = base + ahead;
  }
  return S_OK;
}

HRESULT StreamBase::FillStat(STATSTG* stat, DWORD flags, uint64_t size, std::u16string_view name) {
  if (stat == nullptr) return STG_E_INVALIDPOINTER;
  std::memset(stat, 0, sizeof *stat);
  stat->type = STGTY_STREAM;
  stat->cbSize = size;
  if (!name.empty() && (flags & STATFLAG_NONAME) == 0) {
    stat->pwcsName = CoTaskMemStrDup(name);
    if (stat->pwcsName == nullptr) return STG_E_INSUFFICIENTMEMORY;
  }
  return S_OK;
}
