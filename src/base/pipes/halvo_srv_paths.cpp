// The panel's directories as the management service reports them.

#include "base/files/file_name.h"
#include "base/pipes/halvo_srv_client.h"

namespace wc {

std::wstring HalvoSrvClient::getDirectory(const std::wstring& name) {
  // The canonical form: separators of this platform, no "." or ".." segments
  // and no trailing separators (the root itself stays).
  std::wstring value = normalizeDirectoryPath(VFileName::combine(getString(name), L""));
  // An empty directory would turn every path below it into one relative to
  // wherever the program happens to run.
  if (value.empty())
    throw vexception(L"Halvo Management Service reported an empty value for " + name,
                     VCALLPOINT(L"", "HalvoSrvClient::getDirectory"));
  return value;
}

std::wstring HalvoSrvClient::getProductRootDir() {
  std::lock_guard guard(productRootLock_);
  if (!productRoot_) productRoot_ = getDirectory(L"PRODUCT_ROOT_D");
  return *productRoot_;
}

std::wstring HalvoSrvClient::getProductDataDir() { return getDirectory(L"PRODUCT_DATA_D"); }

std::wstring HalvoSrvClient::getAdminDir() { return VFileName::combine(getProductRootDir(), L"admin"); }

std::wstring HalvoSrvClient::getAdminBinDir() {
  return VFileName::combine(VFileName::combine(getProductRootDir(), L"admin"), L"bin");
}

}  // namespace wc
