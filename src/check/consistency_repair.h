#pragma once
// hcpcheck --fix: checks, then repairs what the commands' own operations can
// repair (see repair_plan.h), and restarts Tomcat when server.xml changed and
// the service runs. Archives, realm files of existing hosts and directories
// are never removed.

#include <vector>

#include "check/consistency_check.h"
#include "check/repair.h"

namespace wc {

class TomcatManager;

// The repairs made, in the order of the findings they repair. Throws as
// checkConsistency does, and as the operations do when an edit fails.
std::vector<Repair> repairConsistency(TomcatManager& manager, const PanelLocations& where);

}  // namespace wc
