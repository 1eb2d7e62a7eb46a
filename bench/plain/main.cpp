// wcplain: the plain floor of the mutating commands. It does only the work no
// implementation of a command can avoid: one full parse of server.xml with
// pugixml and one save of it as the DOM holds it, durably (temporary file,
// fsync, rename, fsync of the directory), and one read and one rewrite in
// place of each property file the command touches. No edit, no lookup, no
// process set-up beyond what a C++ program has anyway.
//
//   wcplain [--server-xml=FILE] [--property-file=FILE ...]

#include <cstdio>
#include <exception>
#include <fstream>
#include <stdexcept>
#include <string>

#include <pugixml.hpp>

#include "floor/durable_write.h"
#include "floor/string_writer.h"

namespace {

void loadAndSaveServerXml(const std::string& path) {
  pugi::xml_document document;
  const pugi::xml_parse_result result = document.load_file(path.c_str(), pugi::parse_full, pugi::encoding_utf8);
  if (!result) throw std::runtime_error(std::string(result.description()) + " at load " + path);
  std::string bytes;
  floorwork::StringWriter writer(bytes);
  document.save(writer, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
  floorwork::replaceFileDurably(path, bytes, floorwork::SyncDirectory::Yes);
}

void readAndRewrite(const std::string& path) {
  std::string bytes;
  {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot open " + path);
    in.seekg(0, std::ios::end);
    bytes.resize(static_cast<size_t>(in.tellg()));
    in.seekg(0);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!in) throw std::runtime_error("cannot read " + path);
  }
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) throw std::runtime_error("cannot write " + path);
}

}  // namespace

int main(int argc, char** argv) {
  try {
    for (int i = 1; i < argc; ++i) {
      const std::string arg = argv[i];
      const size_t eq = arg.find('=');
      const std::string name = arg.substr(0, eq);
      const std::string value = eq == std::string::npos ? "" : arg.substr(eq + 1);
      if (value.empty()) throw std::runtime_error("'" + arg + "' names no file");
      if (name == "--server-xml") {
        loadAndSaveServerXml(value);
      } else if (name == "--property-file") {
        readAndRewrite(value);
      } else {
        throw std::runtime_error("unknown argument '" + arg + "'");
      }
    }
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "wcplain: %s\n", e.what());
    return 1;
  }
}
