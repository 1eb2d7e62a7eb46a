// What a run does with a missing, broken or misbehaving provider.

#include <gtest/gtest.h>

#include "cli/panel_machine.h"

namespace wc {

namespace {

TEST(Provider, PackageNoneFailsWhatNeedsTheProviderSkipsWhatOnlyRemovesOrStopsAndAThrowingReleaseEndsTheRunNormally) {
  cli::CliSandbox sandbox;
  sandbox.writeSettings(false, "", "none");
  for (std::vector<std::string> args : {std::vector<std::string>{"--install-vhost", "--vhost-name=h.test"},
                                        {"--add-alias", "--vhost-name=h.test", "--alias=a.test"},
                                        {"--install"}}) {
    const std::string out = sandbox.failed(args);
    EXPECT_EQ(out.rfind("Tomcat package provider is undefined\n   at (TomcatManager::get_provider line ", 0), 0u)
        << out;
  }
  sandbox.ok({"--remove-vhost", "--vhost-name=h.test"});
  EXPECT_EQ(sandbox.ok({"--status"}),
            "Unable to query service status: Tomcat package provider is undefined\nis stopped");
  EXPECT_EQ(sandbox.ok({"--stop"}), "");

  // A release that throws still ends the run normally.
  sandbox.writeSettings(false, cli::libraryFile("throwingreleaseprovider"));
  EXPECT_EQ(sandbox.ok({"--status"}), "Unable to query service TestTomcat status: service does not exist\nis stopped");
}

TEST(Provider, AFaultInTheProviderIsReportedAndLeavesOneDump) {
  cli::PanelMachine machine(cli::libraryFile("faultingprovider"));
  const std::string out = machine.failed({"--install-vhost", "--vhost-name=h.test"});
  EXPECT_EQ(out.rfind("C structured exception: 0xc0000005\n   at installVHost(h.test)(TomcatManager::installVHost "
                      "line 265)\n   at execute console command --install-vhost(vconsoleapp::start line ",
                      0),
            0u)
      << out;
  const std::string dumps = machine.productRoot() + "/etc/crashdumps";
  const std::vector<std::string> names = testing_support::namesIn(dumps);
  ASSERT_EQ(names.size(), 1u);
  EXPECT_EQ(names[0].rfind("wcadmin", 0), 0u);
  EXPECT_TRUE(names[0].ends_with(".dmp")) << names[0];
  const std::string dump = dumps + "/" + names[0];
  EXPECT_EQ(testing_support::readFile(dump).rfind(cli::kDumpSignature, 0), 0u) << dump;

  // A minidump of Windows has no reader on this machine; an ELF core has gdb.
  if (cli::kDumpSignature == "MDMP") return;
  if (!cli::hasLinuxProgram("gdb")) GTEST_SKIP() << "gdb is not installed";
  testing_support::ProcessResult gdb =
      testing_support::runProgram("/usr/bin/gdb", {"-batch", "-ex", "bt", testing_support::binPath("wcadmin"), dump});
  EXPECT_NE(gdb.out.find("getTomcatHome"), std::string::npos) << gdb.out << gdb.err;
}

}  // namespace

}  // namespace wc
