#pragma once
// The management-service commands this program sends.

#include "base/pipes/guid.h"

namespace wc {

// Argument: string, the value name. Result: string, the value.
inline constexpr Guid kConfigStringCommand{
    0xAD3EBC3C, 0xE6B9, 0x4FCF, {0xAB, 0xB9, 0xED, 0x1B, 0x3D, 0x52, 0x4F, 0x22}};

}  // namespace wc
