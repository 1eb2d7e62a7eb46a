// The settings file that stands in for the registry on POSIX, as the programs
// see it under the sandbox root.

#include <gtest/gtest.h>

#include "base/registry/registry.h"
#include "support/sandbox.h"
#include "support/test_context.h"

namespace wc {

using testing_support::context;

using namespace registry;
using testing_support::readFile;
using testing_support::runProgram;

TEST(SettingsFile, ReplacingTheFileKeepsItsModeAndLeavesNoTemporaryFile) {
  testing_support::Sandbox sandbox;
  sandbox.writeRegistry(testing_support::kConfigSection);
  const std::string path = sandbox.path("etc/halvo/registry.reg");
  ASSERT_EQ(runProgram("/bin/chmod", {"640", path}).exitCode, 0);
  create(context, Root::LocalMachine, kConfigKey, KEY_WRITE).set(L"X", 1u);
  EXPECT_EQ(runProgram("/usr/bin/stat", {"-c", "%a", path}).out, "640\n");
  EXPECT_EQ(runProgram("/bin/ls", {"-a", sandbox.path("etc/halvo")}).out, ".\n..\nregistry.reg\n");
}

TEST(SettingsFile, HcpregNamesTheLineOfACorruptFileAndChangesNothing) {
  testing_support::Sandbox sandbox;
  sandbox.writeRegistry("[HKEY_LOCAL_MACHINE\\K]\n\"v\"=\"unterminated\n");
  const std::string before = readFile(sandbox.path("etc/halvo/registry.reg"));
  testing_support::ProcessResult query = runProgram("hcpreg", {"query", "HKLM\\K"});
  EXPECT_EQ(query.exitCode, 1);
  EXPECT_NE(query.err.find("line 4:"), std::string::npos) << query.err;
  testing_support::ProcessResult add = runProgram("hcpreg", {"add", "HKLM\\K", "/v", "w", "/d", "x"});
  EXPECT_EQ(add.exitCode, 1);
  EXPECT_NE(add.err.find("(Error code 1015)"), std::string::npos) << add.err;
  EXPECT_NE(add.err.find("registry.reg cannot be read: line 4"), std::string::npos) << add.err;
  EXPECT_EQ(readFile(sandbox.path("etc/halvo/registry.reg")), before);
}

}  // namespace wc
