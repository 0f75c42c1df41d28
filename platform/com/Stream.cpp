#include "platform/com/Stream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <memory>

#include "platform/com/GlobalMemory.h"
#include "platform/com/StreamBase.h"
#include "platform/text/Utf.h"

namespace {

HRESULT OpenFailure(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR:
      return STG_E_FILENOTFOUND;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
      return STG_E_ACCESSDENIED;
    case ENOMEM:
      return STG_E_INSUFFICIENTMEMORY;
    default:
      return STG_E_INVALIDFUNCTION;
  }
}

HRESULT WriteFailure(int error) {
  switch (error) {
    case ENOSPC:
    case EFBIG:
    case EDQUOT:
      return STG_E_MEDIUMFULL;
    default:
      return STG_E_WRITEFAULT;
  }
}

// 100-nanosecond units since 1601 of a POSIX time stamp.
FILETIME ToFileTime(const timespec& t) {
  constexpr uint64_t kEpochDifference = 11644473600ull;  // seconds from 1601 to 1970
  const uint64_t ticks = (static_cast<uint64_t>(t.tv_sec) + kEpochDifference) * 10000000ull +
                         static_cast<uint64_t>(t.tv_nsec) / 100;
  return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

// One open file shared by a file stream and its clones.
struct OpenFile {
  int fd;
  bool writable;
  std::u16string name;
  ~OpenFile() { ::close(fd); }
};

class FileStream final : public StreamBase {
 public:
  FileStream(std::shared_ptr<OpenFile> file, uint64_t position)
      : file_(std::move(file)), position_(position) {}

  HRESULT Read(void* buffer, ULONG size, ULONG* read) override {
    if (read != nullptr) *read = 0;
    if (buffer == nullptr) return STG_E_INVALIDPOINTER;
    ULONG done = 0;
    while (done < size) {
      const ssize_t n = ::pread(file_->fd, static_cast<uint8_t*>(buffer) + done, size - done,
                                static_cast<off_t>(position_ + done));
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return Finish(done, read, STG_E_READFAULT);
      if (n == 0) break;
      done += static_cast<ULONG>(n);
    }
    return Finish(done, read, S_OK);
  }

  HRESULT Write(const void* buffer, ULONG size, ULONG* written) override {
    if (written != nullptr) *written = 0;
    if (buffer == nullptr) return STG_E_INVALIDPOINTER;
    if (!file_->writable) return STG_E_ACCESSDENIED;
    ULONG done = 0;
    while (done < size) {
      const ssize_t n = ::pwrite(file_->fd, static_cast<const uint8_t*>(buffer) + done, size - done,
                                 static_cast<off_t>(position_ + done));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return Finish(done, written, n < 0 ? WriteFailure(errno) : STG_E_MEDIUMFULL);
      done += static_cast<ULONG>(n);
    }
    return Finish(done, written, S_OK);
  }

  HRESULT Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* newPosition) override {
    uint64_t size = 0;
    HRESULT hr = CurrentSize(size);
    uint64_t target = 0;
    if (SUCCEEDED(hr)) hr = SeekTarget(position_, size, move, origin, target);
    if (SUCCEEDED(hr)) position_ = target;
    if (newPosition != nullptr) *newPosition = position_;
    return hr;
  }

  HRESULT SetSize(ULARGE_INTEGER newSize) override {
    if (!file_->writable) return STG_E_ACCESSDENIED;
    if (newSize > static_cast<uint64_t>(std::numeric_limits<off_t>::max())) return STG_E_MEDIUMFULL;
    if (::ftruncate(file_->fd, static_cast<off_t>(newSize)) != 0) return WriteFailure(errno);
    return S_OK;
  }

  HRESULT Commit(DWORD) override {
    if (file_->writable && ::fsync(file_->fd) != 0) return STG_E_WRITEFAULT;
    return S_OK;
  }

  HRESULT Stat(STATSTG* stat, DWORD flags) override {
    struct stat info {};
    if (stat != nullptr && ::fstat(file_->fd, &info) != 0) return STG_E_ACCESSDENIED;
    const HRESULT hr = FillStat(stat, flags, static_cast<uint64_t>(info.st_size), file_->name);
    if (FAILED(hr)) return hr;
    stat->mtime = ToFileTime(info.st_mtim);
    stat->ctime = ToFileTime(info.st_ctim);
    stat->atime = ToFileTime(info.st_atim);
    return S_OK;
  }

  HRESULT Clone(IStream** stream) override {
    if (stream == nullptr) return STG_E_INVALIDPOINTER;
    return ComPtr<IStream>(new FileStream(file_, position_)).CopyTo(stream);
  }

 private:
  HRESULT Finish(ULONG done, ULONG* count, HRESULT hr) {
    position_ += done;
    if (count != nullptr) *count = done;
    return hr;
  }

  HRESULT CurrentSize(uint64_t& size) const {
    struct stat info {};
    if (::fstat(file_->fd, &info) != 0) return STG_E_SEEKERROR;
    size = static_cast<uint64_t>(info.st_size);
    return S_OK;
  }

  std::shared_ptr<OpenFile> file_;
  uint64_t position_;
};

}  // namespace

ComPtr<IStream> CreateMemoryStream() { return CreateMemoryStream(nullptr, 0); }

ComPtr<IStream> CreateMemoryStream(const void* data, size_t size) {
  ComPtr<IStream> stream;
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
  if (block == nullptr) return stream;
  if (size > 0) {
    std::memcpy(GlobalLock(block), data, size);
    GlobalUnlock(block);
  }
  if (FAILED(CreateStreamOnHGlobal(block, 1, stream.ReleaseAndGetAddressOf()))) GlobalFree(block);
  return stream;
}

HRESULT CreateFileStream(const std::string& path, FileStreamMode mode, IStream** stream) {
  if (stream == nullptr) return STG_E_INVALIDPOINTER;
  *stream = nullptr;
  int flags = O_CLOEXEC;
  switch (mode) {
    case FileStreamMode::Read:
      flags |= O_RDONLY;
      break;
    case FileStreamMode::ReadWrite:
      flags |= O_RDWR;
      break;
    case FileStreamMode::Create:
      flags |= O_RDWR | O_CREAT | O_TRUNC;
      break;
  }
  const int fd = ::open(path.c_str(), flags, 0666);
  if (fd < 0) return OpenFailure(errno);
  std::shared_ptr<OpenFile> file(new OpenFile{fd, mode != FileStreamMode::Read, Utf8ToUtf16(path)});
  struct stat info {};
  if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) return STG_E_ACCESSDENIED;
  return ComPtr<IStream>(new FileStream(std::move(file), 0)).CopyTo(stream);
}

HRESULT ReadFully(ISequentialStream* stream, void* buffer, ULONG size) {
  if (stream == nullptr || buffer == nullptr) return STG_E_INVALIDPOINTER;
  ULONG done = 0;
  while (done < size) {
    ULONG got = 0;
    const HRESULT hr = stream->Read(static_cast<uint8_t*>(buffer) + done, size - done, &got);
    if (FAILED(hr)) return hr;
    if (got == 0) return S_FALSE;
    done += got;
  }
  return S_OK;
}

HRESULT WriteFully(ISequentialStream* stream, const void* buffer, ULONG size) {
  if (stream == nullptr || buffer == nullptr) return STG_E_INVALIDPOINTER;
  ULONG done = 0;
  while (done < size) {
    ULONG put = 0;
    const HRESULT hr = stream->Write(static_cast<const uint8_t*>(buffer) + done, size - done, &put);
    if (FAILED(hr)) return hr;
    if (put == 0) return STG_E_MEDIUMFULL;
    done += put;
  }
  return S_OK;
}
