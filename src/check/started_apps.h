#pragma once
// The started applications of a host: the links "<app>.war" in its
// application base (hcp-webapps/<host>).

#include <string>
#include <vector>

#include "check/consistency_check.h"

std::vector<std::wstring> startedApplications(const PanelLocations& where, const std::wstring& host);
