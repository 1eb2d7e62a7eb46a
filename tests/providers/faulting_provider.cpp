// A provider that faults: its Tomcat home is read through a null pointer, as a
// broken provider library would. Every path built on the home faults too.
// Tests use it to see a processor fault inside an operation reported as the
// operation's failure (with a crash dump where dumps are enabled).

#include "fixed_paths_provider.h"

namespace wc {

namespace {
class FaultingProvider final : public FixedPathsProvider {
 public:
  std::wstring getTomcatHome() override {
    volatile const wchar_t* home = nullptr;  // volatile: the read must happen
    return std::wstring(1, *home);
  }
};
}  // namespace

extern "C" ITomcatProvider* getTomcatProviderInstance() { return new FaultingProvider(); }

}  // namespace wc
