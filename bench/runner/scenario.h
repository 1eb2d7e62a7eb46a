#pragma once
// The benchmarked commands on a state of a given size, and the command line
// of each of the three variants that do the same edit: the panel's program,
// its floor and its peer.

#include <filesystem>
#include <string>
#include <vector>

namespace bench {

enum class Variant { Wcadmin, Floor, Peer };
inline constexpr Variant kVariants[] = {Variant::Wcadmin, Variant::Floor, Variant::Peer};
const char* variantName(Variant variant);

struct CommandCase {
  std::string name;  // the command without its dashes: "install-vhost"
  bool mutating = true;
  std::vector<std::string> edited;      // the files it edits, relative to the Tomcat home
  std::vector<std::string> parameters;  // --name=value, the same for every variant
};

// The commands on a state of `hosts` hosts; the aliases files they read are
// written to `workDir`.
std::vector<CommandCase> benchmarkCases(int hosts, int aliasesPerHost, const std::filesystem::path& workDir);

struct ProgramPaths {
  std::string binDir;      // wcadmin and wcfloor
  std::string peerScript;  // peer.sh
  std::string tomcatHome;
  std::string varTomcatDir;
};

std::vector<std::string> commandLine(Variant variant, const CommandCase& command, const ProgramPaths& paths);

}  // namespace bench
