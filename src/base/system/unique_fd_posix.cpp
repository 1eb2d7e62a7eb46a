#include <unistd.h>

#include "base/system/unique_handle.h"

void FdTraits::close(int fd) { ::close(fd); }
