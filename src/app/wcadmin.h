#pragma once
// The application: the console frame with the command dispatcher as its `go`.

#include "base/system/com_apartment.h"
#include "base/system/context.h"
#include "frame/vconsoleapp.h"

namespace wc {

class wcadmin : public vconsoleapp {
 public:
  explicit wcadmin(const Context& context) : context_(context) {}
  ~wcadmin() override = default;
  // Takes the run lock, parses the parameters, loads the provider, finds the
  // command, checks its parameters and calls its operation; releases the
  // provider, the parameters and the lock in that order.
  int go(int count, const std::wstring* arguments) override;

 private:
  // COM for the whole run (nothing to do on POSIX).
  ComApartment com_;
  const Context context_;
};

}  // namespace wc
