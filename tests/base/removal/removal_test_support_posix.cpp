#include "removal_test_support.h"

namespace wc {

// The sandbox holds the work item as a file: it goes with the sandbox.
void removal_test::deleteRemovalTask() {}

}  // namespace wc
