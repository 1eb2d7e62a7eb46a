#pragma once
// The hosts' started applications and what their links hold: hcp-webapps and
// hcp-wars are listed, then each directory of hcp-webapps (the links
// "<app>.war" not registered for removal are the started applications), and
// each started link is looked at against its archive in hcp-wars.
//
// At thousands of hosts these are tens of thousands of file calls that wait
// on the kernel: they run on other threads while server.xml and the property
// files are read, and each failure is kept to be thrown where the check,
// reading in order, would meet it.

#include <exception>
#include <string>
#include <unordered_set>
#include <vector>

#include "check/panel_snapshot.h"

namespace wc {

struct StartedDirectory {
  std::vector<std::wstring> applications;  // in the order of their names
  std::vector<LinkState> links;            // what each one's link holds
  std::exception_ptr listingFailed;
  std::exception_ptr linksFailed;      // a link or archive could not be looked at
  const HostEntry* takenBy = nullptr;  // the Host its lists were moved to
};

struct StartedLinks {
  DirectoryEntries appBases;  // hcp-webapps
  std::exception_ptr appBasesFailed;
  DirectoryEntries archives;  // hcp-wars
  std::exception_ptr archivesFailed;
  std::exception_ptr leavingFailed;           // the removal storage could not be read
  std::vector<StartedDirectory> directories;  // in the order of appBases.names
};

// Lists and looks; throws nothing: every failure is kept in the answer.
StartedLinks scanStartedLinks(const Context& context, const PanelLocations& where);

// The paths registered in the removal storage (none without one), by their
// pathCaseKey.
std::unordered_set<std::wstring> pathsLeaving(const Context& context, const PanelLocations& where);

}  // namespace wc
