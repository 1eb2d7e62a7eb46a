#include "base/services/hosted_command.h"

#include <gtest/gtest.h>

TEST(HostedCommandTest, CommandIsWhatFollowsTheHostProgram) {
  EXPECT_EQ(commandAfterProgram(L"\"C:\\Program Files\\hcpsvc.exe\"  /usr/bin/python3 -m http.server"),
            L"/usr/bin/python3 -m http.server");
  EXPECT_EQ(commandAfterProgram(L"Z:\\bin\\hcpsvc.exe\t\"C:\\a b.exe\" /x"), L"\"C:\\a b.exe\" /x");
  EXPECT_EQ(commandAfterProgram(L"hcpsvc.exe"), L"");
  EXPECT_TRUE(namesPosixProgram(L" \"/usr/bin/python3\" -m http.server"));
  EXPECT_FALSE(namesPosixProgram(L"C:\\windows\\system32\\cmd.exe /c exit 5"));
}
