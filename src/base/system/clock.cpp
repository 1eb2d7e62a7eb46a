#include "base/system/clock.h"

namespace {
Clock* currentClock = nullptr;
}

Clock& Clock::current() { return currentClock ? *currentClock : Default(); }

void Clock::setCurrentForTesting(Clock* clock) { currentClock = clock; }
