#include "base/system/system_root.h"

#include "base/system/environment.h"

namespace wc {

std::wstring systemRoot() {
  std::wstring root = environmentVariable(L"HCP_SYSTEM_ROOT").value_or(L"/");
  if (root.empty()) root = L"/";
  while (root.size() > 1 && root.back() == L'/') root.pop_back();
  return root;
}

std::wstring underSystemRoot(std::wstring_view relative) {
  std::wstring root = systemRoot();
  while (!relative.empty() && relative.front() == L'/') relative.remove_prefix(1);
  if (root.back() != L'/') root += L'/';
  return root + std::wstring(relative);
}

bool systemRootIsReal() { return systemRoot() == L"/"; }

}  // namespace wc
