#include "console/host/ConsoleDocument.h"

#include <cstring>

#include "console/host/ConsoleError.h"
#include "platform/win32/AtomicSave.h"
#include "platform/win32/RegularFile.h"

namespace {

constexpr char kMagic[4] = {'V', 'Z', 'C', '\x1A'};
constexpr uint32_t kVersion = 1;
constexpr uint32_t kHasComponent = 1;

void PutWord(std::string& out, uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(char(value >> shift));
}

void PutHalf(std::string& out, uint16_t value) {
  out.push_back(char(value));
  out.push_back(char(value >> 8));
}

// Reads the document's fields in order, refusing to pass its end.
class TReader {
 public:
  TReader(const std::string& bytes, const std::string& name) : bytes_(bytes), name_(name) {}

  [[noreturn]] void Refuse(const std::string& problem) const {
    throw EConsoleError(name_ + " " + problem);
  }
  std::string Take(size_t count) {
    if (bytes_.size() - pos_ < count) Refuse("is truncated: it is not a whole console document");
    std::string out = bytes_.substr(pos_, count);
    pos_ += count;
    return out;
  }
  uint32_t Word() {
    const std::string b = Take(4);
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | uint8_t(b[size_t(i)]);
    return value;
  }
  uint16_t Half() {
    const std::string b = Take(2);
    return uint16_t(uint8_t(b[0]) | uint8_t(b[1]) << 8);
  }
  size_t Position() const { return pos_; }

 private:
  const std::string& bytes_;
  const std::string& name_;
  size_t pos_ = 0;
};

[[noreturn]] void FileFailure(const std::string& what, const std::string& path,
                              const TFileFailure& failure) {
  throw EConsoleError(what + " " + path + ": " + failure.reason);
}

}  // namespace

uint32_t Crc32(const std::string& bytes) {
  uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char byte : bytes) {
    crc ^= byte;
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

std::string EncodeConsoleDocument(const TConsoleDocument& document) {
  std::string out(kMagic, sizeof kMagic);
  PutWord(out, kVersion);
  PutWord(out, document.snapin.Data1);
  PutHalf(out, document.snapin.Data2);
  PutHalf(out, document.snapin.Data3);
  out.append(reinterpret_cast<const char*>(document.snapin.Data4), 8);
  PutWord(out, document.hasComponent ? kHasComponent : 0);
  PutWord(out, uint32_t(document.dataBytes.size()));
  out += document.dataBytes;
  const std::string& component = document.hasComponent ? document.componentBytes : std::string();
  PutWord(out, uint32_t(component.size()));
  out += component;
  PutWord(out, Crc32(out));
  return out;
}

TConsoleDocument DecodeConsoleDocument(const std::string& bytes, const std::string& name) {
  TReader in(bytes, name);
  if (bytes.size() < sizeof kMagic || bytes.compare(0, 4, kMagic, 4) != 0) {
    in.Refuse("is not a console document");
  }
  in.Take(4);
  const uint32_t version = in.Word();
  if (version != kVersion) {
    in.Refuse("has format version " + std::to_string(version) + ", which this console cannot read");
  }
  TConsoleDocument document;
  document.snapin.Data1 = in.Word();
  document.snapin.Data2 = in.Half();
  document.snapin.Data3 = in.Half();
  std::memcpy(document.snapin.Data4, in.Take(8).data(), 8);
  const uint32_t flags = in.Word();
  document.hasComponent = (flags & kHasComponent) != 0;
  document.dataBytes = in.Take(in.Word());
  document.componentBytes = in.Take(in.Word());
  const size_t checked = in.Position();
  const uint32_t crc = in.Word();
  if (in.Position() != bytes.size()) in.Refuse("has bytes after its end: it is damaged");
  if (crc != Crc32(bytes.substr(0, checked))) in.Refuse("is damaged (its checksum does not match)");
  if (!document.hasComponent && !document.componentBytes.empty()) {
    in.Refuse("is damaged (view state without its flag)");
  }
  return document;
}

TConsoleDocument ReadConsoleDocument(const std::string& path) {
  std::string bytes;
  if (TFileFailure failure = ReadRegularFile(path, bytes))
    FileFailure("cannot open", path, failure);
  return DecodeConsoleDocument(bytes, path);
}

void WriteConsoleDocument(const std::string& path, const TConsoleDocument& document) {
  if (TFileFailure failure = SaveFileAtomically(path, EncodeConsoleDocument(document))) {
    FileFailure("cannot save", path, failure);
  }
}
