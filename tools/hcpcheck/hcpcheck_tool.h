#pragma once
// hcpcheck: reads the panel's Tomcat configuration as wcadmin finds it and
// prints where it is inconsistent. It changes nothing unless asked to repair
// (--fix).

#include <string>
#include <vector>

namespace wc {

// Runs the check for the arguments after the program name: 0 consistent,
// 1 findings printed, 2 a usage error or a failure of the check.
int runHcpcheck(const std::vector<std::wstring>& args);

}  // namespace wc
