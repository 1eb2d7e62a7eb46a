#pragma once

namespace wc {

// Makes sure a processor fault never opens a system error dialog (Windows) and
// prepares the process for the program's fault handling.

void disableFaultDialogs();

}  // namespace wc
