#include "base/services/hosted_command.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "base/text/convert.h"
#include "support/sandbox.h"

namespace {

using testing_support::readFile;
using testing_support::TempDir;
using testing_support::writeFile;

TEST(HostedCommandTest, CommandIsWhatFollowsTheHostProgram) {
  EXPECT_EQ(commandAfterProgram(L"\"C:\\Program Files\\hcpsvc.exe\"  /usr/bin/python3 -m http.server"),
            L"/usr/bin/python3 -m http.server");
  EXPECT_EQ(commandAfterProgram(L"Z:\\bin\\hcpsvc.exe\t\"C:\\a b.exe\" /x"), L"\"C:\\a b.exe\" /x");
  EXPECT_EQ(commandAfterProgram(L"hcpsvc.exe"), L"");
  EXPECT_TRUE(namesPosixProgram(L" \"/usr/bin/python3\" -m http.server"));
  EXPECT_FALSE(namesPosixProgram(L"C:\\windows\\system32\\cmd.exe /c exit 5"));
}

// The wrapper does under Wine what a shell does anywhere: run it here.
TEST(HostedCommandTest, WrapperReportsPidAndExitStatusAndPassesTheEnvironment) {
  TempDir dir;
  std::wstring directory = wstrLenient(dir.path());
  std::wstring script =
      wrapperScript(L"/bin/sh -c 'echo \"$GREETING\"; exit 7'", {L"GREETING=it's \"here\""}, directory);
  writeFile(dir / "script.sh", cstrLenient(script));
  ASSERT_EQ(std::system(("/bin/sh " + (dir / "script.sh")).c_str()), 0);

  WrapperFiles files = wrapperFiles(directory);
  EXPECT_GT(std::atoi(readFile(cstrLenient(files.pid)).c_str()), 0);
  EXPECT_EQ(readFile(cstrLenient(files.exit)), "7\n");
  EXPECT_EQ(readFile(cstrLenient(files.output)), "it's \"here\"\n");
}

}  // namespace
