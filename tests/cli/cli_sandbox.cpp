#include "cli/cli_sandbox.h"

#include <gtest/gtest.h>

#include "base/text/unicode.h"

namespace wc {

namespace cli {

namespace {

// A path as a string value of the settings text.
std::string pathValue(const std::string& path) {
  std::string value = "\"";
  for (char c : testing_support::nativePath(path)) {
    if (c == '\\' || c == '"') value += '\\';
    value += c;
  }
  return value + "\"\n";
}

}  // namespace

void CliSandbox::writeSettings(bool debug, const std::string& providerLibrary, const std::string& packageName,
                               const std::string& extra) const {
  std::string body = testing_support::kConfigSection + "\"PRODUCT_ROOT_D\"=" + pathValue(productRoot()) +
                     "\"PRODUCT_DATA_D\"=" + pathValue(productData()) + "\"Debug\"=dword:0000000" +
                     (debug ? "1" : "0") + "\n\n";
  const std::string packages = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Halvo\\HCP Config\\Config\\Packages\\tomcat";
  body += packages + "]\n@=\"" + packageName + "\"\n\n";
  if (!providerLibrary.empty()) {
    body += packages + "\\" + packageName + "]\n";
    body += "\"dll\"=" + pathValue(testing_support::binPath(providerLibrary));
    body += "\"TomcatHome\"=" + pathValue(tomcatHome()) + "\n";
  }
  writeRegistry(body + extra);
}

std::string CliSandbox::runExpecting(int exitCode, const std::vector<std::string>& args) const {
  const testing_support::ProcessResult result = wcadmin(args);
  EXPECT_EQ(result.exitCode, exitCode) << "wcadmin " << (args.empty() ? "" : args[0]) << ":\n" << result.out;
  return result.out;
}

std::vector<std::string> CliSandbox::debugLogFiles() const {
  std::vector<std::string> files;
  const std::string dir = productRoot() + "/admin/logs";
  for (const std::string& name : testing_support::namesIn(dir)) {
    if (name.rfind("halvolog_debug", 0) == 0) files.push_back(dir + "/" + name);
  }
  return files;
}

std::wstring CliSandbox::debugLogText(std::string* raw) const {
  std::vector<std::string> files = debugLogFiles();
  if (files.empty()) return L"";
  std::string bytes = testing_support::readFile(files.front());
  if (raw) *raw = bytes;
  if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') bytes.erase(0, 2);
  return utf16leToWide(bytes).value_or(L"<not UTF-16LE>");
}

}  // namespace cli

}  // namespace wc
