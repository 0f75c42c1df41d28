// The session's answers to metadata questions.
#include <string_view>

#include "objectmodel/KRAPI_UNT.h"
#include "objectmodel/KRAPI_UNT_Strings.h"
#include "objectmodel/KRDataSet_CO_Session.h"
#include "objectmodel/KRDataSet_CO_Values.h"

namespace {

constexpr std::u16string_view kIdentifierFieldName = u"id";
constexpr std::u16string_view kCountFieldName = u"Count()";

// Equal texts of equal length, with a..z and A..Z taken as the same.
bool SameFolded(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  auto fold = [](char16_t c) { return c >= u'a' && c <= u'z' ? char16_t(c - 32) : c; };
  for (size_t i = 0; i < a.size(); ++i) {
    if (fold(a[i]) != fold(b[i])) return false;
  }
  return true;
}

std::u16string_view View(const char16_t* text) {
  return text != nullptr ? std::u16string_view(text) : std::u16string_view();
}

// The library's value of a service access (0 not allowed, 1 allowed) as an
// access value: 0 → 1, 1 → 3; others leave 3.
int32_t ServiceAccess(int32_t value) { return value == 0 ? 1 : kKRAccessInvisible; }

}  // namespace

int32_t MapAccessToInteger(int32_t access) {
  switch (access) {
    case KS_ACCESS_INVISIBLE:
      return 0;
    case KS_ACCESS_READ_ONLY:
      return 1;
    case KS_ACCESS_INSERT:
      return 2;
    default:
      return 3;
  }
}

std::u16string TKRSessionInterface::Text(const char16_t* text) {
  return ConvertAPIStringToWideString(text);
}

const char16_t* TKRSessionInterface::ClassNameArgument(KSClassID id) {
  const std::u16string name = GetClassName(id);
  return name.empty() ? nullptr : ConvertWideStringToAPIString(name);
}

bool TKRSessionInterface::HasClassFlag(KSClassID id, int32_t flag) {
  const char16_t* name = ClassNameArgument(id);
  if (name == nullptr) return false;
  const int32_t flags = KRAPI().KSGetClassFlags(FHandle, name);
  return flags != -1 && (flags & flag) != 0;
}

template <class List>
ComPtr<IKRStringList> TKRSessionInterface::CachedNames(ComPtr<TKRSharedStrings>& cache,
                                                       List&& list) {
  if (!cache && CheckConnected()) {
    int32_t count = 0;
    const char16_t* const* names = list(count);
    auto built = MakeComObject<TKRSharedStrings>();
    built->List = SortedAPIStrings(count, names);
    cache = built;
  }
  return BorrowStrings(cache.Get());
}

std::u16string TKRSessionInterface::GetClassName(KSClassID id) {
  return Guard([&] {
    if (id == kKRNullClassID || !CheckConnected()) return std::u16string();
    return Text(KRAPI().KSGetClassName(FHandle, id));
  });
}

KSClassID TKRSessionInterface::GetClassID(const std::u16string& className) {
  return Guard([&] {
    if (className.empty() || !CheckConnected()) return kKRNullClassID;
    return KRAPI().KSGetClassID(FHandle, ConvertWideStringToAPIString(className));
  });
}

KSClassID TKRSessionInterface::GetParentClassID(KSClassID id) {
  return Guard([&] {
    const char16_t* name = ClassNameArgument(id);
    if (name == nullptr) return kKRNullClassID;
    return GetClassID(Text(KRAPI().KSGetBaseClass(FHandle, name)));
  });
}

bool TKRSessionInterface::IsSubClassOf(KSClassID id, KSClassID parentID) {
  return Guard([&] {
    if (id == kKRNullClassID || parentID == kKRNullClassID) return false;
    const std::u16string className = GetClassName(id);
    const std::u16string parentName = GetClassName(parentID);
    if (className.empty() || parentName.empty()) return false;
    return ConvertToBoolean(KRAPI().KSIsDescendentOf(FHandle,
                                                     ConvertWideStringToAPIString(parentName),
                                                     ConvertWideStringToAPIString(className)));
  });
}

ComPtr<IKRStringList> TKRSessionInterface::Get_TableNames() {
  return Guard([&] {
    return CachedNames(FTableNames,
                       [&](int32_t& count) { return KRAPI().KSGetTableNames(FHandle, &count); });
  });
}

ComPtr<IKRStringList> TKRSessionInterface::Get_SignalNames() {
  return Guard([&] {
    return CachedNames(FSignalNames, [&](int32_t& count) {
      return KRAPI().KSGetAvailableSignals(FHandle, &count);
    });
  });
}

ComPtr<IKRStringList> TKRSessionInterface::GetGlobalIndexNames(KSClassID id) {
  return Guard([&]() -> ComPtr<IKRStringList> {
    const char16_t* name = ClassNameArgument(id);
    if (name == nullptr) return nullptr;
    int32_t count = 0;
    const auto* names = KRAPI().KSGetGlobalIndexes(FHandle, name, &count);
    return OwnStrings(APIStrings(count, names));
  });
}

ComPtr<IKRStringList> TKRSessionInterface::GetIndexFieldNames(KSClassID id,
                                                              const std::u16string& indexName,
                                                              bool withLinkedClass) {
  return Guard([&]() -> ComPtr<IKRStringList> {
    const char16_t* name = ClassNameArgument(id);
    if (name == nullptr) return nullptr;
    int32_t count = 0;
    const auto* names =
        KRAPI().KSGetIndexFields(FHandle, name, ConvertWideStringToAPIString(indexName),
                                 ConvertToAPIBoolean(withLinkedClass), &count);
    return OwnStrings(APIStrings(count, names));
  });
}

TKRFieldDescriptions TKRSessionInterface::GetFieldDescriptions(KSClassID id, bool inherited) {
  return Guard([&] {
    TKRFieldDescriptions descriptions;
    const char16_t* name = ClassNameArgument(id);
    if (name == nullptr) return descriptions;
    descriptions.Items =
        KRAPI().KSGetFields(FHandle, name, ConvertToAPIBoolean(inherited), &descriptions.Count);
    if (descriptions.Items == nullptr) descriptions.Count = 0;
    return descriptions;
  });
}

ComPtr<IKRStringList> TKRSessionInterface::GetDescendentNames(KSClassID id, bool directOnly) {
  return Guard([&]() -> ComPtr<IKRStringList> {
    const char16_t* name = ClassNameArgument(id);
    if (name == nullptr) return nullptr;
    const TKRAPITable& api = KRAPI();
    auto descendents = [&](const char16_t* className) {
      int32_t count = 0;
      const auto* names = api.KSGetDescendents(FHandle, className, &count);
      return APIStrings(count, names);
    };
    TKRStrings list = descendents(name);
    // Breadth first: every name found is expanded in turn, its names going
    // to the end of the list.
    for (size_t i = 0; !directOnly && i < list.size(); ++i) {
      for (std::string& more : descendents(ConvertStringToAPIString(list[i]))) {
        list.push_back(std::move(more));
      }
    }
    return OwnStrings(std::move(list));
  });
}

bool TKRSessionInterface::GetClassIsVirtual(KSClassID id) {
  return Guard([&] { return HasClassFlag(id, KS_CLASS_VIRTUAL); });
}

bool TKRSessionInterface::GetClassIsComputed(KSClassID id) {
  return Guard([&] { return HasClassFlag(id, KS_CLASS_COMPUTED); });
}

bool TKRSessionInterface::GetClassIsPrivate(KSClassID id) {
  return Guard([&] { return HasClassFlag(id, KS_CLASS_PRIVATE); });
}

bool TKRSessionInterface::GetClassIsTransient(KSClassID id) {
  return Guard([&] { return HasClassFlag(id, KS_CLASS_TRANSIENT); });
}

std::u16string TKRSessionInterface::GetEnumeratedText(int32_t listID, int32_t value) {
  return Guard([&] {
    if (!CheckConnected()) return std::u16string();
    return Text(KRAPI().KSGetValueListText(FHandle, listID, value));
  });
}

std::u16string TKRSessionInterface::GetErrorText(KSStatus code) {
  return Guard([&] {
    if (!CheckConnected()) return std::u16string();
    return Text(KRAPI().KSFormatMessage(FHandle, code, 0));
  });
}

ComPtr<IKRStringList> TKRSessionInterface::GetConnectedUsers(bool includeSelf, bool allPlans) {
  return Guard([&]() -> ComPtr<IKRStringList> {
    if (!CheckConnected()) return nullptr;
    int32_t count = 0;
    const auto* names = KRAPI().KSGetConnectedUsers(FHandle, ConvertToAPIBoolean(includeSelf),
                                                    ConvertToAPIBoolean(allPlans), &count);
    return OwnStrings(APIStrings(count, names));
  });
}

bool TKRSessionInterface::TransactionExists(const std::u16string& name) {
  return Guard([&] {
    if (!CheckConnected()) return false;
    const TKRAPITable& api = KRAPI();
    const KSHandle transaction = api.KSFindTransaction(FHandle, ConvertWideStringToAPIString(name));
    if (transaction == 0) return false;
    api.KSReleaseTransaction(transaction);
    return true;
  });
}

void TKRSessionInterface::SubscribeToClassEvents(KSClassID id, bool inserts, bool updates,
                                                 bool deletes, bool withValues) {
  Guard([&] {
    const char16_t* name = ClassNameArgument(id);
    if (name == nullptr) return;
    const int32_t mask = (inserts ? 1 : 0) + (updates ? 2 : 0) + (deletes ? 4 : 0);
    KRAPI().KSSubscribeToTableTriggers(FHandle, name, mask, ConvertToAPIBoolean(withValues));
  });
}

void TKRSessionInterface::UnsubscribeFromClassEvents(KSClassID id) {
  Guard([&] {
    if (const char16_t* name = ClassNameArgument(id)) {
      KRAPI().KSUnsubscribeToTableTriggers(FHandle, name);
    }
  });
}

bool TKRSessionInterface::Get_IsDatabaseLoggingActive() {
  return Guard([&] {
    if (!FRootTransaction || !FRootTransaction->CheckConnected()) return false;
    return (KRAPI().KSGetFlags(FRootTransaction->Get_Handle()) & KS_FLAG_JOURNAL_ACTIVE) != 0;
  });
}

const KSField* TKRSessionInterface::GetFieldDefaultValue(KSClassID id,
                                                         const std::u16string& fieldName) {
  return Guard([&]() -> const KSField* {
    const char16_t* name = ClassNameArgument(id);
    if (name == nullptr) return nullptr;
    const KSField* value =
        KRAPI().KSGetFieldDefaultValue(FHandle, name, ConvertWideStringToAPIString(fieldName));
    return value != nullptr && !IsAPIFieldNull(*value) ? value : nullptr;
  });
}

const KSFieldDescription* TKRSessionInterface::FindField(KSClassID id, std::u16string_view name) {
  const TKRFieldDescriptions fields = GetFieldDescriptions(id, true);
  for (int32_t i = 0; i < fields.Count; ++i) {
    if (SameFolded(View(fields.Items[i].name), name)) return &fields.Items[i];
  }
  return nullptr;
}

const KSFieldDescription* TKRSessionInterface::ResolveFieldPath(KSClassID id,
                                                                std::u16string_view path,
                                                                bool includeCount) {
  if (id == kKRNullClassID) return nullptr;
  if (path.starts_with(u'[')) {
    const size_t close = path.find(u']');
    const std::u16string className(path.substr(1, close == path.npos ? path.npos : close - 1));
    std::u16string_view rest = close == path.npos ? std::u16string_view() : path.substr(close + 1);
    if (rest.starts_with(u'.')) rest.remove_prefix(1);
    return ResolveFieldPath(GetClassID(className), rest, includeCount);
  }
  const size_t dot = path.find(u'.');
  if (dot == path.npos) {
    if (SameFolded(path, kIdentifierFieldName)) return kKRIdentifierField;
    if (path == kCountFieldName) return kKRCountField;
    return FindField(id, path);
  }
  const std::u16string_view tail = path.substr(dot + 1);
  const KSFieldDescription* head = FindField(id, path.substr(0, dot));
  if (head == nullptr || (head->type != KS_TYPE_REFERENCE && head->type != KS_TYPE_LINKS)) {
    return nullptr;
  }
  const bool links = head->type == KS_TYPE_LINKS;
  if (links && !includeCount) return tail == kCountFieldName ? kKRCountField : nullptr;
  // Copied before the next call on the session replaces the descriptions.
  const KSClassID target = GetClassID(Text(head->referencedClass));
  return links ? GetIndexDescription(target, std::u16string(tail))
               : ResolveFieldPath(target, tail, includeCount);
}

const KSFieldDescription* TKRSessionInterface::GetFieldDescription(KSClassID id,
                                                                   const std::u16string& path,
                                                                   bool includeCount) {
  return Guard([&] { return ResolveFieldPath(id, path, includeCount); });
}

const KSFieldDescription* TKRSessionInterface::GetIndexDescription(KSClassID id,
                                                                   const std::u16string& path) {
  return Guard([&]() -> const KSFieldDescription* {
    if (const KSFieldDescription* found = ResolveFieldPath(id, path, true)) return found;
    const ComPtr<IKRStringList> descendents = GetDescendentNames(id, true);
    for (int32_t i = 0; descendents && i < descendents->Get_Count(); ++i) {
      const KSClassID child = GetClassID(descendents->Get_Strings(i));
      if (const KSFieldDescription* found = GetIndexDescription(child, path)) return found;
    }
    return nullptr;
  });
}

KSClassID TKRSessionInterface::GetFieldOwner(KSClassID id, const std::u16string& fieldName) {
  return Guard([&] {
    if (FindField(id, fieldName) == nullptr) return kKRNullClassID;
    KSClassID owner = id;
    for (KSClassID parent = GetParentClassID(owner);
         parent != kKRNullClassID && FindField(parent, fieldName) != nullptr;
         parent = GetParentClassID(owner)) {
      owner = parent;
    }
    return owner;
  });
}

int32_t TKRSessionInterface::GetClassAccess(KSClassID id, bool inherited) {
  return Guard([&] {
    int32_t access = kKRAccessInvisible;
    if (const char16_t* name = ClassNameArgument(id)) {
      const TKRAPITable& api = KRAPI();
      access = Get_InActualPlan() ? api.KSGetClassRootAccess(FHandle, name)
                                  : api.KSGetClassVersionAccess(FHandle, name);
    }
    if (inherited && access != kKRAccessInvisible) {
      const KSClassID parent = GetParentClassID(id);
      if (parent != kKRNullClassID) {
        const int32_t parentAccess = GetClassAccess(parent, true);
        if (MapAccessToInteger(parentAccess) < MapAccessToInteger(access)) access = parentAccess;
      }
    }
    return access;
  });
}

int32_t TKRSessionInterface::GetFieldAccess(KSClassID id, const std::u16string& fieldPath) {
  return Guard([&] {
    const KSClassID owner = GetFieldOwner(id, fieldPath);
    if (owner == kKRNullClassID) return kKRAccessInvisible;
    if (GetClassAccess(owner, false) == kKRAccessInvisible) return kKRAccessInvisible;
    // Asked last: the description lives until the next call on the session.
    const KSFieldDescription* field = ResolveFieldPath(id, fieldPath, false);
    if (field == nullptr) return kKRAccessInvisible;
    if (!IsRealFieldDescription(field)) return int32_t(KS_ACCESS_READ_ONLY);
    return Get_InActualPlan() ? field->actualAccess : field->versionAccess;
  });
}

int32_t TKRSessionInterface::GetDBServiceAccess(const std::u16string& serviceName) {
  return Guard([&] {
    int32_t rootAccess = kKRAccessInvisible;
    int32_t versionAccess = kKRAccessInvisible;
    const ComPtr<IKRDatabase> database = Get_Database();
    const ComPtr<IKRSchema> schema = database ? database->Get_Schema() : nullptr;
    if (schema && schema->IsDBServicePrivate(serviceName)) {
      rootAccess = versionAccess = 1;
    } else if (CheckConnected()) {
      int32_t root = -1;
      int32_t version = -1;
      KRAPI().KSGetServiceAccess(FHandle, ConvertWideStringToAPIString(serviceName), &root,
                                 &version);
      rootAccess = ServiceAccess(root);
      versionAccess = ServiceAccess(version);
    }
    return Get_InActualPlan() ? rootAccess : versionAccess;
  });
}
