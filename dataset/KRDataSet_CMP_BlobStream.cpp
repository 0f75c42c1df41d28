#include "dataset/KRDataSet_CMP_BlobStream.h"

#include "platform/text/Exception.h"

TKRBlobStream::~TKRBlobStream() {
  if (!FModified || !FOnModifiedClose) return;
  try {
    FOnModifiedClose();
  } catch (const Exception& error) {
    // The bytes are in the slot already; only the report of the change
    // failed, and a destructor has no caller to hand that to.
    if (FOnFailure) FOnFailure(error.Message());
  }
}

int64_t TKRBlobStream::Write(const void* buffer, int64_t count) {
  FModified = true;
  return TByteVectorStream::Write(buffer, count);
}

void TKRBlobStream::SetSize(int64_t size) {
  FModified = true;
  TByteVectorStream::SetSize(size);
}
