#pragma once
// hcpcheck's two forms of its findings: lines for people and one JSON document
// for the panel. Both are UTF-8.

#include <string>
#include <vector>

#include "check/finding.h"
#include "check/repair.h"

namespace wc {

// One line per finding, "<kind>: <host>: <problem> (<file>:<line>)", with "-"
// for no host and "(<file>)" for line 0; empty when there is no finding.
std::string findingsText(const std::vector<Finding>& findings);

// {"consistent":<bool>,"findings":[{"kind":"","host":"","problem":"","file":"",
// "line":N},...]} and a line break; "host" is "" for no host, "line" 0 for a
// file or directory as a whole.
std::string findingsJson(const std::vector<Finding>& findings);

// hcpcheck --fix: one line per repair, "fixed: <kind>: <host>: <done>", with
// "-" for no host; and the JSON document above with a "fixed" array of
// {"kind":"","host":"","done":""} after "findings".
std::string repairsText(const std::vector<Repair>& repairs);
std::string findingsJson(const std::vector<Finding>& findings, const std::vector<Repair>& fixed);

}  // namespace wc
