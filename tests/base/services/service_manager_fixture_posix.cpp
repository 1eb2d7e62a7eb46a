#include "service_manager_fixture.h"

#include "base/services/host_process.h"

namespace wc {

// The stand-in finds its host through HCP_SERVICE_HOST and runs the command.
std::wstring hostedImagePath(const std::wstring& command) { return command; }

bool hostGone(const std::wstring& name) { return !serviceHostPid(name).has_value(); }

}  // namespace wc
