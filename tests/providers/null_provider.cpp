// A provider library whose export returns no provider.

#include "provider/ITomcatProvider.h"

namespace wc {

extern "C" ITomcatProvider* getTomcatProviderInstance() { return nullptr; }

}  // namespace wc
