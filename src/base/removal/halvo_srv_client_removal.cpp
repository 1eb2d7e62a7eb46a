// The removal half of the management service's client: registering paths
// and forcing their removal happen here, in the calling process.

#include "base/errors/vguard.h"
#include "base/files/file_name.h"
#include "base/pipes/halvo_srv_client.h"
#include "base/removal/forced_removal.h"
#include "base/removal/removal_storage.h"
#include "base/removal/removal_storage_file.h"
#include "base/removal/removal_task.h"
#include "base/system/com_apartment.h"
#include "base/text/vaformat.h"

namespace wc {

void HalvoSrvClient::addDeleteFile(const std::wstring& path, const std::wstring& service) {
  vguard(
      "HalvoSrvClient::addDeleteFile", __LINE__,
      [&] { return vaformat(L"addDeleteFile '%s' for service '%s'", path, service); },
      [&] {
        ComApartment com;
        // A relative path would be taken relative to wherever the removal
        // runs later: only a path that stands on its own is accepted.
        if (path.empty() || VFileName::combine(L"a", path) != VFileName::combine(L"b", path)) {
          throw vexception(L"Only an absolute path can be registered for removal",
                           VCALLPOINT(L"", "HalvoSrvClient::addDeleteFile"));
        }
        // Read first, so that a bad setting changes nothing.
        const RemovalTiming timing = readRemovalTiming(context());
        RemovalStorage storage(context(), removalStoragePath(context()));
        storage.add(newPathEntry(path, service));
        storage.commit();
        // The task runs the tool where the management service says the
        // product lives; it is asked only when the task must be made.
        scheduleRemovalTask(context(), timing, [this] { return getProductRootDir(); });
      });
}

void HalvoSrvClient::forceDeleteFiles(const std::wstring& service, bool keepStopped) {
  vguard(
      "HalvoSrvClient::forceDeleteFiles", __LINE__,
      [&] { return vaformat(L"forceDeleteFiles for service '%s'", service); },
      [&] {
        ComApartment com;
        forceRemoval(context(), removalStoragePath(context()), service, keepStopped);
      });
}

}  // namespace wc
