#include "runner/scenario.h"

#include <fstream>
#include <stdexcept>

#include "common/bench_layout.h"
#include "generator/state_generator.h"

namespace bench {

namespace fs = std::filesystem;

const char* variantName(Variant variant) {
  switch (variant) {
    case Variant::Wcadmin:
      return "wcadmin";
    case Variant::Floor:
      return "floor";
    case Variant::Plain:
      return "plain";
    case Variant::Peer:
      return "peer";
  }
  return "?";
}

namespace {
std::string writeAliasesFile(const fs::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  if (!out) throw std::runtime_error("cannot write " + path.string());
  return path.string();
}
}  // namespace

std::vector<CommandCase> benchmarkCases(int hosts, int aliasesPerHost, const fs::path& workDir) {
  const int touched = touchedHostIndex(hosts);
  const std::string host = hostName(touched);
  std::string newAliases;
  for (int k = 0; k < aliasesPerHost; ++k) newAliases += newHostAlias(k) + "\n";
  const std::string newHostFile = writeAliasesFile(workDir / "aliases-new-host.txt", newAliases);
  const std::string touchedFile = writeAliasesFile(workDir / ("aliases-" + std::to_string(hosts) + ".txt"),
                                                   aliasesFileText(touched, aliasesPerHost));

  const std::string workers = kWorkersProperties;
  const std::string map = kUriWorkerMap;
  const std::string server = kServerXml;
  return {
      {"install-vhost", true, true, true, {server, workers}, {"--vhost-name=" + kNewHost, "--aliases=" + newHostFile}},
      {"add-alias", true, true, true, {server, map}, {"--vhost-name=" + host, "--alias=" + kAddedAlias}},
      {"remove-alias", true, true, true, {server, map}, {"--vhost-name=" + host, "--alias=" + aliasName(touched, 0)}},
      {"rename-vhost",
       true,
       true,
       true,
       {server, workers, map},
       {"--old-name=" + host, "--new-name=" + renamedHostName(touched), "--aliases=" + touchedFile}},
      {"start-webapp", true, true, true, {map}, {"--vhost-name=" + host, "--webapp-name=" + kStoppedApplication}},
      {"stop-webapp", true, true, true, {map}, {"--vhost-name=" + host, "--webapp-name=" + startedApplications()[1]}},
      {"remove-vhost", true, false, false, {server, workers}, {"--vhost-name=" + host}},
      {"get-webapp-list", false, true, true, {}, {"--vhost-name=" + host}},
      {kCheckCommand, false, true, false, {}, {}, true},
      {"add-alias", true, false, false, {server, map}, {"--vhost-name=" + host, "--alias=" + kAddedAlias}, true},
  };
}

bool runsCommand(Variant variant, const CommandCase& command) {
  switch (variant) {
    case Variant::Wcadmin:
      return true;
    case Variant::Plain:
      return command.mutating && !command.consistentState;
    case Variant::Floor:
      return command.hasFloor;
    case Variant::Peer:
      return command.hasPeer;
  }
  return false;
}

bool makesTheEdit(Variant variant) { return variant != Variant::Plain; }

std::vector<std::string> commandLine(Variant variant, const CommandCase& command, const ProgramPaths& paths) {
  std::vector<std::string> argv;
  if (variant == Variant::Plain) {
    argv = {paths.binDir + "/wcplain"};
    for (const std::string& file : command.edited) {
      argv.push_back((file == kServerXml ? "--server-xml=" : "--property-file=") + paths.tomcatHome + "/" + file);
    }
    return argv;
  }
  switch (variant) {
    case Variant::Wcadmin:
      argv = command.name == kCheckCommand ? std::vector<std::string>{paths.binDir + "/hcpcheck"}
                                           : std::vector<std::string>{paths.binDir + "/wcadmin", "--" + command.name};
      break;
    case Variant::Floor:
      argv = {paths.binDir + "/wcfloor", command.name};
      break;
    case Variant::Peer:
      argv = {"/bin/bash", paths.peerScript, command.name};
      break;
    case Variant::Plain:
      break;
  }
  if (variant != Variant::Wcadmin) {
    argv.push_back("--tomcat-home=" + paths.tomcatHome);
    argv.push_back("--var-tomcat=" + paths.varTomcatDir);
  }
  argv.insert(argv.end(), command.parameters.begin(), command.parameters.end());
  return argv;
}

}  // namespace bench
