#pragma once
// Test doubles and helpers of the snap-in tests: a recording console name
// space and the stream encodings of words and counted strings.

#include <string>
#include <vector>

#include "platform/com/Stream.h"
#include "platform/mmc/MmcInterfaces.h"

// Records InsertItem (a copy of the record, with the ID it was given) and
// DeleteItem calls. IDs are handed out from 1001 upwards.
class RecordingNameSpace : public ComObject<IConsoleNameSpace> {
 public:
  struct Deletion {
    HSCOPEITEM item;
    LONG deleteThis;
  };

  std::vector<SCOPEDATAITEM> inserted;
  std::vector<Deletion> deleted;

  HRESULT InsertItem(SCOPEDATAITEM* item) override {
    if (item == nullptr) return E_POINTER;
    item->ID = nextId_++;
    inserted.push_back(*item);
    return S_OK;
  }
  HRESULT DeleteItem(HSCOPEITEM item, LONG deleteThis) override {
    deleted.push_back({item, deleteThis});
    return S_OK;
  }
  HRESULT SetItem(SCOPEDATAITEM*) override { return E_NOTIMPL; }
  HRESULT GetItem(SCOPEDATAITEM*) override { return E_NOTIMPL; }
  HRESULT GetChildItem(HSCOPEITEM, HSCOPEITEM*, MMC_COOKIE*) override { return E_NOTIMPL; }
  HRESULT GetNextItem(HSCOPEITEM, HSCOPEITEM*, MMC_COOKIE*) override { return E_NOTIMPL; }
  HRESULT GetParentItem(HSCOPEITEM, HSCOPEITEM*, MMC_COOKIE*) override { return E_NOTIMPL; }

 private:
  HSCOPEITEM nextId_ = 1001;
};

// The whole content of a stream, read from its start.
std::string StreamBytes(IStream* stream);
// A memory stream holding `bytes`, positioned at 0.
ComPtr<IStream> StreamOf(const std::string& bytes);
// The stream encoding of a word and of a counted string.
std::string Word(uint32_t value);
std::string Counted(const std::string& text);
