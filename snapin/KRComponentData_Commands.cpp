#include "snapin/KRComponentData_Commands.h"

#include "platform/text/SysUtils.h"
#include "snapin/KRComponentData.h"
#include "snapin/KRStrings.h"

namespace {

const TKRFolder* NearestOfType(const TKRFolder& folder, TKRFolderType type) {
  return folder.FolderType() == type ? &folder : folder.SearchParentFolderByType(type);
}

std::string NameOf(const TKRFolder* folder) {
  return folder != nullptr ? folder->ColumnText(0) : std::string();
}

}  // namespace

TKRNodeNames NodeNamesOf(TKRFolder& folder) {
  TKRNodeNames names;
  names.host = NameOf(folder.SearchForParentComputer());
  names.server = NameOf(NearestOfType(folder, krftServer));
  TKRComponentData::GetSchemaNameVersion(NameOf(NearestOfType(folder, krftSchemaName)),
                                         names.schemaVersion, names.schemaName);
  names.database = NameOf(NearestOfType(folder, krftServerDB));
  return names;
}

std::string StatusPlace(const TKRNodeNames& names) {
  return Format(SnapinString(krsStatusPlace), {names.server, names.schemaName, names.schemaVersion});
}

std::vector<std::string> ChildNames(const TKRFolder& folder) {
  std::vector<std::string> names;
  for (const auto& child : folder.Childs()) names.push_back(child->ColumnText(0));
  return names;
}
