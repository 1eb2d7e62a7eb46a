// wcfloor: the floor of the benchmarked commands. Each run does one command's
// file work and nothing else; the benchmark compares the panel's program with
// it.
//
//   wcfloor <command> --tomcat-home=DIR --var-tomcat=DIR [--name=value ...]

#include <cstdio>
#include <exception>
#include <map>
#include <stdexcept>
#include <string>

#include "floor/floor_commands.h"

namespace {

const char kUsage[] =
    "Usage: wcfloor <command> --tomcat-home=DIR --var-tomcat=DIR [parameters]\n"
    "  install-vhost   --vhost-name=H [--aliases=FILE]\n"
    "  add-alias       --vhost-name=H --alias=A\n"
    "  remove-alias    --vhost-name=H --alias=A\n"
    "  rename-vhost    --old-name=H --new-name=N [--aliases=FILE]\n"
    "  start-webapp    --vhost-name=H --webapp-name=A\n"
    "  stop-webapp     --vhost-name=H --webapp-name=A\n"
    "  get-webapp-list --vhost-name=H [--started-only]\n"
    "  check           (hcpcheck's file system work alone)\n";

std::map<std::string, std::string> parseParameters(int argc, char** argv) {
  std::map<std::string, std::string> values;
  for (int i = 2; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg.rfind("--", 0) != 0) throw std::runtime_error("unexpected argument '" + arg + "'");
    size_t eq = arg.find('=');
    values[arg.substr(2, eq == std::string::npos ? std::string::npos : eq - 2)] =
        eq == std::string::npos ? "" : arg.substr(eq + 1);
  }
  return values;
}

std::string required(const std::map<std::string, std::string>& values, const std::string& name) {
  auto found = values.find(name);
  if (found == values.end() || found->second.empty()) throw std::runtime_error("--" + name + " is required");
  return found->second;
}

std::string optional(const std::map<std::string, std::string>& values, const std::string& name) {
  auto found = values.find(name);
  return found == values.end() ? "" : found->second;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fputs(kUsage, stderr);
    return 1;
  }
  try {
    const std::string command = argv[1];
    const auto values = parseParameters(argc, argv);
    const floorwork::FloorPaths paths{required(values, "tomcat-home"), required(values, "var-tomcat")};
    if (command == "install-vhost") {
      floorwork::installVHost(paths, required(values, "vhost-name"), optional(values, "aliases"));
    } else if (command == "add-alias") {
      floorwork::addAlias(paths, required(values, "vhost-name"), required(values, "alias"));
    } else if (command == "remove-alias") {
      floorwork::removeAlias(paths, required(values, "vhost-name"), required(values, "alias"));
    } else if (command == "rename-vhost") {
      floorwork::renameVHost(paths, required(values, "old-name"), required(values, "new-name"),
                             optional(values, "aliases"));
    } else if (command == "start-webapp") {
      floorwork::startWebApp(paths, required(values, "vhost-name"), required(values, "webapp-name"));
    } else if (command == "stop-webapp") {
      floorwork::stopWebApp(paths, required(values, "vhost-name"), required(values, "webapp-name"));
    } else if (command == "get-webapp-list") {
      for (const std::string& name :
           floorwork::getWebAppList(paths, required(values, "vhost-name"), values.count("started-only") > 0)) {
        std::printf("%s\n", name.c_str());
      }
    } else if (command == "check") {
      std::printf("%zu archives\n", floorwork::checkFiles(paths));
    } else {
      std::fprintf(stderr, "wcfloor: unknown command '%s'\n%s", command.c_str(), kUsage);
      return 1;
    }
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "wcfloor: %s\n", e.what());
    return 1;
  }
}
