#pragma once
// TKRSchemaInterface (IKRSchema): one schema (the library's meta) of a
// server, named by name and version.
//
// - Connecting connects the server first and searches the meta
//   (KSSearchMeta); a failed search leaves the handle 0 and LastError as it
//   was. Changing the name or version disconnects first.
// - DatabaseNames lists the schema's online databases, sorted, afresh at
//   each call (owned by the wrapper); none when the schema cannot connect.
// - DBServiceNames answers a wrapper over a cache of the DB service names,
//   sorted, built on the first request and dropped at every disconnect. A
//   public service (listed by the library's public listing) that the full
//   listing lacks is a failure at the interface and leaves no cache.
// - IsDBServiceNameValid and IsDBServicePrivate build the cache when it is
//   missing; IsDBServicePrivate answers false for an unknown service.

#include <string>
#include <vector>

#include "objectmodel/KRDataSet_CO_Server.h"

inline constexpr IID IID_IKRSchema = GuidLiteral("67BE7B7B-F28E-11D2-8FDB-0008C70A56B5");

KR_DECLARE_EXCEPTION(EKRSchemaError, Exception);

struct IKRSchema : IKRProxy {
  static constexpr const IID& kIID = IID_IKRSchema;
  using BaseInterface = IKRProxy;

  virtual ComPtr<IKRServer> Get_Server() = 0;
  virtual void Set_Server(IKRServer* server) = 0;
  virtual std::u16string Get_Name() = 0;
  virtual void Set_Name(const std::u16string& name) = 0;
  virtual std::u16string Get_Version() = 0;
  virtual void Set_Version(const std::u16string& version) = 0;
  virtual ComPtr<IKRProxyList> Get_Databases() = 0;
  virtual ComPtr<IKRStringList> Get_DBServiceNames() = 0;
  virtual bool IsDBServicePrivate(const std::u16string& name) = 0;
  virtual ComPtr<IKRStringList> Get_DatabaseNames() = 0;
  virtual bool IsDBServiceNameValid(const std::u16string& name) = 0;
};

class TKRSchemaInterface : public TKRProxyInterface<IKRSchema> {
 public:
  TKRSchemaInterface();

  ComPtr<IKRServer> Get_Server() override;
  void Set_Server(IKRServer* server) override;
  std::u16string Get_Name() override;
  void Set_Name(const std::u16string& name) override;
  std::u16string Get_Version() override;
  void Set_Version(const std::u16string& version) override;
  ComPtr<IKRProxyList> Get_Databases() override;
  ComPtr<IKRStringList> Get_DBServiceNames() override;
  bool IsDBServicePrivate(const std::u16string& name) override;
  ComPtr<IKRStringList> Get_DatabaseNames() override;
  bool IsDBServiceNameValid(const std::u16string& name) override;

  bool Get_HasDependents() override;

 protected:
  void AssignHandle() override;
  void ReleaseHandle() override;
  void DisconnectDependents() override;
  void ReleaseDependents() override;
  void AfterDisconnect() override;

 private:
  // Service names, sorted, with whether each is public.
  struct TKRServiceNameCache : TKRSharedStrings {
    std::vector<bool> Public;  // parallel to List
  };

  // The cache, built when missing and the schema connects; else none.
  TKRServiceNameCache* ServiceNameCache();
  // The index of the name in the cache (built when missing); -1 when absent
  // or when there is no cache.
  int32_t GetDBServiceIndex(const std::u16string& name);

  std::u16string FName;
  std::u16string FVersion;
  ComPtr<IKRProxyList> FDatabases;
  ComPtr<TKRServiceNameCache> FDBServiceNames;
};
