// What a run does with a missing, broken or misbehaving provider.

#include <gtest/gtest.h>

#include <filesystem>

#include "cli/panel_machine.h"

namespace {

TEST(Provider, PackageNoneFailsWhatNeedsTheProviderAndSkipsWhatOnlyRemovesOrStops) {
  cli::CliSandbox sandbox;
  sandbox.writeSettings(false, "", "none");
  for (std::vector<std::string> args : {std::vector<std::string>{"--install-vhost", "--vhost-name=h.test"},
                                        {"--add-alias", "--vhost-name=h.test", "--alias=a.test"},
                                        {"--install"}}) {
    testing_support::ProcessResult result = sandbox.wcadmin(args);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out.rfind("Tomcat package provider is undefined\n   at (TomcatManager::get_provider line ", 0), 0u)
        << result.out;
  }
  testing_support::ProcessResult removal = sandbox.wcadmin({"--remove-vhost", "--vhost-name=h.test"});
  EXPECT_EQ(removal.exitCode, 0);
  testing_support::ProcessResult status = sandbox.wcadmin({"--status"});
  EXPECT_EQ(status.exitCode, 0);
  EXPECT_EQ(status.out, "Unable to query service status: Tomcat package provider is undefined\nis stopped");
  testing_support::ProcessResult stop = sandbox.wcadmin({"--stop"});
  EXPECT_EQ(stop.exitCode, 0);
  EXPECT_EQ(stop.out, "");
}

TEST(Provider, AReleaseThatThrowsStillEndsTheRunNormally) {
  cli::CliSandbox sandbox;
  sandbox.writeSettings(false, cli::libraryFile("throwingreleaseprovider"));
  testing_support::ProcessResult result = sandbox.wcadmin({"--status"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.out, "Unable to query service TestTomcat status: service does not exist\nis stopped");
}

TEST(Provider, AFaultInTheProviderIsReportedAndLeavesOneDump) {
  cli::PanelMachine machine(cli::libraryFile("faultingprovider"));
  testing_support::ProcessResult result = machine.wcadmin({"--install-vhost", "--vhost-name=h.test"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(
      result.out.rfind("C structured exception: 0xc0000005\n   at installVHost(h.test)(TomcatManager::installVHost "
                       "line 265)\n   at execute console command --install-vhost(vconsoleapp::start line ",
                       0),
      0u)
      << result.out;
  std::vector<std::filesystem::path> dumps;
  for (const auto& entry : std::filesystem::directory_iterator(machine.productRoot() + "/etc/crashdumps"))
    dumps.push_back(entry.path());
  ASSERT_EQ(dumps.size(), 1u);
  EXPECT_EQ(dumps[0].filename().string().rfind("wcadmin", 0), 0u);
  EXPECT_EQ(dumps[0].extension(), ".dmp");

  EXPECT_EQ(testing_support::readFile(dumps[0].string()).rfind(cli::kDumpSignature, 0), 0u) << dumps[0];

  // A minidump of Windows has no reader on this machine; an ELF core has gdb.
  if (cli::kDumpSignature == "MDMP") return;
  if (!cli::hasLinuxProgram("gdb")) GTEST_SKIP() << "gdb is not installed";
  testing_support::ProcessResult gdb = testing_support::runProgram(
      "/usr/bin/gdb", {"-batch", "-ex", "bt", testing_support::binPath("wcadmin"), dumps[0].string()});
  EXPECT_NE(gdb.out.find("getTomcatHome"), std::string::npos) << gdb.out << gdb.err;
}

}  // namespace
