#pragma once
// A set of service names; the service manager compares names ignoring case.

#include <set>
#include <string>

#include "base/text/strings.h"

namespace wc {

struct ServiceNameLess {
  bool operator()(const std::wstring& a, const std::wstring& b) const { return lowerCase(a) < lowerCase(b); }
};

using ServiceNameSet = std::set<std::wstring, ServiceNameLess>;

}  // namespace wc
