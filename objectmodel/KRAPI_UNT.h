#pragma once
// The import unit of the Database API. The object model reaches the library
// only through the table of function pointers that KRAPI() answers.
//
// The first KRAPI() loads libKestrelAPI.so once with dlopen: the path in
// $KESTREL_API_LIBRARY when it is set (and that one only, so that a library
// named on purpose is never silently replaced by another copy), otherwise
// the directory of the module that holds this code and then the dynamic
// loader's search path, in turn; it then resolves every
// function and calls KSUseWideStrings(1) before anything else. A missing
// library, a missing function or a refused string mode raises EKRAPILoadError
// naming what is missing, and the next KRAPI() tries again.
//
// Tests put a table of their own in place of the library with
// InstallAPITable (see KRAPI_UNT_Fake.h for a scripted one).

#include <cstddef>
#include <iterator>

#include "kestrel/include/KestrelAPI.h"
#include "platform/text/Exception.h"

KR_DECLARE_EXCEPTION(EKRAPILoadError, Exception);

// Every function the object model imports, in the library header's order.
#define KR_API_FUNCTIONS(X)         \
  X(KSUseWideStrings)               \
  X(KSFormatMessage)                \
  X(KSFormatError)                  \
  X(KSRegisterEventCallback)        \
  X(KSConnectServer)                \
  X(KSGetLastConnectError)          \
  X(KSDisconnectServer)             \
  X(KSCloseServer)                  \
  X(KSServerSetUserData)            \
  X(KSGetAvailableMetas)            \
  X(KSGetMetaName)                  \
  X(KSGetMetaVersion)               \
  X(KSSearchMeta)                   \
  X(KSReleaseMeta)                  \
  X(KSMetaSetUserData)              \
  X(KSGetAvailableServices)         \
  X(KSGetAvailableDatabases)        \
  X(KSRestoreDBFromArchive)         \
  X(KSSaveDB)                       \
  X(KSShutdownDB)                   \
  X(KSShutdownDBEx)                 \
  X(KSDestroyDB)                    \
  X(KSCreateEmptyDB)                \
  X(KSCloneDB)                      \
  X(KSSaveDBToAsciiFile)            \
  X(KSCreateDBFromAsciiFile)        \
  X(KSCreateDBFromRDBMS)            \
  X(KSEnableJournal)                \
  X(KSDisableJournal)               \
  X(KSGetDBMemoryUsage)             \
  X(KSCheckDatabaseIntegrity)       \
  X(KSGetAvailableTransactions)     \
  X(KSCreateSession)                \
  X(KSGetLastSessionError)          \
  X(KSReleaseSession)               \
  X(KSSessionSetUserData)           \
  X(KSChangeSessionLanguage)        \
  X(KSGetConnectedUsers)            \
  X(KSGetRootTrn)                   \
  X(KSGetFlags)                     \
  X(KSGetClassName)                 \
  X(KSGetClassID)                   \
  X(KSGetBaseClass)                 \
  X(KSIsDescendentOf)               \
  X(KSGetTableNames)                \
  X(KSGetGlobalIndexes)             \
  X(KSGetIndexFields)               \
  X(KSGetFields)                    \
  X(KSGetDescendents)               \
  X(KSGetClassFlags)                \
  X(KSGetValueListText)             \
  X(KSGetClassRootAccess)           \
  X(KSGetClassVersionAccess)        \
  X(KSGetServiceAccess)             \
  X(KSGetFieldDefaultValue)         \
  X(KSGetAvailableSignals)          \
  X(KSSubscribeToTableTriggers)     \
  X(KSUnsubscribeToTableTriggers)   \
  X(KSStartTransaction)             \
  X(KSGetStartTransactionError)     \
  X(KSFindTransaction)              \
  X(KSReleaseTransaction)           \
  X(KSRollback)                     \
  X(KSCommit)                       \
  X(KSTransactionSetUserData)       \
  X(KSTransactionGetUserData)       \
  X(KSSetDescription)               \
  X(KSGetLastErrors)                \
  X(KSLockDatabase)                 \
  X(KSLockTable)                    \
  X(KSCreateNewLink)                \
  X(KSDestroyLink)                  \
  X(KSDestroyAll)                   \
  X(KSGetObject)                    \
  X(KSGetObjectTable)               \
  X(KSReleaseObject)                \
  X(KSDestroyObject)                \
  X(KSGetValues)                    \
  X(KSSetValues)                    \
  X(KSGetNewSortHandle)             \
  X(KSReleaseSortHandle)            \
  X(KSSetFilterCondition)           \
  X(KSAddSortField)                 \
  X(KSAddDistinctField)             \
  X(KSMakeNewCondition)             \
  X(KSMakeANDConditions)            \
  X(KSMakeORConditions)             \
  X(KSMakeContainsFieldAsCondition) \
  X(KSReleaseCondition)             \
  X(KSCreateCursor)                 \
  X(KSCreateChildCursor)            \
  X(KSGetLastCursorError)           \
  X(KSReleaseCursor)                \
  X(KSCursorSetUserData)            \
  X(KSSetFetchBuffer)               \
  X(KSGetCount)                     \
  X(KSGotoFirst)                    \
  X(KSGotoLast)                     \
  X(KSGotoNext)                     \
  X(KSGotoPrevious)                 \
  X(KSGoto)                         \
  X(KSGotoRecordID)                 \
  X(KSGotoFirstMatch)               \
  X(KSGetCurrentValues)             \
  X(KSGetNextRecord)                \
  X(KSGetPreviousRecord)            \
  X(KSGetCurrentRecordPos)          \
  X(KSGetCurrentRecordID)           \
  X(KSInsertNewRecord)              \
  X(KSSetCurrentValues)             \
  X(KSDeleteCurrentRecord)          \
  X(KSCursorIDCompare)              \
  X(KSGetSignalArgsInfo)            \
  X(KSInstanciateSignal)            \
  X(KSGetInstanciatedSignals)       \
  X(KSReleaseSignal)                \
  X(KSDeleteSignal)                 \
  X(KSSignalSetUserData)            \
  X(KSGetSignalName)                \
  X(KSGetSignalID)                  \
  X(KSGetSignalArguments)           \
  X(KSGetSignalCheckInterval)       \
  X(KSSetSignalCheckInterval)       \
  X(KSSetSignalSendEvent)           \
  X(KSDoesSignalSendEvent)          \
  X(KSIsSignalSuspended)            \
  X(KSIsSignalRaised)               \
  X(KSSuspendSignal)                \
  X(KSResumeSignal)                 \
  X(KSEvaluateSignalNow)

// One entry per imported function, as an index into the table.
enum class TKRAPIFunction : int {
#define KR_API_ENUM_ENTRY(name) name,
  KR_API_FUNCTIONS(KR_API_ENUM_ENTRY)
#undef KR_API_ENUM_ENTRY
};

inline constexpr const char* kAPIFunctionNames[] = {
#define KR_API_NAME_ENTRY(name) #name,
    KR_API_FUNCTIONS(KR_API_NAME_ENTRY)
#undef KR_API_NAME_ENTRY
};
inline constexpr size_t kAPIFunctionCount = std::size(kAPIFunctionNames);

// The library's functions, each with the signature of its declaration.
struct TKRAPITable {
#define KR_API_TABLE_ENTRY(name) decltype(&::name) name = nullptr;
  KR_API_FUNCTIONS(KR_API_TABLE_ENTRY)
#undef KR_API_TABLE_ENTRY
};

// The table in use: the installed one, else the loaded library's.
const TKRAPITable& KRAPI();

// Puts `table` (which must stay alive while installed, every entry set) in
// place of the library and calls its KSUseWideStrings(1); null returns to the
// library. Answers the table installed before.
const TKRAPITable* InstallAPITable(const TKRAPITable* table);

// The file name of the library, as the loader is asked for it.
inline constexpr const char* kKestrelAPILibraryName = "libKestrelAPI.so";
