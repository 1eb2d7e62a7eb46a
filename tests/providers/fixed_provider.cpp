// A provider that answers fixed paths.

#include "fixed_paths_provider.h"

extern "C" ITomcatProvider* getTomcatProviderInstance() { return new FixedPathsProvider(); }
