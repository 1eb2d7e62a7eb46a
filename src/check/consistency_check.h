#pragma once
// The whole-machine consistency check: reads server.xml, workers.properties,
// uriworkermap.properties and the panel's directories as they are and names
// every place where they disagree with each other or with what the commands
// write. It changes nothing.

#include <string>
#include <vector>

#include "check/finding.h"

// Where the panel's files are on this machine, as the commands find them
// through the provider and the management service.
struct PanelLocations {
  std::wstring serverXml;     // the Tomcat home's conf/server.xml
  std::wstring workers;       // workers.properties
  std::wstring uriWorkerMap;  // uriworkermap.properties
  std::wstring tomcatHome;    // holds the realm files (hcp-users/<host>.xml)
  std::wstring varTomcat;     // the panel's Tomcat data directory (hcp-webapps, hcp-wars)
};

// Every finding, ordered by file and line. Throws vexception when a file
// cannot be read or server.xml is not well-formed.
std::vector<Finding> checkConsistency(const PanelLocations& where);
