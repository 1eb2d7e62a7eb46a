// A provider library whose export returns no provider.

#include "provider/ITomcatProvider.h"

extern "C" ITomcatProvider* getTomcatProviderInstance() { return nullptr; }
