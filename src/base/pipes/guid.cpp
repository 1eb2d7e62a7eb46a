#include "base/pipes/guid.h"

#include "base/text/vaformat.h"

namespace wc {

std::array<uint8_t, 16> guidBytes(const Guid& guid) {
  std::array<uint8_t, 16> bytes{};
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<uint8_t>(guid.data1 >> (8 * i));
  for (int i = 0; i < 2; ++i) bytes[4 + i] = static_cast<uint8_t>(guid.data2 >> (8 * i));
  for (int i = 0; i < 2; ++i) bytes[6 + i] = static_cast<uint8_t>(guid.data3 >> (8 * i));
  for (int i = 0; i < 8; ++i) bytes[8 + i] = guid.data4[i];
  return bytes;
}

Guid guidFromBytes(const uint8_t (&bytes)[16]) {
  Guid guid;
  for (int i = 3; i >= 0; --i) guid.data1 = (guid.data1 << 8) | bytes[i];
  guid.data2 = static_cast<uint16_t>(bytes[4] | (bytes[5] << 8));
  guid.data3 = static_cast<uint16_t>(bytes[6] | (bytes[7] << 8));
  for (int i = 0; i < 8; ++i) guid.data4[i] = bytes[8 + i];
  return guid;
}

std::wstring guidText(const Guid& guid) {
  const auto& d = guid.data4;
  return vaformat(L"{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", guid.data1, guid.data2, guid.data3, d[0], d[1],
                  d[2], d[3], d[4], d[5], d[6], d[7]);
}

}  // namespace wc
