#pragma once
// TKRDatabaseInterface (IKRDatabase): one database of a schema on a server.
//
// The library has no handle for a database: the proxy borrows its schema's
// handle when it connects (and never releases it), and names the database
// by the server handle, sometimes the schema handle, and its name. Every
// operation connects first and does nothing (answering empty or 0) when the
// schema cannot connect. The operations that change a database (load, save,
// shut down, create, destroy, clone, journal) keep the library's status in
// LastError, as opens keep theirs, so that a caller can tell the user why one
// failed; LastError is 0 after one that did not reach the library.
//
// - Connecting creates the database empty (in the language of LocaleID)
//   when the schema does not list it.
// - RootTransactionNames leaves out "Root"; Transactions keeps it.
// - LoadFromRDBMS passes its two texts to the library in reverse order.
// - Changing the name disconnects first; changing LocaleID empties the
//   language code; JournalFileName is only stored.

#include <cstdint>
#include <string>

#include "objectmodel/KRDataSet_CO_Database_Language.h"
#include "objectmodel/KRDataSet_CO_Schema.h"

inline constexpr IID IID_IKRDatabase = GuidLiteral("67BE7B7E-F28E-11D2-8FDB-0008C70A56B5");

inline constexpr const char16_t* kKRDefaultDatabaseName = u"Default";
// The name under which the library lists the actual plan's transaction.
inline constexpr const char16_t* kKRRootTransactionAPIName = u"Root";

struct IKRDatabase : IKRProxy {
  static constexpr const IID& kIID = IID_IKRDatabase;
  using BaseInterface = IKRProxy;

  virtual ComPtr<IKRSchema> Get_Schema() = 0;
  virtual void Set_Schema(IKRSchema* schema) = 0;
  virtual std::u16string Get_Name() = 0;
  virtual void Set_Name(const std::u16string& name) = 0;
  virtual ComPtr<IKRStringList> Get_RootTransactionNames() = 0;
  virtual ComPtr<IKRProxyList> Get_Sessions() = 0;
  virtual void Load() = 0;
  virtual void LoadFromASCII(const std::u16string& fileName) = 0;
  virtual void LoadFromRDBMS(const std::u16string& first, const std::u16string& second) = 0;
  virtual void Save() = 0;
  virtual void SaveAsASCII(const std::u16string& fileName) = 0;
  virtual std::u16string Get_JournalFileName() = 0;
  virtual void Set_JournalFileName(const std::u16string& fileName) = 0;
  virtual int32_t Get_MemoryUsage() = 0;
  virtual void Shutdown() = 0;
  virtual void CreateArchive() = 0;
  virtual void DestroyArchive() = 0;
  virtual void Clone(const std::u16string& newName) = 0;
  virtual void Set_JournalEnabled(bool enabled) = 0;
  virtual void ShutdownEx(int32_t option, bool flag) = 0;
  virtual uint32_t Get_LocaleID() = 0;
  virtual void Set_LocaleID(uint32_t localeID) = 0;
  virtual ComPtr<IKRStringList> Get_Transactions() = 0;
  // Always none.
  virtual ComPtr<IKRStringList> Get_Deltas() = 0;
  // The library's report (empty when nothing was found or not connected).
  virtual std::u16string CheckIntegrity(int16_t level) = 0;
};

class TKRDatabaseInterface : public TKRProxyInterface<IKRDatabase> {
 public:
  TKRDatabaseInterface();

  ComPtr<IKRSchema> Get_Schema() override;
  void Set_Schema(IKRSchema* schema) override;
  std::u16string Get_Name() override;
  void Set_Name(const std::u16string& name) override;
  ComPtr<IKRStringList> Get_RootTransactionNames() override;
  ComPtr<IKRProxyList> Get_Sessions() override;
  void Load() override;
  void LoadFromASCII(const std::u16string& fileName) override;
  void LoadFromRDBMS(const std::u16string& first, const std::u16string& second) override;
  void Save() override;
  void SaveAsASCII(const std::u16string& fileName) override;
  std::u16string Get_JournalFileName() override;
  void Set_JournalFileName(const std::u16string& fileName) override;
  int32_t Get_MemoryUsage() override;
  void Shutdown() override;
  void CreateArchive() override;
  void DestroyArchive() override;
  void Clone(const std::u16string& newName) override;
  void Set_JournalEnabled(bool enabled) override;
  void ShutdownEx(int32_t option, bool flag) override;
  uint32_t Get_LocaleID() override;
  void Set_LocaleID(uint32_t localeID) override;
  ComPtr<IKRStringList> Get_Transactions() override;
  ComPtr<IKRStringList> Get_Deltas() override;
  std::u16string CheckIntegrity(int16_t level) override;

  bool Get_HasDependents() override;

 protected:
  void AssignHandle() override;
  void ReleaseHandle() override {}
  void DisconnectDependents() override;
  void ReleaseDependents() override;

 private:
  // The handles and name a database call needs.
  struct TKRDatabaseCall {
    KSHandle server;
    KSHandle meta;
    const char16_t* name;
  };

  // Runs call(handles) when the database connects; else answers `empty`.
  template <class R, class Call>
  R WhenConnected(R empty, Call&& call);
  // Runs call(handles), which answers the library's status, when the
  // database connects, and keeps that status in FLastError (else 0).
  template <class Call>
  void Attempt(Call&& call);
  TKRDatabaseCall Handles();
  // The transaction names of the library's listing, without "Root" when
  // rootOnly is set.
  ComPtr<IKRStringList> TransactionNames(bool rootOnly);
  KSStatus CreateEmpty(const TKRDatabaseCall& call);

  std::u16string FName = kKRDefaultDatabaseName;
  ComPtr<IKRProxyList> FSessions;
  std::u16string FJournalFileName;
  uint32_t FLocaleID = kKREnglishUnitedStates;
  TKRLanguageCode FLanguageCode;
};
