// hcpsrv: the panel's management service. It answers configuration strings
// of the panel's settings over the pipe named by the "hcppipe" setting.

#include "hcpsrv_tool.h"

#include <cstdio>
#include <exception>

#include "base/errors/vexception.h"
#include "base/pipes/pipe_socket_path.h"
#include "base/registry/registry.h"
#include "base/removal/system_context.h"
#include "base/text/convert.h"
#include "server.h"
#include "wc_version.h"

namespace wc {

namespace {

std::wstring configuredPipeName(const Context& context) {
  std::wstring name;
  if (registry::lookupString(context, registry::Root::LocalMachine, registry::kConfigKey, L"hcppipe", name,
                             registry::REG_SZ, registry::kView32) != 0)
    name = L"hcppipe";
  return std::wstring(kPipeNamePrefix) + name;
}

}  // namespace

int runHcpsrv(const std::vector<std::wstring>& args, const char* usage) {
  for (const std::wstring& arg : args) {
    if (arg == L"--help" || arg == L"-h" || arg == L"/?") {
      std::fputs(usage, stdout);
      return 0;
    }
    if (arg == L"--version") {
      std::fputs("hcpsrv " WC_VERSION "\n", stdout);
      return 0;
    }
    std::fprintf(stderr, "hcpsrv: unknown argument '%s'\n\n%s", cstrLenient(arg).c_str(), usage);
    return 1;
  }
  try {
    const Context& context = systemContext();
    servePipe(context, configuredPipeName(context));
    return 0;
  } catch (const vexception& e) {
    std::fprintf(stderr, "hcpsrv: %s\n", cstrLenient(e.fullText()).c_str());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "hcpsrv: %s\n", e.what());
  }
  return 1;
}

}  // namespace wc
