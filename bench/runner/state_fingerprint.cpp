#include "runner/state_fingerprint.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include <pugixml.hpp>

#include "common/bench_layout.h"
#include "common/concat.h"

namespace bench {

namespace fs = std::filesystem;

namespace {

std::string readAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "<missing>";
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  for (char c : text) {
    if (c == '\r' || c == '\n') {
      if (!line.empty()) lines.push_back(line);
      line.clear();
    } else {
      line += c;
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

std::string sortedLines(const std::string& text) {
  std::vector<std::string> lines = splitLines(text);
  std::sort(lines.begin(), lines.end());
  std::string out;
  for (const std::string& line : lines) out += line + "\n";
  return out;
}

// Elements, attributes and text only, one element per line.
std::string canonicalXml(const fs::path& path) {
  pugi::xml_document document;
  if (!document.load_file(path.c_str(), pugi::parse_default)) return "<not well-formed>";
  std::ostringstream out;
  document.save(out, "", pugi::format_indent | pugi::format_no_declaration);
  return out.str();
}

std::string fileList(const std::vector<fs::path>& roots, const fs::path& base) {
  std::vector<std::string> entries;
  for (const fs::path& root : roots) {
    if (!fs::exists(root)) continue;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
      std::string line = fs::relative(entry.path(), base).string();
      if (entry.is_regular_file()) line += concat(" ", std::to_string(entry.file_size()));
      entries.push_back(line);
    }
  }
  std::sort(entries.begin(), entries.end());
  std::string out;
  for (const std::string& entry : entries) out += entry + "\n";
  return out;
}

std::string firstDifferentLine(const std::string& a, const std::string& b, size_t& lineNumber) {
  std::istringstream sa(a), sb(b);
  std::string la, lb;
  lineNumber = 0;
  while (true) {
    ++lineNumber;
    bool ha = static_cast<bool>(std::getline(sa, la));
    bool hb = static_cast<bool>(std::getline(sb, lb));
    if (!ha && !hb) return "";
    if (!ha) la = "<end>";
    if (!hb) lb = "<end>";
    if (la != lb) return la + "\n      vs " + lb;
  }
}

}  // namespace

StateFingerprint takeFingerprint(const std::string& tomcatHome, const std::string& varTomcatDir,
                                 const std::string& listingOutput) {
  const fs::path home = tomcatHome;
  StateFingerprint print;
  print.serverXml = canonicalXml(home / kServerXml);
  print.workers = sortedLines(readAll(home / kWorkersProperties));
  print.uriWorkerMap = sortedLines(readAll(home / kUriWorkerMap));
  print.files = fileList({fs::path(varTomcatDir), home / "hcp-users", home / "work"}, home.parent_path());
  print.listing = sortedLines(listingOutput);
  return print;
}

std::string describeDifference(const StateFingerprint& expected, const StateFingerprint& actual) {
  const std::pair<const char*, const std::string StateFingerprint::*> parts[] = {
      {"server.xml", &StateFingerprint::serverXml},
      {"workers.properties", &StateFingerprint::workers},
      {"uriworkermap.properties", &StateFingerprint::uriWorkerMap},
      {"per-host files", &StateFingerprint::files},
      {"listed names", &StateFingerprint::listing},
  };
  std::string report;
  for (const auto& [name, member] : parts) {
    size_t line = 0;
    std::string difference = firstDifferentLine(expected.*member, actual.*member, line);
    if (!difference.empty()) report += std::string(name) + " (line " + std::to_string(line) + "): " + difference + "\n";
  }
  return report;
}

}  // namespace bench
