#pragma once
// Writes the state of a panel server with many hosts, as the commands of the
// panel would have left it: server.xml with the HCP Service and one Host per
// domain, workers.properties with one AJP worker per host, and
// uriworkermap.properties with the mounts of every started application, plus
// the per-host directories of the host that the benchmarked commands touch
// (of every host in the consistent state that hcpcheck reads).

#include <filesystem>
#include <string>

namespace bench {

struct StateShape {
  int hosts = 1000;
  // Panel aliases per host; each is an Alias element and its "www." twin.
  int aliasesPerHost = 2;
  // The sandbox root that absolute paths inside the files name (appBase);
  // the state is meant to be copied there.
  std::string sandboxRoot;
  // The state hcpcheck finds consistent: every host has its directories, its
  // archives with their started links (hard links) and its realm file, and
  // its applications are mounted under every alias (36 lines per host
  // instead of 12).
  bool consistent = false;
};

// Writes the state under `out`, laid out like the sandbox root (opt/tomcat,
// var/opt/halvo, ...). Existing files are replaced. Throws std::runtime_error
// when a file cannot be written.
void generateState(const StateShape& shape, const std::filesystem::path& out);

// The text of the aliases file that lists a host's panel aliases.
std::string aliasesFileText(int hostIndex, int aliasesPerHost);

}  // namespace bench
