#pragma once
// The holder of a package provider: reads which package of a type the panel
// configured, loads the package's library and asks its export for the provider
// object; gives the object back through release() and unloads the library when
// destroyed.

#include <string>

#include "base/system/context.h"
#include "provider/ITomcatProvider.h"
#include "provider/vlibrary.h"

namespace wc {

template <class Provider>
class DefPackageProviderInstance {
 public:
  // Reads "SOFTWARE\Halvo\HCP Config\Config\Packages\<packageType>" (default
  // value: the package name; empty or "none": no provider) and the package's
  // "dll" value, loads it and calls the export `exportName`.
  DefPackageProviderInstance(const Context& context, const std::wstring& packageType, const std::wstring& exportName);
  virtual ~DefPackageProviderInstance();
  DefPackageProviderInstance(const DefPackageProviderInstance&) = delete;
  DefPackageProviderInstance& operator=(const DefPackageProviderInstance&) = delete;

  // The provider; throws "Default package provider is undefined" without one.
  Provider* get() const;
  bool hasProvider() const { return provider_ != nullptr; }

 protected:
  VLibrary library_;
  Provider* provider_ = nullptr;
};

class TomcatProviderInstance : public DefPackageProviderInstance<ITomcatProvider> {
 public:
  explicit TomcatProviderInstance(const Context& context)
      : DefPackageProviderInstance(context, L"tomcat", L"getTomcatProviderInstance") {}
};

extern template class DefPackageProviderInstance<ITomcatProvider>;

}  // namespace wc
