#pragma once
// StreamBase: the parts of IStream that every stream here shares. A concrete
// stream implements Read, Write, Seek, SetSize, Stat and Clone; CopyTo goes
// through Read and Write, Commit and Revert do nothing (the streams are not
// transacted), and region locks are not supported (STG_E_INVALIDFUNCTION,
// which Stat announces with grfLocksSupported 0).

#include <cstdint>

#include "platform/com/Stream.h"

class StreamBase : public ComObject<IStream> {
 public:
  HRESULT CopyTo(IStream* target, ULARGE_INTEGER size, ULARGE_INTEGER* read,
                 ULARGE_INTEGER* written) override;
  HRESULT Commit(DWORD flags) override;
  HRESULT Revert() override;
  HRESULT LockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER size, DWORD lockType) override;
  HRESULT UnlockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER size, DWORD lockType) override;

 protected:
  // The position a Seek reaches from `position` in a stream of `size` bytes:
  // S_OK and the position in `result`, or STG_E_INVALIDFUNCTION for an unknown
  // origin or a position before the start.
  static HRESULT SeekTarget(uint64_t position, uint64_t size, LARGE_INTEGER move, DWORD origin,
                            uint64_t& result);
  // Fills `stat` for a stream of `size` bytes called `name` (no name when
  // empty or when `flags` has STATFLAG_NONAME). STG_E_INVALIDPOINTER for null,
  // STG_E_INSUFFICIENTMEMORY when the name cannot be allocated.
  static HRESULT FillStat(STATSTG* stat, DWORD flags, uint64_t size, std::u16string_view name);
};
