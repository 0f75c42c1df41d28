#include "platform/com/GlobalMemory.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "platform/com/StreamBase.h"

namespace {

struct Block {
  bool moveable = false;
  uint8_t* data = nullptr;  // malloc'd; at least one byte so that it is unique
  size_t size = 0;
  uint32_t locks = 0;
};

// Every live block by handle. A fixed block's handle is its data address, a
// moveable block's handle is the address of its Block record.
class BlockTable {
 public:
  static BlockTable& Instance() {
    static BlockTable table;
    return table;
  }

  HGLOBAL Allocate(UINT flags, size_t bytes) {
    if ((flags & ~GMEM_VALID_FLAGS) != 0 || bytes > kGlobalMaxBlockSize) return nullptr;
    auto block = std::make_unique<Block>();
    block->moveable = (flags & GMEM_MOVEABLE) != 0;
    block->data = static_cast<uint8_t*>(std::malloc(bytes == 0 ? 1 : bytes));
    if (block->data == nullptr) return nullptr;
    if ((flags & GMEM_ZEROINIT) != 0) std::memset(block->data, 0, bytes);
    block->size = bytes;
    std::lock_guard lock(mutex_);
    return Insert(std::move(block));
  }

  HGLOBAL ReAllocate(HGLOBAL handle, size_t bytes, UINT flags) {
    if ((flags & ~(GMEM_VALID_FLAGS | GMEM_MODIFY)) != 0) return nullptr;
    std::lock_guard lock(mutex_);
    auto it = blocks_.find(handle);
    if (it == blocks_.end()) return nullptr;
    Block& block = *it->second;
    const bool mayMove = (flags & GMEM_MOVEABLE) != 0;
    if ((flags & GMEM_MODIFY) != 0) {
      if (block.moveable || !mayMove) return handle;
      return Rekey(it, true);
    }
    if (bytes > kGlobalMaxBlockSize) return nullptr;
    if (block.moveable && block.locks > 0 && !mayMove) return nullptr;
    if (!block.moveable && bytes > block.size && !mayMove) return nullptr;
    if (!block.moveable && bytes <= block.size) {
      block.size = bytes;
      return handle;
    }
    auto* data = static_cast<uint8_t*>(std::realloc(block.data, bytes == 0 ? 1 : bytes));
    if (data == nullptr) return nullptr;
    if ((flags & GMEM_ZEROINIT) != 0 && bytes > block.size) {
      std::memset(data + block.size, 0, bytes - block.size);
    }
    block.data = data;
    block.size = bytes;
    return block.moveable ? handle : Rekey(it, false);
  }

  void* Lock(HGLOBAL handle) {
    std::lock_guard lock(mutex_);
    Block* block = Find(handle);
    if (block == nullptr) return nullptr;
    if (block->moveable && block->locks < GMEM_LOCKCOUNT) ++block->locks;
    return block->data;
  }

  BOOL Unlock(HGLOBAL handle) {
    std::lock_guard lock(mutex_);
    Block* block = Find(handle);
    if (block == nullptr || block->locks == 0) return 0;
    return --block->locks > 0 ? 1 : 0;
  }

  size_t Size(HGLOBAL handle) {
    std::lock_guard lock(mutex_);
    Block* block = Find(handle);
    return block == nullptr ? 0 : block->size;
  }

  UINT Flags(HGLOBAL handle) {
    std::lock_guard lock(mutex_);
    Block* block = Find(handle);
    return block == nullptr ? GMEM_INVALID_HANDLE : block->locks;
  }

  HGLOBAL HandleOf(const void* address) {
    std::lock_guard lock(mutex_);
    for (const auto& [handle, block] : blocks_) {
      if (block->data == address) return const_cast<void*>(handle);
    }
    return nullptr;
  }

  bool Free(HGLOBAL handle) {
    std::unique_ptr<Block> block;
    {
      std::lock_guard lock(mutex_);
      auto it = blocks_.find(handle);
      if (it == blocks_.end()) return false;
      block = std::move(it->second);
      blocks_.erase(it);
    }
    std::free(block->data);
    return true;
  }

 private:
  using Map = std::unordered_map<const void*, std::unique_ptr<Block>>;

  HGLOBAL Insert(std::unique_ptr<Block> block) {
    const void* handle = block->moveable ? static_cast<const void*>(block.get()) : block->data;
    blocks_.emplace(handle, std::move(block));
    return const_cast<void*>(handle);
  }

  // Files the block under the handle its (new) kind and address call for.
  HGLOBAL Rekey(Map::iterator it, bool makeMoveable) {
    std::unique_ptr<Block> block = std::move(it->second);
    blocks_.erase(it);
    if (makeMoveable) block->moveable = true;
    return Insert(std::move(block));
  }

  Block* Find(HGLOBAL handle) {
    auto it = blocks_.find(handle);
    return it == blocks_.end() ? nullptr : it->second.get();
  }

  std::mutex mutex_;
  Map blocks_;
};

// The block under one or more HGLOBAL streams (a stream and its clones).
struct SharedBlock {
  HGLOBAL handle;
  bool deleteOnRelease;
  ~SharedBlock() {
    if (deleteOnRelease) GlobalFree(handle);
  }
};

// Copies between the block and a caller's buffer under one lock.
void CopyBlock(HGLOBAL handle, uint64_t offset, void* to, const void* from, size_t size) {
  auto* bytes = static_cast<uint8_t*>(GlobalLock(handle));
  if (to != nullptr)
    std::memcpy(to, bytes + offset, size);
  else
    std::memcpy(bytes + offset, from, size);
  GlobalUnlock(handle);
}

class HGlobalStream final : public StreamBase {
 public:
  HGlobalStream(std::shared_ptr<SharedBlock> block, uint64_t position)
      : block_(std::move(block)), position_(position) {}

  HGLOBAL Handle() const { return block_->handle; }

  HRESULT Read(void* buffer, ULONG size, ULONG* read) override {
    if (read != nullptr) *read = 0;
    if (buffer == nullptr) return STG_E_INVALIDPOINTER;
    const uint64_t length = GlobalSize(Handle());
    const ULONG count =
        position_ >= length ? 0 : static_cast<ULONG>(std::min<uint64_t>(size, length - position_));
    if (count > 0) CopyBlock(Handle(), position_, buffer, nullptr, count);
    position_ += count;
    if (read != nullptr) *read = count;
    return S_OK;
  }

  HRESULT Write(const void* buffer, ULONG size, ULONG* written) override {
    if (written != nullptr) *written = 0;
    if (buffer == nullptr) return STG_E_INVALIDPOINTER;
    if (size == 0) return S_OK;
    const uint64_t end = position_ + size;
    if (end > GlobalSize(Handle())) {
      const HRESULT hr = Resize(end);
      if (FAILED(hr)) return hr;
    }
    CopyBlock(Handle(), position_, nullptr, buffer, size);
    position_ = end;
    if (written != nullptr) *written = size;
    return S_OK;
  }

  HRESULT Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* newPosition) override {
    uint64_t target = 0;
    const HRESULT hr = SeekTarget(position_, GlobalSize(Handle()), move, origin, target);
    if (SUCCEEDED(hr)) position_ = target;
    if (newPosition != nullptr) *newPosition = position_;
    return hr;
  }

  HRESULT SetSize(ULARGE_INTEGER newSize) override { return Resize(newSize); }

  HRESULT Stat(STATSTG* stat, DWORD flags) override {
    return FillStat(stat, flags, GlobalSize(Handle()), u"");
  }

  HRESULT Clone(IStream** stream) override {
    if (stream == nullptr) return STG_E_INVALIDPOINTER;
    return ComPtr<IStream>(new HGlobalStream(block_, position_)).CopyTo(stream);
  }

 private:
  HRESULT Resize(uint64_t size) {
    if (size > kGlobalMaxBlockSize) return STG_E_MEDIUMFULL;
    const HGLOBAL resized = GlobalReAlloc(Handle(), static_cast<size_t>(size), GMEM_ZEROINIT);
    return resized == nullptr ? STG_E_MEDIUMFULL : S_OK;
  }

  std::shared_ptr<SharedBlock> block_;
  uint64_t position_;
};

}  // namespace

HGLOBAL GlobalAlloc(UINT flags, size_t bytes) {
  return BlockTable::Instance().Allocate(flags, bytes);
}

HGLOBAL GlobalReAlloc(HGLOBAL block, size_t bytes, UINT flags) {
  return BlockTable::Instance().ReAllocate(block, bytes, flags);
}

void* GlobalLock(HGLOBAL block) { return BlockTable::Instance().Lock(block); }

BOOL GlobalUnlock(HGLOBAL block) { return BlockTable::Instance().Unlock(block); }

size_t GlobalSize(HGLOBAL block) { return BlockTable::Instance().Size(block); }

UINT GlobalFlags(HGLOBAL block) { return BlockTable::Instance().Flags(block); }

HGLOBAL GlobalHandle(const void* address) { return BlockTable::Instance().HandleOf(address); }

HGLOBAL GlobalFree(HGLOBAL block) { return BlockTable::Instance().Free(block) ? nullptr : block; }

HRESULT CreateStreamOnHGlobal(HGLOBAL block, BOOL deleteOnRelease, IStream** stream) {
  if (stream == nullptr) return E_POINTER;
  *stream = nullptr;
  if (block == nullptr) {
    block = GlobalAlloc(GMEM_MOVEABLE, 0);
    if (block == nullptr) return E_OUTOFMEMORY;
  } else if (GlobalFlags(block) == GMEM_INVALID_HANDLE) {
    return E_INVALIDARG;
  }
  std::shared_ptr<SharedBlock> shared(new SharedBlock{block, deleteOnRelease != 0});
  return ComPtr<IStream>(new HGlobalStream(std::move(shared), 0)).CopyTo(stream);
}

HRESULT GetHGlobalFromStream(IStream* stream, HGLOBAL* block) {
  if (block == nullptr) return E_INVALIDARG;
  *block = nullptr;
  auto* hglobalStream = dynamic_cast<HGlobalStream*>(stream);
  if (hglobalStream == nullptr) return E_INVALIDARG;
  *block = hglobalStream->Handle();
  return S_OK;
}
