#include "check/finding_order.h"

#include <algorithm>
#include <tuple>

namespace wc {

void orderFindings(std::vector<Finding>& findings, const std::vector<std::wstring>& firstFiles) {
  auto rank = [&firstFiles](const std::wstring& file) {
    return static_cast<size_t>(std::find(firstFiles.begin(), firstFiles.end(), file) - firstFiles.begin());
  };
  std::sort(findings.begin(), findings.end(), [&rank](const Finding& a, const Finding& b) {
    return std::forward_as_tuple(rank(a.file), a.file, a.line, a.kind, a.host, a.problem) <
           std::forward_as_tuple(rank(b.file), b.file, b.line, b.kind, b.host, b.problem);
  });
}

}  // namespace wc
