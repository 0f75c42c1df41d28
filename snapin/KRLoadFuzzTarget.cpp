#include "snapin/KRLoadFuzzTarget.h"

#include "snapin/KRComponentData.h"

namespace {

// The whole content of a memory stream, which is left at its start.
std::string DocumentBytes(IStream* stream) {
  ULARGE_INTEGER end{};
  stream->Seek(0, STREAM_SEEK_END, &end);
  stream->Seek(0, STREAM_SEEK_SET, nullptr);
  std::string bytes(static_cast<size_t>(end), '\0');
  if (ReadFully(stream, bytes.data(), static_cast<ULONG>(bytes.size())) != S_OK) bytes.clear();
  stream->Seek(0, STREAM_SEEK_SET, nullptr);
  return bytes;
}

}  // namespace

bool LoadConsoleDocumentChecked(const uint8_t* data, size_t size) {
  ComPtr<TKRComponentData> component = MakeComObject<TKRComponentData>();
  ComPtr<IStream> stream = CreateMemoryStream(data, size);
  const HRESULT hr = component->Load(stream.Get());
  if (hr != S_OK && hr != E_FAIL) return false;
  TKRFolder* root = component->GetRootFolder();
  if (root->Childs().size() != 2) return false;
  TKRFolder* workstations = root->SearchFolderByType(krftComputers);
  TKRFolder* groups = root->SearchFolderByType(krftDBGroups);
  if (workstations == nullptr || groups == nullptr || workstations->Childs().empty()) return false;
  for (const auto& computer : workstations->Childs()) {
    if (computer->FolderType() != krftComputer) return false;
    if (computer->SearchFolderByType(krftServers) == nullptr) return false;
  }
  for (const auto& group : groups->Childs()) {
    if (group->FolderType() != krftDBGroup || group->GetColumns().size() != 3) return false;
  }
  // What was loaded saves again, as a document that loads and saves to the same bytes.
  ComPtr<IStream> copy = CreateMemoryStream();
  if (component->Save(copy.Get(), TRUE) != S_OK) return false;
  const std::string saved = DocumentBytes(copy.Get());
  ComPtr<TKRComponentData> reloaded = MakeComObject<TKRComponentData>();
  ComPtr<IStream> again = CreateMemoryStream();
  return reloaded->Load(copy.Get()) == S_OK && reloaded->Save(again.Get(), TRUE) == S_OK &&
         DocumentBytes(again.Get()) == saved;
}
