#pragma once
// Command identifiers of the management service: GUIDs, sent over the pipe in
// their in-memory layout (first field 4 bytes little-endian, second and third
// 2 bytes little-endian each, then 8 bytes as they stand).

#include <array>
#include <cstdint>
#include <string>

namespace wc {

struct Guid {
  uint32_t data1 = 0;
  uint16_t data2 = 0;
  uint16_t data3 = 0;
  std::array<uint8_t, 8> data4{};

  friend bool operator==(const Guid&, const Guid&) = default;
};

std::array<uint8_t, 16> guidBytes(const Guid& guid);
Guid guidFromBytes(const uint8_t (&bytes)[16]);

// "{AD3EBC3C-E6B9-4FCF-ABB9-ED1B3D524F22}" (upper-case hex, braces).
std::wstring guidText(const Guid& guid);

}  // namespace wc
