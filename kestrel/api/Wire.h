// The C interface's records as messages of kestrel.proto, both ways. What a message is read
// into lives in an Arena, which keeps the texts, blobs and arrays that the records point to:
// the daemon keeps one for the arguments of a call, the client one per handle for what the
// header lets a caller keep until the next call on that handle.
#pragma once

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "kestrel/daemon/kestrel.pb.h"
#include "kestrel/engine/Condition.h"
#include "kestrel/engine/Cursor.h"
#include "kestrel/include/KestrelAPI.h"

namespace kestrel::api::wire {

// UTF-16 texts travel as their UTF-16LE bytes.
std::string Bytes(const char16_t* text);
std::u16string Utf16(const std::string& bytes);

class Arena {
 public:
  void Clear();
  // A zero-terminated copy of the UTF-16LE bytes.
  const char16_t* Text(const std::string& bytes);
  const void* Blob(const std::string& bytes);
  // Storage for n records that lives as long as the arena's contents (null for none).
  template <typename T>
  T* Array(size_t n) {
    if (n == 0) return nullptr;
    auto array = std::make_shared<std::vector<T>>(n);
    T* data = array->data();
    arrays_.push_back(std::move(array));
    return data;
  }

 private:
  std::deque<std::u16string> texts_;
  std::deque<std::string> blobs_;
  std::vector<std::shared_ptr<void>> arrays_;
};

void ToWire(const KSField& field, rpc::Field& out);
KSField FromWire(const rpc::Field& field, Arena& arena);
void ToWire(const KSFieldDescription& field, rpc::FieldDescription& out);
KSFieldDescription FromWire(const rpc::FieldDescription& field, Arena& arena);
void ToWire(const KSErrorRecord& error, rpc::ErrorRecord& out);
KSErrorRecord FromWire(const rpc::ErrorRecord& error);
void ToWire(const KSSignalArgInfo& info, rpc::SignalArgInfo& out);
KSSignalArgInfo FromWire(const rpc::SignalArgInfo& info, Arena& arena);
void ToWire(const KSArgumentValue& argument, rpc::ArgumentValue& out);
KSArgumentValue FromWire(const rpc::ArgumentValue& argument, Arena& arena);

// Sort handles and conditions exist where they are made; a call that uses one carries it.
void ToWire(const Condition& condition, rpc::Condition& out);
ConditionPtr FromWire(const rpc::Condition& condition);
void ToWire(const CursorShape& shape, rpc::Sort& out);
CursorShape FromWire(const rpc::Sort& sort);

}  // namespace kestrel::api::wire
