#include "snapin/KRFolder.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

namespace {

// Cookies of the result items alive in the process. The console hands
// cookies back as plain numbers; only those found here are turned into items.
// The set is never destroyed, so items that outlive static destruction (a
// component data held by a global) still find it.
std::unordered_set<MMC_COOKIE>& LiveItems() {
  static auto* const items = new std::unordered_set<MMC_COOKIE>();
  return *items;
}

// The live folders by the cookie they hold, once it is not -1 (a folder not
// handed to the console yet is not listed). Cookies are a folder's own
// identity, so each has one folder; the roots share 0. Never destroyed, for
// the same reason as the set of items.
std::unordered_multimap<MMC_COOKIE, TKRFolder*>& FoldersByCookie() {
  static auto* const folders = new std::unordered_multimap<MMC_COOKIE, TKRFolder*>();
  return *folders;
}

constexpr MMC_COOKIE kNoCookie = -1;

void Unlist(MMC_COOKIE cookie, const TKRFolder* folder) {
  if (cookie == kNoCookie) return;
  auto [first, last] = FoldersByCookie().equal_range(cookie);
  for (auto it = first; it != last; ++it) {
    if (it->second == folder) {
      FoldersByCookie().erase(it);
      return;
    }
  }
}

// Writes a count into column 1, which every folder has (a column list cut
// shorter by a caller gets it back).
void SetCountColumn(std::vector<std::string>& columns, size_t count) {
  if (columns.size() < 2) columns.resize(2);
  columns[1] = std::to_string(count);
}

}  // namespace

TKRFolder::TKRFolder() : FColumns{"", "0"} {}

TKRFolder::~TKRFolder() { Unlist(FCookie, this); }

void TKRFolder::SetCookie(MMC_COOKIE cookie) {
  if (cookie == FCookie) return;
  Unlist(FCookie, this);
  FCookie = cookie;
  if (cookie != kNoCookie) FoldersByCookie().emplace(cookie, this);
}

void TKRFolder::Init(std::string_view name, int image, int openImage, TKRFolderType folderType,
                     bool hasChildren) {
  FScopeItem = std::make_unique<SCOPEDATAITEM>();
  FType = folderType;
  FColumns = {std::string(name), "0"};
  FScopeItem->mask = SDI_STR;
  FScopeItem->displayname = MMC_CALLBACK;
  if (image != 0) {
    FScopeItem->mask |= SDI_IMAGE;
    FScopeItem->nImage = image;
  }
  if (openImage != 0) {
    FScopeItem->mask |= SDI_OPENIMAGE;
    FScopeItem->nOpenImage = openImage;
  }
  if (hasChildren) {
    FScopeItem->mask |= SDI_CHILDREN;
    FScopeItem->cChildren = 1;
  }
}

TKRFolder* TKRFolder::SetParent(std::unique_ptr<TKRFolder> folder, TKRFolder& parent) {
  TKRFolder* attached = folder.get();
  attached->FParent = &parent;
  parent.FChilds.push_back(std::move(folder));
  SetCountColumn(parent.FColumns, parent.FChilds.size());
  attached->CreateUniqueCode();
  return attached;
}

std::unique_ptr<TKRFolder> TKRFolder::RemoveChild(const TKRFolder* child) {
  const auto it = std::find_if(FChilds.begin(), FChilds.end(),
                               [child](const auto& c) { return c.get() == child; });
  if (it == FChilds.end()) return nullptr;
  std::unique_ptr<TKRFolder> removed = std::move(*it);
  FChilds.erase(it);
  removed->FParent = nullptr;
  return removed;
}

void TKRFolder::PrepareScopeItem(HSCOPEITEM relativeID) {
  if (!FScopeItem) FScopeItem = std::make_unique<SCOPEDATAITEM>();
  FScopeItem->relativeID = relativeID;
  FScopeItem->mask |= SDI_PARAM;
  FScopeItem->lParam = Identity();
  SetCookie(Identity());
}

std::vector<std::string>& TKRFolder::GetColumns() {
  SetCountColumn(FColumns, FChilds.size() + FItems.size());
  return FColumns;
}

std::string TKRFolder::ColumnText(size_t index) const {
  return index < FColumns.size() ? FColumns[index] : std::string();
}

const std::string& TKRFolder::GetUniqueCode() {
  if (FUniqueCode.empty()) CreateUniqueCode();
  return FUniqueCode;
}

void TKRFolder::CreateUniqueCode() {
  if (FColumns.size() > 1) {
    FUniqueCode = FColumns[0];
    if (FParent != nullptr) FUniqueCode += FParent->GetUniqueCode();
  } else {
    FUniqueCode.clear();
  }
}

TKRFolder* TKRFolder::SearchFolderByCookie(MMC_COOKIE cookie) {
  if (FCookie == cookie) return this;
  if (cookie == kNoCookie) return WalkForCookie(cookie);
  TKRFolder* found = nullptr;
  auto [first, last] = FoldersByCookie().equal_range(cookie);
  for (auto it = first; it != last; ++it) {
    if (!it->second->IsWithin(this)) continue;
    // Which of several comes first in pre-order only the walk can tell.
    if (found != nullptr) return WalkForCookie(cookie);
    found = it->second;
  }
  return found;
}

TKRFolder* TKRFolder::WalkForCookie(MMC_COOKIE cookie) {
  if (FCookie == cookie) return this;
  for (const auto& child : FChilds) {
    if (TKRFolder* found = child->WalkForCookie(cookie)) return found;
  }
  return nullptr;
}

bool TKRFolder::IsWithin(const TKRFolder* ancestor) const {
  for (const TKRFolder* f = this; f != nullptr; f = f->FParent) {
    if (f == ancestor) return true;
  }
  return false;
}

TKRFolder* TKRFolder::SearchFolderByType(TKRFolderType folderType) {
  if (FType == folderType) return this;
  for (const auto& child : FChilds) {
    if (TKRFolder* found = child->SearchFolderByType(folderType)) return found;
  }
  return nullptr;
}

TKRFolder* TKRFolder::SearchParentFolderByType(TKRFolderType folderType) const {
  for (TKRFolder* f = FParent; f != nullptr; f = f->FParent) {
    if (f->FType == folderType) return f;
  }
  return nullptr;
}

TKRFolder* TKRFolder::SearchForParentComputer() {
  for (TKRFolder* f = this; f != nullptr; f = f->FParent) {
    if (f->FType == krftRootFolder || f->FType == krftComputers) return nullptr;
    if (f->FType == krftComputer) return f;
  }
  return nullptr;
}

TKRResultData* TKRFolder::SearchItemByCookie(MMC_COOKIE cookie) {
  if (!LiveItems().contains(cookie)) return nullptr;
  return reinterpret_cast<TKRResultData*>(cookie);
}

TKRResultData::TKRResultData() { LiveItems().insert(Cookie()); }

TKRResultData::~TKRResultData() { LiveItems().erase(Cookie()); }

TKRResultData* TKRResultData::SetParent(std::unique_ptr<TKRResultData> item, TKRFolder& folder) {
  TKRResultData* attached = item.get();
  attached->FParent = &folder;
  folder.FItems.push_back(std::move(item));
  SetCountColumn(folder.FColumns, folder.FItems.size());
  return attached;
}
