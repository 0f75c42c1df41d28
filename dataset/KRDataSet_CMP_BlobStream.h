#pragma once
// TKRBlobStream: a stream over the byte array of one blob slot of a table's
// record buffer (a memo's text in UTF-8). Every read, write, seek and
// truncation works on the slot itself; when a stream that changed the
// slot goes, it tells its table once (which marks the field and the record
// modified). Destroying the stream never fails: a failure of that report is
// handed to `onFailure`.

#include <functional>
#include <string>

#include "platform/vcl/Streams.h"

class TKRBlobStream : public TByteVectorStream {
 public:
  TKRBlobStream(std::vector<uint8_t>& bytes, std::function<void()> onModifiedClose,
                std::function<void(const std::string&)> onFailure)
      : TByteVectorStream(bytes),
        FOnModifiedClose(std::move(onModifiedClose)),
        FOnFailure(std::move(onFailure)) {}
  ~TKRBlobStream() override;

  int64_t Write(const void* buffer, int64_t count) override;
  void SetSize(int64_t size) override;
  bool Modified() const { return FModified; }

 private:
  std::function<void()> FOnModifiedClose;
  std::function<void(const std::string&)> FOnFailure;
  bool FModified = false;
};
