#include "floor/floor_commands.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "floor/connector_edits.h"
#include "floor/property_file.h"
#include "floor/server_xml.h"

namespace floorwork {

namespace {

namespace fs = std::filesystem;

std::string serverXmlPath(const FloorPaths& paths) { return paths.tomcatHome + "/conf/server.xml"; }
std::string workersPath(const FloorPaths& paths) { return paths.tomcatHome + "/conf/workers.properties"; }
std::string mapPath(const FloorPaths& paths) { return paths.tomcatHome + "/conf/uriworkermap.properties"; }

std::vector<std::string> readListFile(const std::string& path) {
  std::vector<std::string> names;
  if (path.empty()) return names;
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::stringstream text;
  text << in.rdbuf();
  std::string name;
  for (char c : text.str()) {
    if (c == ';' || c == '\r' || c == '\n') {
      if (!name.empty()) names.push_back(name);
      name.clear();
    } else {
      name += c;
    }
  }
  if (!name.empty()) names.push_back(name);
  return names;
}

void appendElement(pugi::xml_node parent, const char* tag,
                   std::initializer_list<std::pair<const char*, std::string>> attributes) {
  pugi::xml_node element = parent.append_child(tag);
  for (const auto& [name, value] : attributes) element.append_attribute(name) = value.c_str();
}

// The four per-host paths in their fixed order; true for directories.
std::vector<std::pair<std::string, bool>> vhostPaths(const FloorPaths& paths, const std::string& host) {
  return {{paths.varTomcatDir + "/hcp-webapps/" + host, true},
          {paths.tomcatHome + "/hcp-users/" + host + ".xml", false},
          {paths.varTomcatDir + "/hcp-wars/" + host, true},
          {paths.tomcatHome + "/work/HCP/" + host, true}};
}

}  // namespace

void installVHost(const FloorPaths& paths, const std::string& host, const std::string& aliasesFile) {
  pugi::xml_document document;
  loadServerXml(document, serverXmlPath(paths));
  pugi::xml_node engine = findEngine(document);
  if (!engine) throw std::runtime_error("Can't find Engine HCP");
  if (pugi::xml_node old = findChild(engine, "Host", host)) engine.remove_child(old);

  pugi::xml_node hostElement = engine.append_child("Host");
  for (const auto& [name, value] : std::initializer_list<std::pair<const char*, std::string>>{
           {"name", host},
           {"className", "org.apache.catalina.core.StandardHost"},
           {"errorReportValveClass", "org.apache.catalina.valves.ErrorReportValve"},
           {"deployXML", "true"},
           {"appBase", paths.varTomcatDir + "/hcp-webapps/" + host},
           {"unpackWARs", "false"},
           {"autoDeploy", "true"}}) {
    hostElement.append_attribute(name) = value.c_str();
  }
  for (const std::string& name : addWwwTwins(host, readListFile(aliasesFile))) {
    hostElement.append_child("Alias").append_child(pugi::node_pcdata).set_value(name.c_str());
  }
  appendElement(hostElement, "Context",
                {{"path", "/manager"},
                 {"className", "org.apache.catalina.core.StandardContext"},
                 {"crossContext", "false"},
                 {"reloadable", "false"},
                 {"useNaming", "true"},
                 {"swallowOutput", "false"},
                 {"privileged", "true"},
                 {"wrapperClass", "org.apache.catalina.core.StandardWrapper"},
                 {"docBase", paths.tomcatHome + "/webapps/manager"},
                 {"cookies", "true"},
                 {"cachingAllowed", "true"}});
  appendElement(hostElement, "Realm",
                {{"pathname", "hcp-users/" + host + ".xml"}, {"className", "org.apache.catalina.realm.MemoryRealm"}});
  saveServerXml(document, serverXmlPath(paths));

  addWorker(workersPath(paths), host);
}

void addAlias(const FloorPaths& paths, const std::string& host, const std::string& alias) {
  const std::string pair[] = {alias, "www." + alias};
  pugi::xml_document document;
  loadServerXml(document, serverXmlPath(paths));
  pugi::xml_node engine = findEngine(document);
  if (!engine) return;
  if (pugi::xml_node hostElement = findChild(engine, "Host", host)) {
    bool added = false;
    for (const std::string& name : pair) {
      if (findAlias(hostElement, name)) continue;
      hostElement.append_child("Alias").append_child(pugi::node_pcdata).set_value(name.c_str());
      added = true;
    }
    if (added) saveServerXml(document, serverXmlPath(paths));
  }
  addAliasMounts(mapPath(paths), host, {pair[0], pair[1]});
}

void removeAlias(const FloorPaths& paths, const std::string& host, const std::string& alias) {
  const std::string pair[] = {alias, "www." + alias};
  if (!fileExists(serverXmlPath(paths))) return;
  pugi::xml_document document;
  loadServerXml(document, serverXmlPath(paths));
  pugi::xml_node engine = findEngine(document);
  if (!engine) return;
  if (pugi::xml_node hostElement = findChild(engine, "Host", host)) {
    bool removed = false;
    for (const std::string& name : pair) {
      if (pugi::xml_node element = findAlias(hostElement, name)) removed = hostElement.remove_child(element) || removed;
    }
    if (removed) saveServerXml(document, serverXmlPath(paths));
  }
  removeAliasMounts(mapPath(paths), {pair[0], pair[1]});
}

void renameVHost(const FloorPaths& paths, const std::string& oldName, const std::string& newName,
                 const std::string& aliasesFile) {
  const std::vector<std::string> aliases = readListFile(aliasesFile);
  pugi::xml_document document;
  loadServerXml(document, serverXmlPath(paths));
  pugi::xml_node engine = findEngine(document);
  if (!engine) return;
  if (pugi::xml_node existing = findChild(engine, "Host", newName)) engine.remove_child(existing);
  if (pugi::xml_node host = findChild(engine, "Host", oldName)) {
    host.attribute("name").set_value(newName.c_str());
    host.attribute("appBase").set_value((paths.varTomcatDir + "/hcp-webapps/" + newName).c_str());
    if (pugi::xml_node alias = findAlias(host, "www." + oldName))
      alias.first_child().set_value(("www." + newName).c_str());
    for (pugi::xml_node child = host.first_child(); child; child = child.next_sibling()) {
      if (child.type() == pugi::node_element && std::string_view(child.name()) == "Realm") {
        child.attribute("pathname").set_value(("hcp-users/" + newName + ".xml").c_str());
        break;
      }
    }
    saveServerXml(document, serverXmlPath(paths));
  }

  const auto oldPaths = vhostPaths(paths, oldName);
  const auto newPaths = vhostPaths(paths, newName);
  for (size_t i = 0; i < oldPaths.size(); ++i) {
    if (!fs::exists(oldPaths[i].first)) continue;
    fs::remove_all(newPaths[i].first);
    fs::rename(oldPaths[i].first, newPaths[i].first);
  }

  renameWorker(workersPath(paths), workerNameOf(oldName), workerNameOf(newName));
  renameHostMounts(mapPath(paths), oldName, addWwwTwins(oldName, aliases), newName, addWwwTwins(newName, aliases),
                   workerNameOf(newName));
}

void startWebApp(const FloorPaths& paths, const std::string& host, const std::string& application) {
  const std::string archive = paths.varTomcatDir + "/hcp-wars/" + host + "/" + application + ".war";
  const std::string link = paths.varTomcatDir + "/hcp-webapps/" + host + "/" + application + ".war";
  if (!fs::exists(archive)) throw std::runtime_error("Application '" + application + "' is not deployed");
  fs::remove(link);
  std::error_code error;
  fs::create_hard_link(archive, link, error);
  if (error) fs::copy_file(archive, link, fs::copy_options::overwrite_existing);
  addWebAppMounts(mapPath(paths), host, addWwwTwins(host, {}), application);
}

void stopWebApp(const FloorPaths& paths, const std::string& host, const std::string& application) {
  removeWebAppMounts(mapPath(paths), host, addWwwTwins(host, {}), application);
}

std::vector<std::string> getWebAppList(const FloorPaths& paths, const std::string& host, bool startedOnly) {
  std::vector<std::string> names;
  const fs::path directory = paths.varTomcatDir + (startedOnly ? "/hcp-webapps/" : "/hcp-wars/") + host;
  for (const fs::directory_entry& entry : fs::directory_iterator(directory)) {
    if (entry.path().extension() == ".war") names.push_back(entry.path().stem().string());
  }
  return names;
}

}  // namespace floorwork
