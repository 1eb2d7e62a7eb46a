#pragma once
// The keys of uriworkermap.properties under which a host's web applications
// are mounted: "/name/app" and "/name/app/*" for the host and each alias,
// names as mountName() writes them.

#include <string>
#include <string_view>
#include <vector>

namespace wc {

// A host or alias name as it appears in mount keys: lower-cased character by
// character, in the ANSI code page.
std::string mountName(std::wstring_view hostOrAlias);

// "/" + name + "/": the start of every mount key under a host or alias name.
std::string mountPrefix(std::wstring_view hostOrAlias);

// The name part of a mount key, "/name/", or nothing when the key has none.
// Names hold no '/', so it is the text up to the key's second '/'.
std::string_view mountNameOf(std::string_view key);

// The mount keys of one application, for the host, then for each alias in
// list order.
std::vector<std::string> webAppMountKeys(const std::wstring& hostName, const std::vector<std::wstring>& aliases,
                                         const std::wstring& appName);

}  // namespace wc
