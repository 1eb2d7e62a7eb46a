#pragma once
// The workers of workers.properties: those named in "worker.list" and those
// with keys of their own ("worker.<name>.<key>").

#include "check/panel_snapshot.h"

namespace wc {

WorkerTable workerTableOf(const PropertyLines& lines);

}  // namespace wc
