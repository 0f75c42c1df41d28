#include "snapin/KRLoadFuzzTarget.h"

#include "snapin/KRComponentData.h"

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
  // What was loaded saves again.
  ComPtr<IStream> copy = CreateMemoryStream();
  return component->Save(copy.Get(), TRUE) == S_OK;
}
