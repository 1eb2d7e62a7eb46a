#pragma once
// A key as the command line names it: HKLM\..., HKEY_LOCAL_MACHINE\...,
// HKCU\... or HKEY_CURRENT_USER\... (root names in any letter case).

#include <optional>
#include <string>

#include "base/registry/registry.h"

namespace wc {

struct KeyArgument {
  registry::Root root = registry::Root::LocalMachine;
  std::wstring path;  // below the root; empty for the root itself

  // The full name with the root spelled out, as query and export show it.
  std::wstring fullName() const;
  KeyArgument child(const std::wstring& name) const;
};

// Nothing when the root is unknown or the path is not a valid key name.
std::optional<KeyArgument> parseKeyArgument(const std::wstring& text);

}  // namespace wc
