#include "support/under_wine.h"

bool runningUnderWine() { return false; }
