#include "base/pipes/guid.h"

#include "base/text/vaformat.h"

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

namespace {

int hexValue(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}

// `digits` hex digits at `pos`; nothing if any is not a hex digit.
std::optional<uint32_t> hexField(std::wstring_view text, size_t pos, size_t digits) {
  uint32_t value = 0;
  for (size_t i = 0; i < digits; ++i) {
    int v = hexValue(text[pos + i]);
    if (v < 0) return std::nullopt;
    value = (value << 4) | static_cast<uint32_t>(v);
  }
  return value;
}

}  // namespace

std::optional<Guid> parseGuid(std::wstring_view text) {
  // {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}
  if (text.size() != 38 || text.front() != L'{' || text.back() != L'}') return std::nullopt;
  if (text[9] != L'-' || text[14] != L'-' || text[19] != L'-' || text[24] != L'-') return std::nullopt;
  auto d1 = hexField(text, 1, 8), d2 = hexField(text, 10, 4), d3 = hexField(text, 15, 4);
  if (!d1 || !d2 || !d3) return std::nullopt;
  Guid guid;
  guid.data1 = *d1;
  guid.data2 = static_cast<uint16_t>(*d2);
  guid.data3 = static_cast<uint16_t>(*d3);
  const size_t bytePositions[8] = {20, 22, 25, 27, 29, 31, 33, 35};
  for (int i = 0; i < 8; ++i) {
    auto b = hexField(text, bytePositions[i], 2);
    if (!b) return std::nullopt;
    guid.data4[i] = static_cast<uint8_t>(*b);
  }
  return guid;
}
