#include "base/files/file_name.h"

#include <algorithm>
#include <vector>

#include "base/errors/vexception.h"
#include "base/files/path_root.h"
#include "base/text/vaformat.h"

namespace wc {

namespace {

constexpr size_t kMaxPathLength = 32767;
constexpr uint32_t kInvalidArgument = 0x80070057;  // E_INVALIDARG
constexpr uint32_t kNameTooLong = 0x800700CE;      // HRESULT of ERROR_FILENAME_EXCED_RANGE

[[noreturn]] void combineFailed(const std::wstring& directory, const std::wstring& name, uint32_t code) {
  throw vexception(vaformat(L"PathAllocCombine(%s, %s) failed: error code 0x%lx", directory, name, code),
                   VCALLPOINT(L"", "VFileName::combine"));
}

// The root of a path in its stored form: the platform's separators, and one
// at its end ("C:" -> "C:\").
std::wstring storedRoot(const std::wstring& path, size_t length) {
  std::wstring root = toPlatformSeparators(std::wstring_view(path).substr(0, length));
  if (!root.empty() && !isPathSeparator(root.back())) root += pathSeparator();
  return root;
}

// Resolves "." and ".." and drops empty segments; ".." never climbs above the
// root of an absolute path.
std::wstring canonical(const std::wstring& path) {
  const size_t rootLength = pathRootLength(path);
  std::vector<std::wstring> segments;
  size_t start = rootLength;
  while (start <= path.size()) {
    size_t end = start;
    while (end < path.size() && !isPathSeparator(path[end])) ++end;
    std::wstring segment = path.substr(start, end - start);
    if (segment == L"..") {
      if (!segments.empty() && segments.back() != L"..") {
        segments.pop_back();
      } else if (rootLength == 0) {
        segments.push_back(segment);
      }
    } else if (!segment.empty() && segment != L".") {
      segments.push_back(std::move(segment));
    }
    start = end + 1;
  }
  std::wstring result = storedRoot(path, rootLength);
  for (size_t i = 0; i < segments.size(); ++i) {
    if (i > 0) result += pathSeparator();
    result += segments[i];
  }
  if (result.empty() && !path.empty()) result = L".";
  return result;
}

constexpr std::wstring_view kDot = L".";
constexpr std::wstring_view kDotDot = L"..";

// Whether canonical() gives `path` back as it is: its root in stored form,
// then names other than "." and "..", each after one platform separator.
bool isCanonical(std::wstring_view path, size_t rootLength, wchar_t separator) {
  const std::wstring_view root = path.substr(0, rootLength);
  if (!root.empty() && root.back() != separator) return false;
  if (separator != L'/' && root.find(L'/') != std::wstring_view::npos) return false;
  for (size_t start = rootLength; start < path.size();) {
    size_t end = start;
    while (end < path.size() && path[end] != separator && path[end] != L'/') ++end;
    const std::wstring_view segment = path.substr(start, end - start);
    if (segment.empty() || segment == kDot || segment == kDotDot) return false;
    if (end == path.size()) break;
    if (path[end] != separator || end + 1 == path.size()) return false;
    start = end + 1;
  }
  return !path.empty();
}

// One name that adds one segment to a path.
bool isPlainName(const std::wstring& name, wchar_t separator) {
  if (name.empty() || name == kDot || name == kDotDot || pathRootLength(name) > 0) return false;
  return std::none_of(name.begin(), name.end(), [separator](wchar_t c) { return c == separator || c == L'/'; });
}

}  // namespace

bool isPathSeparator(wchar_t c) { return c == L'/' || c == pathSeparator(); }

std::wstring VFileName::combine(const std::wstring& directory, const std::wstring& name) {
  if (directory.find(L'\0') != std::wstring::npos || name.find(L'\0') != std::wstring::npos) {
    combineFailed(directory, name, kInvalidArgument);
  }
  // The common join, a name to a path in stored form, needs no new
  // canonical form: the commands join thousands of host paths.
  const wchar_t separator = pathSeparator();
  if (isPlainName(name, separator) && isCanonical(directory, pathRootLength(directory), separator)) {
    std::wstring joined;
    joined.reserve(directory.size() + 1 + name.size());
    joined = directory;
    if (joined.back() != separator) joined += separator;
    joined += name;
    if (pathRootLength(joined) == pathRootLength(directory)) {
      if (joined.size() > kMaxPathLength) combineFailed(directory, name, kNameTooLong);
      return joined;
    }
  }
  std::wstring joined;
  if (name.empty()) {
    joined = directory;
  } else if (pathRootLength(name) == 1 && pathRootLength(directory) > 1) {
    // A name from the root stays on the directory's drive or share.
    joined = storedRoot(directory, pathRootLength(directory)) + name.substr(1);
  } else if (directory.empty() || pathRootLength(name) > 0) {
    joined = name;
  } else if (isPathSeparator(directory.back())) {
    joined = directory + name;  // a second separator would start a share on Windows
  } else {
    joined = directory + pathSeparator() + name;
  }
  std::wstring result = canonical(joined);
  if (result.size() > kMaxPathLength) combineFailed(directory, name, kNameTooLong);
  return result;
}

std::wstring VFileName::parent(const std::wstring& path) {
  std::wstring trimmed = normalizeDirectoryPath(path);
  const size_t root = pathRootLength(trimmed);
  if (trimmed.size() <= root) return {};  // the root has none
  size_t end = trimmed.size();
  while (end > root && !isPathSeparator(trimmed[end - 1])) --end;
  if (end == 0) return {};
  // Drop the separators between the parent and the name, but keep the root.
  while (end > std::max<size_t>(root, 1) && isPathSeparator(trimmed[end - 1])) --end;
  return trimmed.substr(0, end);
}

std::wstring VFileName::name(const std::wstring& path) {
  std::wstring trimmed = normalizeDirectoryPath(path);
  size_t start = trimmed.size();
  while (start > 0 && !isPathSeparator(trimmed[start - 1])) --start;
  return trimmed.substr(start);
}

std::wstring normalizeDirectoryPath(std::wstring path) {
  const size_t keep = std::max<size_t>(pathRootLength(path), 1);
  while (path.size() > keep && isPathSeparator(path.back())) path.pop_back();
  return path;
}

namespace {

std::wstring comparedForm(const std::wstring& path) { return normalizeDirectoryPath(VFileName::combine(L"", path)); }

}  // namespace

bool isSamePath(const std::wstring& a, const std::wstring& b) {
  // The common answer without a new form: hcpcheck compares every Host's paths.
  return a == b || samePathText(comparedForm(a), comparedForm(b));
}

bool isPathInside(const std::wstring& inner, const std::wstring& outer) {
  const std::wstring a = comparedForm(inner);
  const std::wstring b = comparedForm(outer);
  if (b.empty() || a.size() <= b.size()) return false;
  // A root ("/", "C:\") ends in its separator; any other directory is
  // followed by one.
  const bool boundary = isPathSeparator(b.back()) || isPathSeparator(a[b.size()]);
  return boundary && samePathText(std::wstring_view(a).substr(0, b.size()), b);
}

}  // namespace wc
