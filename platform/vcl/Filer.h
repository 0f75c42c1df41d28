#pragma once
// The component stream's common parts: the value codes and TFiler, the base
// of TWriter and TReader.
//
// Byte format (all numbers little-endian): the signature "TPF0", then one
// component: an optional prefix byte 0xF0 | flags (ffChildPos adds an
// integer), the class name and the component name as short strings (one
// length byte), its properties (each a short-string name and one tagged
// value, or what a defined property writes), vaNull, its children the same
// way, vaNull.
//
// Defined properties: in DefineProperties an object calls
// filer.DefineProperty(name, read, write, hasData). The writer calls `write`
// after writing the name when hasData is true; the reader calls `read` when
// the stream holds a property of that name (without regard to case).
// DefineBinaryProperty does the same with a vaBinary value: `write` fills a
// memory stream whose bytes are stored with their length, `read` gets a
// stream over exactly those bytes.

#include <cstdint>
#include <functional>
#include <string_view>

#include "platform/vcl/Sets.h"
#include "platform/vcl/Streams.h"

class TComponent;
class TReader;
class TWriter;

// The value codes of the binary component stream (21 is an 8-byte double).
enum TValueType : uint8_t {
  vaNull = 0,        // ends a list, a property list or a collection
  vaList = 1,        // values ... vaNull
  vaInt8 = 2,
  vaInt16 = 3,
  vaInt32 = 4,
  vaExtended = 5,    // 10-byte x87 extended
  vaString = 6,      // 1-byte length + bytes
  vaIdent = 7,       // 1-byte length + identifier
  vaFalse = 8,
  vaTrue = 9,
  vaBinary = 10,     // 4-byte length + bytes
  vaSet = 11,        // short-string element names, ended by an empty one
  vaLString = 12,    // 4-byte length + bytes
  vaNil = 13,
  vaCollection = 14, // items (each vaList ... vaNull, optionally after an index), vaNull
  vaSingle = 15,     // 4-byte IEEE single
  vaCurrency = 16,   // 8-byte integer scaled by 10 000
  vaDate = 17,       // 8-byte day-count double
  vaWString = 18,    // 4-byte count of UTF-16 units + the units
  vaInt64 = 19,
  vaUTF8String = 20, // 4-byte byte count + UTF-8 bytes
  vaDouble = 21,     // 8-byte IEEE double
};
inline constexpr uint8_t kMaxValueType = vaDouble;

// Flags of a component's prefix byte (0xF0 | bits).
enum TFilerFlag { ffInherited, ffChildPos, ffInline };
using TFilerFlags = SetOf<TFilerFlag>;

inline constexpr char kFilerSignature[4] = {'T', 'P', 'F', '0'};

class TFiler {
 public:
  using ReadProc = std::function<void(TReader&)>;
  using WriteProc = std::function<void(TWriter&)>;
  using StreamProc = std::function<void(TStream&)>;

  explicit TFiler(TStream& stream) : stream_(stream) {}
  TFiler(const TFiler&) = delete;
  TFiler& operator=(const TFiler&) = delete;
  virtual ~TFiler() = default;

  TStream& Stream() const { return stream_; }
  // The component at the top of what is being written or read (null
  // before a root component is started).
  TComponent* Root() const { return root_; }

  virtual void DefineProperty(std::string_view name, const ReadProc& readData,
                              const WriteProc& writeData, bool hasData) = 0;
  virtual void DefineBinaryProperty(std::string_view name, const StreamProc& readData,
                                    const StreamProc& writeData, bool hasData) = 0;

 protected:
  TStream& stream_;
  TComponent* root_ = nullptr;
};
