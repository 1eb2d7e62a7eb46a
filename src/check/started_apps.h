#pragma once
// The started applications of a host: the links "<app>.war" in its
// application base (hcp-webapps/<host>) that are not registered for removal.

#include <string>
#include <unordered_set>
#include <vector>

#include "check/consistency_check.h"

// In the order of their names; none when the application base is gone.
std::vector<std::wstring> startedApplications(const std::wstring& applicationBase,
                                              const std::unordered_set<std::wstring>& leaving);

// The paths registered in the removal storage (none without one).
std::unordered_set<std::wstring> pathsLeaving(const PanelLocations& where);
