#pragma once
// The whole-machine consistency check: reads server.xml, workers.properties,
// uriworkermap.properties and the panel's directories as they are and names
// every place where they disagree with each other or with what the commands
// write. It changes nothing.

#include <string>
#include <vector>

#include "base/system/context.h"
#include "check/finding.h"

namespace wc {

// Where the panel's files are on this machine, as the commands find them
// through the provider and the management service.
struct PanelLocations {
  std::wstring serverXml;     // the Tomcat home's conf/server.xml
  std::wstring workers;       // workers.properties
  std::wstring uriWorkerMap;  // uriworkermap.properties
  std::wstring tomcatHome;    // holds the realm files (hcp-users/<host>.xml)
  std::wstring varTomcat;     // the panel's Tomcat data directory (hcp-webapps, hcp-wars)
  // The deferred removal's storage: a started link registered there is
  // stopped already (--stop-webapp leaves it to Tomcat's next stop).
  std::wstring removalStorage;
  // isapi_redirect.properties: looked at only for what its saves leave.
  std::wstring isapiRedirectProperties;
};

// Every finding, ordered by file and line: server.xml, workers.properties and
// uriworkermap.properties in this order, then the other files and directories
// by path. Lines are counted as an editor counts them (CR LF, CR or LF end a
// line); an element's line is that of the first line of its start tag.
//
// Names compare as Tomcat and the redirector compare them: host names and
// aliases ignoring letter case, worker names and application names exactly,
// the name part of a mount key against the lower-cased names.
//
// A missing workers.properties or uriworkermap.properties is not an error but
// what it lacks: every Host's worker is missing (worker-missing), or every
// started application's mounts (mounts-missing), each with line 0. A missing
// panel directory means no host directories, realm files or started links.
//
// Throws vexception naming the path when a file cannot be read, when
// server.xml is missing, and when it is not well-formed, as the commands do.
std::vector<Finding> checkConsistency(const Context& context, const PanelLocations& where);

// The same on the files and directories as already read (readPanelSnapshot):
// a check that reads them once for its own use as well. The findings'
// subjects view the snapshot; the other form leaves them empty.
struct PanelSnapshot;
std::vector<Finding> checkConsistency(const PanelSnapshot& snapshot);

}  // namespace wc
