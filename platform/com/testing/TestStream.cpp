#include "platform/com/testing/TestStream.h"

#include <algorithm>
#include <cstring>

#include "platform/com/GlobalMemory.h"

namespace {

// The bytes a call may move before its trap springs, and whether it springs.
ULONG Allowance(const std::optional<uint64_t>& left, ULONG size, bool& springs) {
  springs = left.has_value() && *left < size;
  return springs ? static_cast<ULONG>(*left) : size;
}

}  // namespace

TestStream::TestStream() : TestStream(std::string_view()) {}

TestStream::TestStream(std::string_view bytes)
    : TestStream(CreateMemoryStream(bytes.data(), bytes.size()), std::make_shared<Settings>()) {}

TestStream::TestStream(ComPtr<IStream> inner, std::shared_ptr<Settings> settings)
    : inner_(std::move(inner)), settings_(std::move(settings)) {}

void TestStream::FailReadsAfter(uint64_t bytes, HRESULT failure) {
  settings_->readTrap = Trap{bytes, failure};
}

void TestStream::FailWritesAfter(uint64_t bytes, HRESULT failure) {
  settings_->writeTrap = Trap{bytes, failure};
}

void TestStream::LimitReadChunk(ULONG bytes) { settings_->readChunk = bytes; }

void TestStream::FailSeeks(HRESULT failure) { settings_->seekFailure = failure; }

void TestStream::Heal() {
  settings_->readTrap.reset();
  settings_->writeTrap.reset();
  settings_->readChunk = 0;
  settings_->seekFailure = S_OK;
}

uint64_t TestStream::BytesRead() const { return settings_->bytesRead; }

uint64_t TestStream::BytesWritten() const { return settings_->bytesWritten; }

std::vector<uint8_t> TestStream::Contents() const {
  HGLOBAL block = nullptr;
  GetHGlobalFromStream(inner_.Get(), &block);
  const auto* bytes = static_cast<const uint8_t*>(GlobalLock(block));
  std::vector<uint8_t> contents(bytes, bytes + GlobalSize(block));
  GlobalUnlock(block);
  return contents;
}

HRESULT TestStream::Read(void* buffer, ULONG size, ULONG* read) {
  if (read != nullptr) *read = 0;
  if (buffer == nullptr) return STG_E_INVALIDPOINTER;
  Settings& s = *settings_;
  if (s.readChunk != 0) size = std::min(size, s.readChunk);
  std::optional<uint64_t> left;
  if (s.readTrap) left = s.readTrap->allowed;
  bool springs = false;
  ULONG done = 0;
  const HRESULT hr = inner_->Read(buffer, Allowance(left, size, springs), &done);
  s.bytesRead += done;
  if (s.readTrap) s.readTrap->allowed -= std::min<uint64_t>(done, s.readTrap->allowed);
  if (read != nullptr) *read = done;
  if (FAILED(hr)) return hr;
  return springs ? s.readTrap->failure : S_OK;
}

HRESULT TestStream::Write(const void* buffer, ULONG size, ULONG* written) {
  if (written != nullptr) *written = 0;
  if (buffer == nullptr) return STG_E_INVALIDPOINTER;
  Settings& s = *settings_;
  std::optional<uint64_t> left;
  if (s.writeTrap) left = s.writeTrap->allowed;
  bool springs = false;
  ULONG done = 0;
  const HRESULT hr = inner_->Write(buffer, Allowance(left, size, springs), &done);
  s.bytesWritten += done;
  if (s.writeTrap) s.writeTrap->allowed -= std::min<uint64_t>(done, s.writeTrap->allowed);
  if (written != nullptr) *written = done;
  if (FAILED(hr)) return hr;
  return springs ? s.writeTrap->failure : S_OK;
}

HRESULT TestStream::Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* newPosition) {
  if (FAILED(settings_->seekFailure)) return settings_->seekFailure;
  return inner_->Seek(move, origin, newPosition);
}

HRESULT TestStream::SetSize(ULARGE_INTEGER newSize) {
  if (FAILED(settings_->seekFailure)) return settings_->seekFailure;
  return inner_->SetSize(newSize);
}

HRESULT TestStream::Stat(STATSTG* stat, DWORD flags) { return inner_->Stat(stat, flags); }

HRESULT TestStream::Clone(IStream** stream) {
  if (stream == nullptr) return STG_E_INVALIDPOINTER;
  *stream = nullptr;
  ComPtr<IStream> inner;
  const HRESULT hr = inner_->Clone(inner.ReleaseAndGetAddressOf());
  if (FAILED(hr)) return hr;
  return ComPtr<IStream>(new TestStream(std::move(inner), settings_)).CopyTo(stream);
}
