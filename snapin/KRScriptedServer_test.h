// The scripted server OS1 on host pc7 that the snap-in's unit tests browse:
// it connects (as `connection`) while `reachable` holds, answers "no such
// server" otherwise, lists the schemas of `metas` in the order of
// `handles`, and finds a schema of `metas` by name and version. The arguments are the fixture's own
// members and must outlive the fake API's use of them.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "objectmodel/KRAPI_UNT_Fake.h"

using TScriptedMetas = std::map<KSHandle, std::pair<std::u16string, std::u16string>>;

inline void ScriptServerOS1(TKRFakeAPI& api, KSHandle connection, const bool& reachable,
                            const std::vector<KSHandle>& handles, const TScriptedMetas& metas) {
  api.On<TKRAPIFunction::KSConnectServer>(
      [connection, &reachable](const char16_t* host, const char16_t* server) {
        const bool known =
            reachable && std::u16string(host) == u"pc7" && std::u16string(server) == u"OS1";
        return known ? connection : KSHandle(0);
      });
  api.On<TKRAPIFunction::KSGetLastConnectError>([] { return KSStatus(KS_ERR_NO_SUCH_SERVER); });
  api.On<TKRAPIFunction::KSGetAvailableMetas>([&handles](KSHandle, int32_t* count) {
    *count = static_cast<int32_t>(handles.size());
    return handles.data();
  });
  api.On<TKRAPIFunction::KSGetMetaName>(
      [&metas](KSHandle meta) { return metas.at(meta).first.c_str(); });
  api.On<TKRAPIFunction::KSGetMetaVersion>(
      [&metas](KSHandle meta) { return metas.at(meta).second.c_str(); });
  api.On<TKRAPIFunction::KSSearchMeta>(
      [&metas](KSHandle, const char16_t* name, const char16_t* version) {
        for (const auto& [handle, meta] : metas) {
          if (meta.first == name && meta.second == version) return handle;
        }
        return KSHandle(0);
      });
}
