#pragma once
// The benchmarked commands on a state of a given size, and the command line
// of each variant: the panel's program, its floor and its peer, which do the
// same edit, and the plain floor, which only loads and saves the files the
// command edits (mutating commands only).

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "common/bench_layout.h"

namespace bench {

enum class Variant { Wcadmin, Floor, Plain, Peer };
inline constexpr Variant kVariants[] = {Variant::Wcadmin, Variant::Floor, Variant::Plain, Variant::Peer};
const char* variantName(Variant variant);

// hcpcheck's case: the panel's program is hcpcheck, which takes no command.
inline const std::string kCheckCommand = "check";

struct CommandCase {
  std::string name;  // the command without its dashes: "install-vhost"
  bool mutating = true;
  bool hasFloor = true;                 // hcpcheck's floor does its file system work, not the check
  bool hasPeer = true;                  // false: no peer does it
  std::vector<std::string> edited;      // the files it edits, relative to the Tomcat home
  std::vector<std::string> parameters;  // --name=value, the same for every variant
  // On the state that hcpcheck finds consistent (StateShape::consistent):
  // only the panel's program runs there, and the results' row is named
  // after the state.
  bool consistentState = false;

  std::string row() const { return consistentState && name != kCheckCommand ? name + ", consistent" : name; }
  // The plain floor's and the peer's targets are those of the commands that
  // edit server.xml.
  bool editsServerXml() const { return std::find(edited.begin(), edited.end(), kServerXml) != edited.end(); }
};

// The commands on a state of `hosts` hosts; the aliases files they read are
// written to `workDir`. The last ones run on the consistent state: hcpcheck
// and, as its yardstick, add-alias.
std::vector<CommandCase> benchmarkCases(int hosts, int aliasesPerHost, const std::filesystem::path& workDir);

struct ProgramPaths {
  std::string binDir;      // wcadmin, wcfloor and wcplain
  std::string peerScript;  // peer.sh
  std::string tomcatHome;
  std::string varTomcatDir;
};

// Whether the variant runs the command at all and leaves the state the
// command leaves (the plain floor edits nothing).
bool runsCommand(Variant variant, const CommandCase& command);
bool makesTheEdit(Variant variant);

std::vector<std::string> commandLine(Variant variant, const CommandCase& command, const ProgramPaths& paths);

}  // namespace bench
