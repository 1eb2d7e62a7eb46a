#include "service_manager_fixture.h"

#include <algorithm>

#include "base/text/convert.h"
#include "support/sandbox.h"

namespace wc {

std::wstring hostedImagePath(const std::wstring& command) {
  std::wstring host = wstrLenient(testing_support::binPath("hcpsvc") + ".exe");
  std::replace(host.begin(), host.end(), L'/', L'\\');
  return L"\"" + host + L"\" " + command;
}

// The Service Control Manager lets a stopped service go at once.
bool hostGone(const std::wstring&) { return true; }

}  // namespace wc
