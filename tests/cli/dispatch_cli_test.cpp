// The command table seen from outside: unknown commands, parameter checks,
// the provider's failures.

#include <gtest/gtest.h>

#include "cli/cli_sandbox.h"
#include "cli/panel_machine.h"

namespace wc {

namespace {

using cli::CliSandbox;

// The list of commands that the "not supported" message carries.
const char kCommandList[] =
    "   --install\n   --uninstall\n   --copy-wars-to-var-tomcat-dir\n   --install-service\n"
    "   --remove-service\n   --install-vhost\n   --remove-vhost\n   --rename-vhost\n"
    "    --install-webapp\n    --start-webapp\n   --stop-webapp\n   --remove-webapp\n"
    "   --get-webapp-list\n   --add-alias\n   --remove-alias\n   --rename-alias\n"
    "   --start\n   --stop\n   --restart\n   --status";

TEST(Dispatch, UnknownCommandsListEveryCommandUnexpectedParametersTheCommandsAndTheAliasesFileIsLeftToItsReader) {
  CliSandbox sandbox;
  sandbox.writeSettings(false, "", "none");
  for (std::string name : {"--Start", "--help", "--install-webapps"}) {
    const std::string out = sandbox.failed({name});
    std::string expected = "command " + name + " not supported. Possible commands:\n" + kCommandList +
                           "\n   at (vconsoleapp::cmdNotSupported line ";
    EXPECT_EQ(out.rfind(expected, 0), 0u) << out;
    EXPECT_NE(out.find("\n   at execute console command " + name + "(vconsoleapp::start line "), std::string::npos);
  }
  // An unexpected parameter names the command's listing.
  const std::string out = sandbox.failed(
      {"--install-service", "--vhost-name=h.test", "--manager-login=a", "--password=p", "--aliases=/tmp/x"});
  EXPECT_EQ(out.rfind("Unexpected parameter --aliases. Possible parameters:\n    --vhost-name\n"
                      "    --manager-login\n    --password\n    [--coyote-connector-port]\n"
                      "    [--warp-connector-port]\n   at (Params::check line ",
                      0),
            0u)
      << out;

  // The aliases file is left to the operation that reads it.
  const std::string missing = "--aliases=/nonexistent/aliases.txt";
  for (std::string command : {"--stop-webapp", "--remove-webapp"}) {
    sandbox.ok({command, "--vhost-name=h.test", "--webapp-name=x", missing});
  }
  cli::PanelMachine machine;
  auto start = machine.wcadmin({"--start-webapp", "--vhost-name=h.test", "--webapp-name=x", missing});
  EXPECT_EQ(start.out.rfind("Application 'x' is not deployed\n", 0), 0u) << start.out;
  const std::string stop = machine.failed({"--stop-webapp", "--vhost-name=h.test", "--webapp-name=x", missing});
  EXPECT_NE(stop.find("Read file '/nonexistent/aliases.txt'"), std::string::npos) << stop;
  EXPECT_NE(stop.find("\n   at stopWebApp(h.test, x)(TomcatManager::stopWebApp line "), std::string::npos);
}

TEST(Dispatch, ABrokenProviderFailsEveryCommandNamingWhatIsWrong) {
  const std::string packageKey =
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Halvo\\HCP Config\\Config\\Packages\\tomcat\\tomcat10]\n";
  const struct {
    std::string library, extra, message;
  } cases[] = {
      {cli::libraryFile("nullprovider"), "",
       "Library " + testing_support::nativePath(testing_support::binPath(cli::libraryFile("nullprovider"))) +
           " is corrupted"},
      {cli::libraryFile("doesnotexist"), "",
       "at LoadLibrary(" + testing_support::nativePath(testing_support::binPath(cli::libraryFile("doesnotexist"))) +
           ")"},
      {"", packageKey, "lookup subKey=SOFTWARE\\Halvo\\HCP Config\\Config\\Packages\\tomcat\\tomcat10 value=dll"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    CliSandbox sandbox;
    sandbox.writeSettings(false, c.library, "tomcat10", c.extra);
    for (std::string command : {"--status", "--no-such-command"}) {
      const std::string out = sandbox.failed({command});
      EXPECT_TRUE(out.find(c.message) != std::string::npos) << out;
    }
  }
}

}  // namespace

}  // namespace wc
