#include "snapin/KRTestSupport.h"

std::string StreamBytes(IStream* stream) {
  ULARGE_INTEGER end = 0;
  stream->Seek(0, STREAM_SEEK_END, &end);
  stream->Seek(0, STREAM_SEEK_SET, nullptr);
  std::string bytes(end, '\0');
  ULONG read = 0;
  stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read);
  bytes.resize(read);
  return bytes;
}

ComPtr<IStream> StreamOf(const std::string& bytes) {
  return CreateMemoryStream(bytes.data(), bytes.size());
}

std::string Word(uint32_t value) {
  std::string bytes;
  for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<char>(value >> shift));
  return bytes;
}

std::string Counted(const std::string& text) {
  return Word(static_cast<uint32_t>(text.size() + 1)) + text + std::string(1, '\0');
}
