#pragma once
// The panel's management service as this program sees it: configuration
// strings asked over its pipe, the panel's directories derived from them, and
// the registration and forced removal of files that Tomcat may hold open.

#include <mutex>
#include <optional>
#include <string>

#include "base/pipes/vpipechannel.h"

namespace wc {

class HalvoSrvClient : public vpipechannel::client {
 public:
  // The process-wide client, made with the context of its first caller and
  // connected on first use. Failures come as a vexception with the call
  // point "get shared instance of HalvoSrvClient".
  static HalvoSrvClient& getInstance(const Context& context);

  // Connects at once; the pipe is named by the "hcppipe" value of the
  // panel's configuration key.
  explicit HalvoSrvClient(const Context& context);

  // The configuration string `name` as the service reports it.
  std::wstring getString(const std::wstring& name);

  // Directories, without trailing separators. The product root is asked once
  // per client and kept; the data directory is asked at every call, because
  // the panel may move it while a run goes on.
  std::wstring getProductRootDir();
  std::wstring getProductDataDir();
  // The product root with "admin", and with "admin" and "bin".
  std::wstring getAdminDir();
  std::wstring getAdminBinDir();

  // Registers `path` for removal once `service` no longer holds it.
  void addDeleteFile(const std::wstring& path, const std::wstring& service);
  // Removes every path registered for `service` now, stopping the service if
  // a file is locked; `keepStopped` leaves it stopped afterwards.
  void forceDeleteFiles(const std::wstring& service, bool keepStopped);

 private:
  std::wstring getDirectory(const std::wstring& name);

  std::mutex productRootLock_;
  std::optional<std::wstring> productRoot_;
};

}  // namespace wc
