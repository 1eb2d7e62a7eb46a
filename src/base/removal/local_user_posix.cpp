#include "base/removal/local_user.h"

#include "base/errors/vexception.h"

namespace wc {

// The panel creates no local accounts for Tomcat on this platform, and
// removing system accounts is the business of the system's own tools, so
// User entries are reported and kept.
void deleteSystemLocalUser(const std::wstring& name) {
  throw vexception(L"Deleting local account '" + name + L"' is not supported on this platform",
                   VCALLPOINT(L"", "deleteLocalUser"));
}

}  // namespace wc
