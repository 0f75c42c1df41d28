#pragma once
// Console documents (.vzc): which snap-in a console holds and the snap-in's
// saved state. The format, all numbers little-endian:
//
//   offset  size  content
//   0       4     magic "VZC\x1A"
//   4       4     format version, 1
//   8       16    the snap-in's class identifier (GUID layout: 32-bit,
//                 16-bit, 16-bit fields, then 8 bytes)
//   24      4     flags: bit 0 set when the view component's state follows
//   28      4     n, the size of the component data's IPersistStream bytes
//   32      n     those bytes
//   32+n    4     m, the size of the view component's bytes (0 without bit 0)
//   36+n    m     those bytes
//   36+n+m  4     CRC-32 (the zlib polynomial) of every byte before it
//
// The file ends there. Reading refuses, with a message naming the file and
// the problem, anything else: a missing or unreadable file, anything but a
// regular file (a FIFO at once, without waiting for a writer), a foreign
// magic, another version, sizes past the end, bytes after the checksum, a
// checksum that does not match; it allocates no more than the file's size.
// Writing goes to a temporary file in the same directory that is flushed and
// renamed over the target, so the old document stays whole until the new one
// is complete; the file keeps the old one's permissions (a new one gets those
// the process's umask allows). A document reached through a symbolic link is
// saved to the file the link leads to; a target that is not a regular file or
// that is read-only is refused. Failures raise EConsoleError.

#include <string>

#include "platform/com/Guid.h"

struct TConsoleDocument {
  CLSID snapin{};
  std::string dataBytes;
  bool hasComponent = false;
  std::string componentBytes;
};

std::string EncodeConsoleDocument(const TConsoleDocument& document);
// `name` names the source in messages.
TConsoleDocument DecodeConsoleDocument(const std::string& bytes, const std::string& name);

TConsoleDocument ReadConsoleDocument(const std::string& path);
void WriteConsoleDocument(const std::string& path, const TConsoleDocument& document);

uint32_t Crc32(const std::string& bytes);
