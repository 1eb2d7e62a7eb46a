#include "names/name_rules.h"

#include <algorithm>

namespace wc {

namespace {

bool isAsciiLetterOrDigit(wchar_t c) {
  return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9');
}

std::optional<std::wstring> emptyOrDotsProblem(std::wstring_view name) {
  if (name.empty()) return L"the name is empty";
  if (name == L"." || name == L"..") return L"\".\" and \"..\" are not names";
  return std::nullopt;
}

// A domain name's limits, in the characters of its ASCII form: longer names
// are not names a resolver or a certificate takes.
constexpr size_t kMaxDomainNameLength = 253;
constexpr size_t kMaxLabelLength = 63;

std::optional<std::wstring> lengthProblem(std::wstring_view name) {
  if (name.size() > kMaxDomainNameLength) return L"longer than the 253 characters a domain name may have";
  for (size_t begin = 0; begin <= name.size();) {
    size_t end = std::min(name.find(L'.', begin), name.size());
    if (end - begin > kMaxLabelLength) return L"a label is longer than 63 characters";
    begin = end + 1;
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::wstring> hostNameProblem(std::wstring_view name) {
  if (auto problem = emptyOrDotsProblem(name)) return problem;
  for (wchar_t c : name) {
    if (!isAsciiLetterOrDigit(c) && c != L'-' && c != L'_' && c != L'.') {
      return L"only ASCII letters, digits, '-', '_' and '.' may be used (internationalised names in their "
             L"\"xn--\" form)";
    }
  }
  return lengthProblem(name);
}

std::optional<std::wstring> aliasNameProblem(std::wstring_view name) {
  if (auto problem = hostNameProblem(name.starts_with(L"*.") ? name.substr(2) : name)) return problem;
  return lengthProblem(name);
}

std::optional<std::wstring> aliasListNameProblem(std::wstring_view name) {
  if (name.starts_with(L"www.") && !aliasNameProblem(name.substr(4))) return std::nullopt;
  return aliasNameProblem(name);
}

std::optional<std::wstring> webAppNameProblem(std::wstring_view name) {
  if (auto problem = emptyOrDotsProblem(name)) return problem;
  for (wchar_t c : name) {
    if (c == L'#') return L"'#' separates nested paths in Tomcat and cannot stand in a URL mount key";
    if (c == L'/' || c == L'\\' || c == L'=') return L"'/', '\\' and '=' may not be used";
    if (c == L' ' || c < 0x20 || (c >= 0x7F && c <= 0xA0) || c == 0x2028 || c == 0x2029 || c == 0x3000 || c == 0xFEFF) {
      return L"blanks and control characters may not be used";
    }
  }
  return std::nullopt;
}

std::optional<std::wstring> workerNameProblem(std::wstring_view name) {
  if (name.empty()) return L"the name is empty";
  for (wchar_t c : name) {
    if (!isAsciiLetterOrDigit(c) && c != L'-' && c != L'_')
      return L"only ASCII letters, digits, '-' and '_' may be used";
  }
  return std::nullopt;
}

}  // namespace wc
