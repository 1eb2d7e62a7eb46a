#include "base/idn/os_version.h"

OsVersion operatingSystemVersion() { return {6, 2}; }
