#include "generator/state_generator.h"

#include <fstream>
#include <stdexcept>
#include <vector>

#include "common/bench_layout.h"
#include "generator/stock_files.h"

namespace bench {

namespace {

namespace fs = std::filesystem;

// The property files are in the form the panel's edits leave them: every
// line ends with CR LF.
std::string withCrLf(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 40);
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

void writeWholeFile(const fs::path& path, std::string_view bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::vector<std::string> hostNameList(int hostIndex, int aliasesPerHost) {
  std::vector<std::string> names{"www." + hostName(hostIndex)};
  for (int k = 0; k < aliasesPerHost; ++k) {
    names.push_back(aliasName(hostIndex, k));
    names.push_back("www." + aliasName(hostIndex, k));
  }
  return names;
}

void appendHost(std::string& xml, int index, const StateShape& shape) {
  const std::string host = hostName(index);
  const std::string tomcatHome = shape.sandboxRoot + "/" + kTomcatHomeDir;
  xml += "      <Host name=\"" + host +
         "\" className=\"org.apache.catalina.core.StandardHost\" "
         "errorReportValveClass=\"org.apache.catalina.valves.ErrorReportValve\" deployXML=\"true\" appBase=\"" +
         shape.sandboxRoot + "/" + kVarTomcatDir + "/hcp-webapps/" + host +
         "\" unpackWARs=\"false\" autoDeploy=\"true\">\n";
  for (const std::string& name : hostNameList(index, shape.aliasesPerHost)) {
    xml += "        <Alias>" + name + "</Alias>\n";
  }
  xml +=
      "        <Context path=\"/manager\" className=\"org.apache.catalina.core.StandardContext\" "
      "crossContext=\"false\" reloadable=\"false\" useNaming=\"true\" swallowOutput=\"false\" privileged=\"true\" "
      "wrapperClass=\"org.apache.catalina.core.StandardWrapper\" docBase=\"" +
      tomcatHome +
      "/webapps/manager\" cookies=\"true\" cachingAllowed=\"true\"/>\n"
      "        <Realm pathname=\"hcp-users/" +
      host + ".xml\" className=\"org.apache.catalina.realm.MemoryRealm\"/>\n";
  xml += "      </Host>\n";
}

std::string serverXml(const StateShape& shape) {
  std::string xml(stockServerXmlHead());
  xml.reserve(xml.size() + static_cast<size_t>(shape.hosts) * 1400);
  xml +=
      "  <Service name=\"HCP\" className=\"org.apache.catalina.core.StandardService\">\n"
      "    <Connector port=\"9008\" protocol=\"AJP/1.3\" redirectPort=\"443\" secure=\"false\" "
      "enableLookups=\"false\" connectionTimeout=\"20000\"/>\n"
      "    <Connector port=\"9080\" redirectPort=\"8443\" secure=\"false\" enableLookups=\"false\" scheme=\"http\" "
      "connectionTimeout=\"20000\"/>\n"
      "    <Engine name=\"HCP\" className=\"org.apache.catalina.core.StandardEngine\">\n"
      "      <Realm className=\"org.apache.catalina.realm.MemoryRealm\"/>\n";
  for (int i = 0; i < shape.hosts; ++i) appendHost(xml, i, shape);
  xml +=
      "    </Engine>\n"
      "  </Service>\n"
      "</Server>\n";
  return xml;
}

std::string workersProperties(const StateShape& shape) {
  std::string text(stockWorkersHeader());
  text.reserve(text.size() + static_cast<size_t>(shape.hosts) * 200);
  text += "worker.list=ajp13";
  for (int i = 0; i < shape.hosts; ++i) {
    text += ',';
    text += workerName(hostName(i));
  }
  text += "\n";
  text += stockDefaultWorker();
  for (int i = 0; i < shape.hosts; ++i) {
    const std::string w = workerName(hostName(i));
    text += "worker." + w + ".port=9008\n";
    text += "worker." + w + ".host=127.0.0.1\n";
    text += "worker." + w + ".type=ajp13\n";
    text += "worker." + w + ".lbfactor=1\n";
  }
  return withCrLf(text);
}

// The applications were started without an aliases file, so each has its
// mounts under the host name and its "www." twin: twelve lines per host; in
// the consistent state under every alias as well.
std::string uriWorkerMap(const StateShape& shape) {
  std::string text(stockUriWorkerMapHeader());
  text.reserve(text.size() + static_cast<size_t>(shape.hosts) * (shape.consistent ? 1800 : 600));
  for (int i = 0; i < shape.hosts; ++i) {
    const std::string host = hostName(i);
    const std::string w = workerName(host);
    std::vector<std::string> names{host};
    if (shape.consistent) {
      for (std::string& name : hostNameList(i, shape.aliasesPerHost)) names.push_back(std::move(name));
    } else {
      names.push_back("www." + host);
    }
    for (const std::string& app : startedApplications()) {
      for (const std::string& name : names) {
        text += "/" + name + "/" + app + "=" + w + "\n";
        text += "/" + name + "/" + app + "/*=" + w + "\n";
      }
    }
  }
  return withCrLf(text);
}

std::string isapiRedirectProperties(const StateShape& shape) {
  const std::string home = shape.sandboxRoot + "/" + kTomcatHomeDir + "/";
  return withCrLf(
      "# Configuration file for the Jakarta ISAPI Redirector\n\n"
      "# The path to the ISAPI Redirector Extension, relative to the website\n"
      "# This must be in a virtual directory with execute privileges\n"
      "extension_uri=/jakarta-tomcat/isapi_redirect.dll\n\n"
      "# Full path to the log file for the ISAPI Redirector\n"
      "log_file=" +
      shape.sandboxRoot + "/" + kProductRootDir +
      "/admin/logs/isapi_redirect.log\n\n"
      "# Log level (debug, info, warn, error or trace)\n"
      "log_level=error\n\n"
      "# Full path to the workers.properties file\n"
      "worker_file=" +
      home + kWorkersProperties +
      "\n\n"
      "# Full path to the uriworkermap.properties file\n"
      "worker_mount_file=" +
      home + kUriWorkerMap + "\n");
}

std::string realmFile(const std::string& host) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<tomcat-users><user username=\"admin-" + host +
         "\" password=\"secret\" roles=\"manager-gui,manager-script\"/></tomcat-users>";
}

// A stand-in for a web application archive: the commands only link, copy and
// list it, so its bytes do not matter, only that it is a file of some size.
std::string archiveBytes(const std::string& application) {
  std::string bytes = "PK\x03\x04";
  while (bytes.size() < 8192) bytes += application + " ";
  return bytes;
}

// A host's archives, started links and realm file. The touched host's links
// are copies (what --start-webapp makes where no hard link can be made), the
// other hosts' hard links.
void writeHostFiles(const std::string& host, bool touched, const fs::path& out) {
  const fs::path data = out / kVarTomcatDir;
  for (const std::string& app : startedApplications()) {
    const fs::path archive = data / "hcp-wars" / host / (app + ".war");
    const fs::path link = data / "hcp-webapps" / host / (app + ".war");
    writeWholeFile(archive, archiveBytes(app));
    if (touched) {
      writeWholeFile(link, archiveBytes(app));
    } else {
      fs::create_directories(link.parent_path());
      fs::create_hard_link(archive, link);
    }
  }
  writeWholeFile(out / kTomcatHomeDir / "hcp-users" / (host + ".xml"), realmFile(host));
}

void writeTouchedHostFiles(const StateShape& shape, const fs::path& out) {
  const std::string host = hostName(touchedHostIndex(shape.hosts));
  writeHostFiles(host, true, out);
  writeWholeFile(out / kVarTomcatDir / "hcp-wars" / host / (kStoppedApplication + ".war"),
                 archiveBytes(kStoppedApplication));
  writeWholeFile(out / kTomcatHomeDir / "work" / "HCP" / host / startedApplications().front() / "SESSIONS.ser",
                 "session state");
}

}  // namespace

std::string aliasesFileText(int hostIndex, int aliasesPerHost) {
  std::string text;
  for (int k = 0; k < aliasesPerHost; ++k) text += aliasName(hostIndex, k) + "\n";
  return text;
}

void generateState(const StateShape& shape, const fs::path& out) {
  if (shape.hosts < 1) throw std::runtime_error("a state needs at least one host");
  const fs::path home = out / kTomcatHomeDir;
  writeWholeFile(home / kServerXml, serverXml(shape));
  writeWholeFile(home / kWorkersProperties, workersProperties(shape));
  writeWholeFile(home / kUriWorkerMap, uriWorkerMap(shape));
  writeWholeFile(home / kIsapiRedirectProperties, isapiRedirectProperties(shape));
  fs::create_directories(home / "webapps" / "manager");
  fs::create_directories(out / kVarTomcatDir / "hcp-webapps");
  fs::create_directories(out / kVarTomcatDir / "hcp-wars");
  fs::create_directories(out / kProductRootDir / "admin" / "logs");
  writeTouchedHostFiles(shape, out);
  if (!shape.consistent) return;
  for (int i = 0; i < shape.hosts; ++i) {
    if (i != touchedHostIndex(shape.hosts)) writeHostFiles(hostName(i), false, out);
  }
}

}  // namespace bench
