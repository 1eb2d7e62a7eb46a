// The hcpreg tool, run as a program inside a sandbox machine.

#include <gtest/gtest.h>

#include <sstream>

#include "base/registry/registry.h"
#include "support/sandbox.h"
#include "support/test_context.h"
#include "wc_version.h"

namespace wc {

using testing_support::context;

using namespace registry;
using testing_support::ProcessResult;
using testing_support::readFile;
using testing_support::Sandbox;
using testing_support::writeFile;

namespace {

ProcessResult hcpreg(const std::vector<std::string>& args) { return testing_support::runProgram("hcpreg", args); }

const char kConfig[] = "HKLM\\SOFTWARE\\Halvo\\HCP Config\\Config";

// The output of a run that must succeed.
std::string expectSuccess(const ProcessResult& r) {
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, "");
  return r.out;
}

void expectError(const ProcessResult& r, const std::string& fragment) {
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err.rfind("ERROR: ", 0), 0u) << r.err;
  EXPECT_NE(r.err.find(fragment), std::string::npos) << r.err;
}

}  // namespace

TEST(Hcpreg, AddThenQueryAndOverwriteOnlyWithConsent) {
  Sandbox sandbox;
  // Added in name order: the order Wine lists values in.
  expectSuccess(hcpreg({"add", kConfig, "/v", "Count", "/t", "reg_dword", "/d", "42"}));
  expectSuccess(hcpreg({"add", kConfig, "/v", "Debug", "/t", "REG_DWORD", "/d", "0x1f"}));
  expectSuccess(hcpreg({"add", kConfig, "/v", "Deps", "/t", "REG_MULTI_SZ", "/d", "a\\0b"}));
  expectSuccess(hcpreg({"add", kConfig, "/v", "List", "/t", "REG_MULTI_SZ", "/d", "x,y,z", "/s", ","}));
  expectSuccess(hcpreg({"add", kConfig, "/v", "PRODUCT_ROOT_D", "/d", "/opt/halvo"}));
  expectSuccess(hcpreg({"add", kConfig, "/v", "Root", "/t", "REG_EXPAND_SZ", "/d", "%HOME%/x"}));
  expectSuccess(hcpreg({"add", std::string(kConfig) + "\\Packages\\tomcat", "/ve", "/d", "tomcat10"}));
  expectSuccess(hcpreg({"add", "HKEY_LOCAL_MACHINE\\SOFTWARE\\Halvo\\Empty"}));

  // What the tool wrote is what the registry functions read.
  uint32_t number = 0;
  EXPECT_EQ(lookupDword(context, Root::LocalMachine, kConfigKey, L"Debug", number, kView32), 0u);
  EXPECT_EQ(number, 31u);
  std::vector<std::wstring> items;
  EXPECT_EQ(open(context, Root::LocalMachine, kConfigKey, KEY_READ).lookupMulti(L"List", items), 0u);
  EXPECT_EQ(items, (std::vector<std::wstring>{L"x", L"y", L"z"}));
  EXPECT_TRUE(keyExists(context, Root::LocalMachine, L"SOFTWARE\\Halvo\\Empty", kView32));

  EXPECT_EQ(expectSuccess(hcpreg({"query", kConfig})),
            "\nHKEY_LOCAL_MACHINE\\SOFTWARE\\Halvo\\HCP Config\\Config\n"
            "    Count    REG_DWORD    0x2a\n"
            "    Debug    REG_DWORD    0x1f\n"
            "    Deps    REG_MULTI_SZ    a\\0b\n"
            "    List    REG_MULTI_SZ    x\\0y\\0z\n"
            "    PRODUCT_ROOT_D    REG_SZ    /opt/halvo\n"
            "    Root    REG_EXPAND_SZ    %HOME%/x\n"
            "\n"
            "HKEY_LOCAL_MACHINE\\SOFTWARE\\Halvo\\HCP Config\\Config\\Packages\n");

  EXPECT_EQ(expectSuccess(hcpreg({"query", "hklm\\software\\halvo\\hcp config\\config", "/V", "debug"})),
            "\nHKEY_LOCAL_MACHINE\\software\\halvo\\hcp config\\config\n    Debug    REG_DWORD    0x1f\n\n");

  const std::string tree = expectSuccess(hcpreg({"query", "HKLM\\SOFTWARE\\Halvo", "/s", "/ve"}));
  EXPECT_NE(tree.find("    (Default)    REG_SZ    tomcat10\n"), std::string::npos);
  EXPECT_NE(tree.find("End of search: 1 match(es) found."), std::string::npos);

  // Overwriting needs consent; stdin is empty, so the question is answered No.
  ProcessResult refused = hcpreg({"add", kConfig, "/v", "debug", "/t", "REG_DWORD", "/d", "2"});
  expectError(refused, "cancelled");
  EXPECT_NE(refused.out.find("Value debug exists, overwrite (Yes/No)?"), std::string::npos);
  lookupDword(context, Root::LocalMachine, kConfigKey, L"Debug", number, kView32);
  EXPECT_EQ(number, 31u);
  expectSuccess(hcpreg({"add", kConfig, "/v", "debug", "/t", "REG_DWORD", "/d", "2", "/f"}));
  lookupDword(context, Root::LocalMachine, kConfigKey, L"Debug", number, kView32);
  EXPECT_EQ(number, 2u);
}

TEST(Hcpreg, Delete) {
  Sandbox sandbox;
  sandbox.writeRegistry(testing_support::kConfigSection +
                        "@=\"d\"\n\"A\"=\"1\"\n\"B\"=\"2\"\n\"C\"=\"3\"\n\n"
                        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Halvo\\HCP Config\\Config\\Sub]\n\"S\"=\"4\"\n");
  expectError(hcpreg({"delete", kConfig, "/v", "A"}), "cancelled");
  expectSuccess(hcpreg({"delete", kConfig, "/v", "a", "/f"}));
  expectSuccess(hcpreg({"delete", kConfig, "/ve", "/f"}));
  EXPECT_EQ(open(context, Root::LocalMachine, kConfigKey, KEY_READ).valueNames(),
            (std::vector<std::wstring>{L"B", L"C"}));
  expectError(hcpreg({"delete", kConfig, "/v", "A", "/f"}), "unable to find");

  expectSuccess(hcpreg({"delete", kConfig, "/va", "/f"}));
  EXPECT_TRUE(open(context, Root::LocalMachine, kConfigKey, KEY_READ).valueNames().empty());
  EXPECT_TRUE(keyExists(context, Root::LocalMachine, kConfigKey + L"\\Sub", kView32));  // /va leaves subkeys

  expectSuccess(hcpreg({"delete", "HKLM\\SOFTWARE\\Halvo\\HCP Config", "/f"}));
  EXPECT_FALSE(keyExists(context, Root::LocalMachine, kConfigKey, kView32));
  EXPECT_TRUE(keyExists(context, Root::LocalMachine, L"SOFTWARE\\Halvo", kView32));
  expectError(hcpreg({"delete", "HKLM\\SOFTWARE\\Halvo\\HCP Config", "/f"}), "unable to find");
  expectError(hcpreg({"delete", "HKLM", "/f"}), "cannot be deleted");
  EXPECT_TRUE(keyExists(context, Root::LocalMachine, L"SOFTWARE\\Halvo", kView32));
}

TEST(Hcpreg, ExportAndImportAndAMalformedImportChangesNothing) {
  Sandbox sandbox;
  const std::string hcpConfig = "HKLM\\SOFTWARE\\Halvo\\HCP Config";
  expectSuccess(hcpreg({"add", std::string(kConfig) + "\\Deep", "/v", "N", "/t", "REG_QWORD", "/d", "5"}));
  expectSuccess(hcpreg({"add", "HKLM\\SOFTWARE\\Halvo\\Other", "/v", "Keep", "/d", "me"}));

  std::string file = sandbox.path("export.reg");
  expectSuccess(hcpreg({"export", hcpConfig, file}));
  std::string exported = readFile(file);
  EXPECT_EQ(exported.find("Other"), std::string::npos);
  expectError(hcpreg({"export", hcpConfig, file}), "cancelled");  // exists, no /y
  expectSuccess(hcpreg({"export", hcpConfig, file, "/y"}));

  // Importing the export into an emptied tree brings every value back; deletions in a file are applied.
  expectSuccess(hcpreg({"delete", hcpConfig, "/f"}));
  expectSuccess(hcpreg({"import", file}));
  std::string again = sandbox.path("again.reg");
  expectSuccess(hcpreg({"export", hcpConfig, again}));
  EXPECT_EQ(readFile(again), exported);
  writeFile(again,
            "Windows Registry Editor Version 5.00\r\n\r\n"
            "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Halvo\\HCP Config\\Config\\Deep]\r\n");
  expectSuccess(hcpreg({"import", again}));
  EXPECT_FALSE(keyExists(context, Root::LocalMachine, kConfigKey + L"\\Deep", kView32));
  EXPECT_TRUE(keyExists(context, Root::LocalMachine, kConfigKey, kView32));

  writeFile(again,
            "Windows Registry Editor Version 5.00\n\n"
            "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Halvo\\Other]\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Halvo\\X]\n"
            "\"v\"=dword:nothex\n");
  expectError(hcpreg({"import", again}), "line 5:");
  EXPECT_EQ(getstr(context, Root::LocalMachine, L"SOFTWARE\\Halvo\\Other", L"Keep", kView32), L"me");
  EXPECT_FALSE(keyExists(context, Root::LocalMachine, L"SOFTWARE\\Halvo\\X", kView32));
  expectError(hcpreg({"import", sandbox.path("missing.reg")}), "Cannot open the file");
}

TEST(Hcpreg, BadArgumentsAreRefusedAndChangeNothing) {
  Sandbox sandbox;
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"", "A command is missing."},
      {"frobnicate K", "Unknown command frobnicate."},
      {"query", "KEY is missing."},
      {"query HKCR\\X", "Invalid key name HKCR\\X"},
      {"query K", "unable to find"},
      {"add K /d x", "need /v or /ve"},
      {"add K /v a /t REG_TEXT", "Unknown type REG_TEXT."},
      {"add K /v a /t REG_DWORD /d 4294967296", "Invalid REG_DWORD data"},
      {"add K /v a /t REG_MULTI_SZ /d a\\0\\0b", "empty item"},
  };
  for (const auto& [line, fragment] : cases) {
    SCOPED_TRACE(line);
    std::vector<std::string> args;
    std::istringstream words(line);
    for (std::string word; words >> word;) args.push_back(word == "K" ? "HKLM\\SOFTWARE\\Halvo\\K" : word);
    expectError(hcpreg(args), fragment);
  }
  EXPECT_FALSE(keyExists(context, Root::LocalMachine, L"SOFTWARE\\Halvo", kView32));

  EXPECT_NE(expectSuccess(hcpreg({"/?"})).find("hcpreg query KEY"), std::string::npos);
  EXPECT_EQ(expectSuccess(hcpreg({"--version"})), "hcpreg " WC_VERSION "\n");
  // Anywhere else it is an argument like any other.
  expectError(hcpreg({"query", "--version"}), "Invalid key name --version");
}

}  // namespace wc
