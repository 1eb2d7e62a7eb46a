// A provider whose release() throws: the program must end its run normally.

#include <stdexcept>

#include "fixed_paths_provider.h"

namespace wc {

namespace {
class ThrowingReleaseProvider final : public FixedPathsProvider {
 public:
  void release() override { throw std::runtime_error("release failed"); }
};
}  // namespace

extern "C" ITomcatProvider* getTomcatProviderInstance() {
  static ThrowingReleaseProvider provider;
  return &provider;
}

}  // namespace wc
