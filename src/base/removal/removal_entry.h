#pragma once
// One registered item of the deferred removal: a path (or a local account)
// that a service may still hold, with the identifier it was registered under.

#include <cstdint>
#include <string>

namespace wc {

enum class UriType : uint32_t { Path = 0, User = 1 };

struct RemovalEntry {
  std::wstring id;   // sequential GUID text, unique within the storage
  std::wstring uri;  // the path, or the account name of a User entry
  UriType type = UriType::Path;
  std::wstring service;  // the service that may hold the path; may be empty

  bool operator==(const RemovalEntry&) const = default;
};

// "Path" or "User". Any other value throws vexception "Unable convert URI
// type to string %X".
std::wstring uriTypeToString(UriType type);
// The type named by "Path" or "User" (exact spelling). Any other text throws
// vexception "Wrong URI type: <text>".
UriType uriTypeFromString(const std::wstring& text);

// A new Path entry for `path` and `service` with a fresh identifier.
RemovalEntry newPathEntry(const std::wstring& path, const std::wstring& service);

}  // namespace wc
