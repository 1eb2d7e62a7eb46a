// The console frame seen from outside: exit codes, console text, and the
// start and end lines of the debug log.

#include <gtest/gtest.h>

#include "cli/cli_sandbox.h"

namespace wc {

namespace {

using cli::CliSandbox;

TEST(Frame, NoCommandPrintsMissingCommandParameterAndExitsOneAndPasswordsAreMaskedInTheLog) {
  CliSandbox sandbox;
  sandbox.writeSettings(/*debug=*/true);
  const std::string out = sandbox.failed({});
  EXPECT_EQ(out.rfind("Missing command parameter\n   at (vconsoleapp::usage line ", 0), 0u) << out;
  EXPECT_NE(out.find("(vconsoleapp::run line "), std::string::npos);
  EXPECT_EQ(out.back(), ')');  // no line break after the last message

  std::string raw;
  std::wstring log = sandbox.debugLogText(&raw);
  ASSERT_GE(raw.size(), 2u);
  EXPECT_EQ(raw.substr(0, 2), "\xFF\xFE");
  // In this order, each present: a missing one is npos, after every other.
  const size_t start = log.find(L"Info: start "), error = log.find(L"Error: Missing command parameter"),
               end = log.find(L"Info: end ");
  ASSERT_NE(end, std::wstring::npos) << log.size();
  EXPECT_LT(start, error);
  EXPECT_LT(error, end);
  EXPECT_NE(log.find(L" with code 1\r\n", end), std::wstring::npos);

  CliSandbox quiet;  // without Debug no log file is written
  quiet.writeSettings(/*debug=*/false);
  quiet.failed({});
  EXPECT_TRUE(quiet.debugLogFiles().empty());

  // Passwords are masked in the start and end lines.
  CliSandbox masked;
  masked.writeSettings(/*debug=*/true);
  masked.failed({"--Install-service", "--password=top secret", "--manager-login=admin"});
  log = masked.debugLogText();
  EXPECT_EQ(log.find(L"top secret"), std::wstring::npos);
  ASSERT_NE(log.find(L"start "), std::wstring::npos);
  ASSERT_NE(log.find(L"end "), std::wstring::npos);
  for (size_t at : {log.find(L"start "), log.find(L"end ")}) {
    std::wstring line = log.substr(at, log.find(L"\r\n", at) - at);
    EXPECT_NE(line.find(L"\"--password=*\""), std::wstring::npos);
    EXPECT_NE(line.find(L"\"--manager-login=admin\""), std::wstring::npos);
  }
}

}  // namespace

}  // namespace wc
