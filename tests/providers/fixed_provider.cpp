// A provider that answers fixed paths.

#include "fixed_paths_provider.h"

namespace wc {

extern "C" ITomcatProvider* getTomcatProviderInstance() { return new FixedPathsProvider(); }

}  // namespace wc
