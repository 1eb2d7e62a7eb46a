#include "base/files/find_file_names.h"

#include <algorithm>
#include <cstdint>

#include "base/errors/os_error.h"
#include "base/files/file_system.h"
#include "base/files/open_directory.h"
#include "base/text/strings.h"

namespace wc {

namespace {

// Letter case ignored as lowerChar ignores it; ASCII, as most names are,
// without a call per character.
bool sameIgnoringCase(wchar_t a, wchar_t b) {
  if (a == b) return true;
  const uint32_t lowerA = static_cast<uint32_t>(a) | 0x20;
  if ((static_cast<uint32_t>(a) | static_cast<uint32_t>(b)) < 0x80) {
    return lowerA == (static_cast<uint32_t>(b) | 0x20) && lowerA >= 'a' && lowerA <= 'z';
  }
  return lowerChar(a) == lowerChar(b);
}

}  // namespace

bool matchesWildcard(std::wstring_view name, std::wstring_view pattern) {
  if (pattern == L"*.*") pattern = L"*";
  // '*' and a plain end ("*.war", the pattern of a listing per host): the
  // name's end is compared, without the search.
  if (pattern.starts_with(L'*') && pattern.find_first_of(L"*?", 1) == std::wstring_view::npos) {
    const std::wstring_view end = pattern.substr(1);
    return name.size() >= end.size() && std::equal(end.begin(), end.end(), name.end() - end.size(), sameIgnoringCase);
  }
  // Greedy match with one backtracking point: the last '*' seen.
  size_t n = 0, p = 0;
  size_t starP = std::wstring_view::npos, starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == L'?' || sameIgnoringCase(pattern[p], name[n]))) {
      ++n;
      ++p;
    } else if (p < pattern.size() && pattern[p] == L'*') {
      starP = p++;
      starN = n;
    } else if (starP != std::wstring_view::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == L'*') ++p;
  return p == pattern.size();
}

namespace {

[[noreturn]] void listingFailed(const std::wstring& directory, uint32_t error) {
  throwOsError(L"List directory '" + directory + L"'", error, VCALLPOINT(L"", "findFileNames"));
}

std::vector<FoundName> matchingNames(std::vector<DirectoryEntry>& entries, const std::wstring& pattern,
                                     NameOrder order) {
  // A name in lower-case ASCII, as the panel writes them, is its own sort key.
  auto ownKey = [](const std::wstring& name) {
    return std::none_of(name.begin(), name.end(),
                        [](wchar_t c) { return (c >= L'A' && c <= L'Z') || static_cast<uint32_t>(c) >= 0x80; });
  };
  std::vector<FoundName> found;
  found.reserve(entries.size());
  bool ownKeys = true;
  for (DirectoryEntry& entry : entries) {
    if (!matchesWildcard(entry.name, pattern)) continue;
    if (order == NameOrder::Sorted) ownKeys = ownKeys && ownKey(entry.name);
    found.push_back({std::move(entry.name), entry.directory, entry.volume, entry.fileNumber});
  }
  if (order == NameOrder::AsListed) return found;
  // Names that are their own keys sort as they are (a listing per host of
  // the check); others are lower-cased once each, not once per comparison:
  // the panel's directories hold an entry per host.
  auto byName = [](const FoundName& a, const FoundName& b) { return a.name < b.name; };
  if (ownKeys) {
    std::sort(found.begin(), found.end(), byName);
    return found;
  }
  struct Keyed {
    std::wstring key;  // empty where the name is its own
    FoundName found;
    const std::wstring& sortKey() const { return key.empty() ? found.name : key; }
  };
  std::vector<Keyed> keyed;
  keyed.reserve(found.size());
  for (FoundName& name : found) {
    std::wstring key = ownKey(name.name) ? std::wstring() : lowerCase(name.name);
    keyed.push_back({std::move(key), std::move(name)});
  }
  std::sort(keyed.begin(), keyed.end(), [&byName](const Keyed& a, const Keyed& b) {
    const std::wstring& aKey = a.sortKey();
    const std::wstring& bKey = b.sortKey();
    return aKey != bKey ? aKey < bKey : byName(a.found, b.found);
  });
  for (size_t i = 0; i < keyed.size(); ++i) found[i] = std::move(keyed[i].found);
  return found;
}

}  // namespace

std::vector<FoundName> findFileNames(const Context& context, const std::wstring& directory, const std::wstring& pattern,
                                     NameOrder order) {
  std::vector<DirectoryEntry> entries;
  if (uint32_t error = context.files->listDirectory(directory, entries)) listingFailed(directory, error);
  return matchingNames(entries, pattern, order);
}

std::vector<FoundName> findFileNames(const OpenDirectory& parent, const std::wstring& relative,
                                     const std::wstring& pattern, NameOrder order) {
  std::vector<DirectoryEntry> entries;
  if (uint32_t error = parent.listDirectory(relative, entries)) listingFailed(parent.pathOf(relative), error);
  return matchingNames(entries, pattern, order);
}

}  // namespace wc
