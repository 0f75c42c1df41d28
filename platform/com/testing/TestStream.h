#pragma once
// TestStream: a memory stream that fails on demand, for tests of code that
// reads and writes streams. Failures are set per direction: after N more
// bytes have been read (or written), the call that would pass that point
// transfers the bytes up to it, reports that count and answers the failure;
// later calls in that direction transfer nothing and fail too. Reads can also
// be made short (at most a few bytes per call) to test callers that assume
// one call delivers everything. A clone shares the bytes and the failure
// settings. Heal() ends all failures.

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/com/StreamBase.h"

class TestStream final : public StreamBase {
 public:
  TestStream();
  explicit TestStream(std::string_view bytes);

  void FailReadsAfter(uint64_t bytes, HRESULT failure = STG_E_READFAULT);
  void FailWritesAfter(uint64_t bytes, HRESULT failure = STG_E_WRITEFAULT);
  // Every Read transfers at most `bytes` bytes (0: no limit).
  void LimitReadChunk(ULONG bytes);
  // Seek and SetSize answer `failure` (S_OK: they work again).
  void FailSeeks(HRESULT failure);
  void Heal();

  uint64_t BytesRead() const;
  uint64_t BytesWritten() const;
  std::vector<uint8_t> Contents() const;

  HRESULT Read(void* buffer, ULONG size, ULONG* read) override;
  HRESULT Write(const void* buffer, ULONG size, ULONG* written) override;
  HRESULT Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* newPosition) override;
  HRESULT SetSize(ULARGE_INTEGER newSize) override;
  HRESULT Stat(STATSTG* stat, DWORD flags) override;
  HRESULT Clone(IStream** stream) override;

 private:
  // A failure that starts after `allowed` more bytes in one direction.
  struct Trap {
    uint64_t allowed = 0;
    HRESULT failure = S_OK;
  };
  struct Settings {
    std::optional<Trap> readTrap;
    std::optional<Trap> writeTrap;
    ULONG readChunk = 0;
    HRESULT seekFailure = S_OK;
    uint64_t bytesRead = 0;
    uint64_t bytesWritten = 0;
  };

  TestStream(ComPtr<IStream> inner, std::shared_ptr<Settings> settings);

  ComPtr<IStream> inner_;
  std::shared_ptr<Settings> settings_;
};
