#include "provider/package_provider_instance.h"

#include "base/errors/os_error.h"
#include "base/registry/registry.h"

namespace wc {

namespace {
const wchar_t kPackagesKey[] = L"SOFTWARE\\Halvo\\HCP Config\\Config\\Packages\\";
// The function name the program's messages use for the holder.
const char kHolderName[] = "DefPackageProviderInstance<class ITomcatProvider>";
}  // namespace

template <class Provider>
DefPackageProviderInstance<Provider>::DefPackageProviderInstance(const Context& context,
                                                                 const std::wstring& packageType,
                                                                 const std::wstring& exportName) {
  std::wstring typeKey = kPackagesKey + packageType;
  std::wstring package;
  const uint32_t lookup = registry::lookupString(context, registry::Root::LocalMachine, typeKey, L"", package,
                                                 registry::REG_SZ, registry::kView32);
  // A missing key or value means no package; a store that cannot be read is
  // an error, not a reason to run without the provider.
  if (lookup == ERROR_FILE_NOT_FOUND || lookup == ERROR_PATH_NOT_FOUND)
    package.clear();
  else if (lookup != 0)
    throwOsError(L"lookup subKey=" + typeKey + L" value=", lookup,
                 vcallpoint{L"", std::string(kHolderName) + "::DefPackageProviderInstance", __LINE__});
  if (package.empty() || package == L"none") return;

  std::wstring path =
      registry::getstr(context, registry::Root::LocalMachine, typeKey + L"\\" + package, L"dll", registry::kView32);
  if (path.empty()) return;

  library_.load(path);
  using Export = Provider* (*)();
  auto getInstance = reinterpret_cast<Export>(library_.getProcAddress(exportName));
  provider_ = getInstance();
  if (!provider_) {
    throw vexception(L"Library " + library_.fileName() + L" is corrupted",
                     vcallpoint{L"", std::string(kHolderName) + "::DefPackageProviderInstance", __LINE__});
  }
}

template <class Provider>
DefPackageProviderInstance<Provider>::~DefPackageProviderInstance() {
  if (provider_) {
    try {
      provider_->release();
    } catch (...) {
      // The provider is gone either way; nothing of it is called again.
    }
    provider_ = nullptr;
  }
}

template <class Provider>
Provider* DefPackageProviderInstance<Provider>::get() const {
  if (!provider_)
    throw vexception(L"Default package provider is undefined",
                     vcallpoint{L"", std::string(kHolderName) + "::get", __LINE__});
  return provider_;
}

template class DefPackageProviderInstance<ITomcatProvider>;

}  // namespace wc
