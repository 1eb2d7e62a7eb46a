#pragma once
// The order in which findings are reported.

#include <string>
#include <vector>

#include "check/finding.h"

namespace wc {

// server.xml, workers.properties and uriworkermap.properties first, in this
// order, then every other file or directory by path; within a file by line,
// then kind, host and problem, so that equal machines give equal reports.
void orderFindings(std::vector<Finding>& findings, const std::vector<std::wstring>& firstFiles);

}  // namespace wc
