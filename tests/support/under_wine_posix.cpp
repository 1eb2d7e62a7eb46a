#include "support/under_wine.h"

namespace wc {

bool runningUnderWine() { return false; }

}  // namespace wc
