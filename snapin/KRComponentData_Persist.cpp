// The console document stream of TKRComponentData: IPersistStream and the
// record writers and readers.

#include <array>
#include <initializer_list>

#include "snapin/KRComponentData.h"
#include "snapin/KRConsoleStream.h"

namespace {

// Writes a tag and counted strings, stopping at the first failed write.
HRESULT WriteRecord(IStream* stream, uint32_t tag, std::initializer_list<std::string> texts) {
  HRESULT hr = WriteStreamWord(stream, tag);
  for (const std::string& text : texts) {
    if (FAILED(hr)) break;
    hr = WriteCountedString(stream, text);
  }
  return hr;
}

// Reads counted strings into `texts`; S_OK only when every one was complete.
template <size_t N>
HRESULT ReadFields(IStream* stream, std::array<std::string, N>& texts) {
  for (std::string& text : texts) {
    const HRESULT hr = ReadCountedString(stream, text);
    if (hr != S_OK) return hr;
  }
  return S_OK;
}

// Writes one record per child of `folder` with `write`, stopping at the
// first failure; S_OK when there is nothing to write.
template <class Write>
HRESULT WriteChildRecords(TKRFolder* folder, Write write) {
  if (folder == nullptr) return S_OK;
  for (const auto& child : folder->Childs()) {
    const HRESULT hr = write(*child);
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}

}  // namespace

HRESULT TKRComponentData::GetClassID(CLSID* classID) {
  if (classID == nullptr) return E_POINTER;
  GetCoClassID(*classID);
  return E_NOTIMPL;
}

HRESULT TKRComponentData::IsDirty() { return FIsDirty ? S_OK : S_FALSE; }

HRESULT TKRComponentData::GetSizeMax(ULARGE_INTEGER* size) {
  if (size == nullptr) return E_POINTER;
  *size = 100;
  return E_NOTIMPL;
}

HRESULT TKRComponentData::Save(IStream* stream, BOOL /*clearDirty*/) {
  if (stream == nullptr || FAILED(WriteStreamWord(stream, krConsoleStreamHeader))) {
    return STG_E_CANTSAVE;
  }
  HRESULT result = S_OK;
  for (HRESULT part :
       {AddDBGroupsToStream(stream), AddComputersToStream(stream), AddServersToStream(stream)}) {
    if (FAILED(part)) result = STG_E_CANTSAVE;
  }
  if (FAILED(WriteStreamWord(stream, krTagEnd))) result = STG_E_CANTSAVE;
  if (result == S_OK) FIsDirty = false;
  return result;
}

HRESULT TKRComponentData::Load(IStream* stream) {
  uint32_t word = 0;
  if (stream == nullptr || ReadStreamWord(stream, word) != S_OK) return E_FAIL;
  FIsDirty = false;
  if (word != krConsoleStreamHeader) return E_FAIL;
  for (;;) {
    if (ReadStreamWord(stream, word) != S_OK) return E_FAIL;
    HRESULT record = S_OK;
    switch (word) {
      case krTagEnd:
        return S_OK;
      case krTagDBGroup:
        record = AddDBGroupFromStream(stream);
        break;
      case krTagServer:
        record = AddServerFromStream(stream);
        break;
      case krTagComputer:
        record = AddComputerFromStream(stream);
        break;
      default:
        break;  // an unknown tag is a single word
    }
    if (record != S_OK) return E_FAIL;
  }
}

HRESULT TKRComponentData::AddDBGroupsToStream(IStream* stream) {
  return WriteChildRecords(FindFolder(krftDBGroups),
                           [&](TKRFolder& group) { return AddDBGroupToStream(stream, group); });
}

HRESULT TKRComponentData::AddComputersToStream(IStream* stream) {
  return WriteChildRecords(FindFolder(krftComputers), [&](TKRFolder& computer) {
    return AddComputerToStream(stream, computer);
  });
}

HRESULT TKRComponentData::AddServersToStream(IStream* stream) {
  return WriteChildRecords(FindFolder(krftComputers), [&](TKRFolder& computer) {
    return WriteChildRecords(computer.SearchFolderByType(krftServers), [&](TKRFolder& server) {
      return AddServerToStream(stream, server, computer);
    });
  });
}

HRESULT TKRComponentData::AddDBGroupToStream(IStream* stream, TKRFolder& groupFolder) {
  return WriteRecord(stream, krTagDBGroup, {groupFolder.ColumnText(0), groupFolder.ColumnText(2)});
}

HRESULT TKRComponentData::AddComputerToStream(IStream* stream, TKRFolder& computerFolder) {
  return WriteRecord(stream, krTagComputer, {computerFolder.ColumnText(0)});
}

HRESULT TKRComponentData::AddServerToStream(IStream* stream, TKRFolder& serverFolder,
                                            TKRFolder& computerFolder) {
  return WriteRecord(
      stream, krTagServer,
      {serverFolder.ColumnText(0), computerFolder.ColumnText(0), serverFolder.ColumnText(2)});
}

HRESULT TKRComponentData::AddDBGroupFromStream(IStream* stream) {
  std::array<std::string, 2> fields;  // name, directory
  const HRESULT hr = ReadFields(stream, fields);
  if (hr != S_OK) return hr;
  TKRFolder* groups = FindFolder(krftDBGroups);
  if (groups == nullptr) return S_OK;
  TKRFolder* group = AddFolder(*groups, fields[0], 8, krftDBGroup, true);
  group->GetColumns().push_back(fields[1]);
  CreateDBItemsIntoGroup(*group, {krntFolder, krntItem});
  return S_OK;
}

HRESULT TKRComponentData::AddComputerFromStream(IStream* stream) {
  std::array<std::string, 1> fields;  // name
  const HRESULT hr = ReadFields(stream, fields);
  if (hr != S_OK) return hr;
  if (TKRFolder* workstations = FindFolder(krftComputers)) {
    CreateComputerFolder(fields[0], *workstations);
  }
  return S_OK;
}

HRESULT TKRComponentData::AddServerFromStream(IStream* stream) {
  std::array<std::string, 3> fields;  // server, workstation, user
  const HRESULT hr = ReadFields(stream, fields);
  if (hr != S_OK) return hr;
  TKRFolder* workstations = FindFolder(krftComputers);
  if (workstations == nullptr) return S_OK;
  TKRFolder* computer = nullptr;
  for (const auto& child : workstations->Childs()) {
    if (child->ColumnText(0) == fields[1]) computer = child.get();
  }
  if (computer == nullptr) computer = CreateComputerFolder(fields[1], *workstations);
  TKRFolder* servers = computer->SearchFolderByType(krftServers);
  if (servers == nullptr) return S_OK;
  TKRFolder* server = AddFolder(*servers, fields[0], 5, krftServer, true);
  server->GetColumns().push_back(fields[2]);
  return S_OK;
}
