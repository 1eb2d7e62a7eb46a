#pragma once
// The worker table (panel_snapshot.h) of workers.properties' entries: made as
// the file is read, beside the reading of the other files.

#include "check/panel_snapshot.h"

namespace wc {

WorkerTable workerTableOf(const PropertyLines& lines);

}  // namespace wc
