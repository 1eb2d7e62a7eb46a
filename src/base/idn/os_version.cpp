#include "base/idn/os_version.h"

bool usesUts46(const OsVersion& version) { return version.major > 6 || (version.major == 6 && version.minor > 1); }
