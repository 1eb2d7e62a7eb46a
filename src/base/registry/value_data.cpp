#include "base/registry/value_data.h"

#include <array>

#include "base/registry/registry.h"
#include "base/text/strings.h"
#include "base/text/unicode.h"

namespace wc {

namespace registry {

namespace {

uint16_t unitAt(std::string_view bytes, size_t k) {
  return static_cast<uint16_t>(static_cast<unsigned char>(bytes[2 * k]) |
                               (static_cast<unsigned char>(bytes[2 * k + 1]) << 8));
}

bool isHighSurrogate(uint32_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool isLowSurrogate(uint32_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

// Decodes UTF-16 units [begin, end); false in `clean` when a lone surrogate
// had to be replaced.
std::wstring decodeUnits(std::string_view bytes, size_t begin, size_t end, bool& clean) {
  std::wstring out;
  clean = true;
  for (size_t k = begin; k < end; ++k) {
    uint32_t u = unitAt(bytes, k);
    if (isHighSurrogate(u) && k + 1 < end && isLowSurrogate(unitAt(bytes, k + 1))) {
      uint32_t low = unitAt(bytes, ++k);
      if constexpr (sizeof(wchar_t) == 2) {
        out += static_cast<wchar_t>(u);
        out += static_cast<wchar_t>(low);
      } else {
        out += static_cast<wchar_t>(0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
      }
    } else if (isHighSurrogate(u) || isLowSurrogate(u)) {
      clean = false;
      out += static_cast<wchar_t>(0xFFFD);
    } else {
      out += static_cast<wchar_t>(u);
    }
  }
  return out;
}

std::string encodeLittleEndian(uint64_t value, size_t size) {
  std::string out(size, '\0');
  for (size_t i = 0; i < size; ++i) out[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
  return out;
}

uint64_t decodeLittleEndian(std::string_view bytes) {
  uint64_t value = 0;
  for (size_t i = bytes.size(); i > 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes[i - 1]);
  return value;
}

struct NamedType {
  uint32_t type;
  const wchar_t* name;
};
constexpr std::array<NamedType, 12> kTypeNames = {{
    {REG_NONE, L"REG_NONE"},
    {REG_SZ, L"REG_SZ"},
    {REG_EXPAND_SZ, L"REG_EXPAND_SZ"},
    {REG_BINARY, L"REG_BINARY"},
    {REG_DWORD, L"REG_DWORD"},
    {5, L"REG_DWORD_BIG_ENDIAN"},
    {6, L"REG_LINK"},
    {REG_MULTI_SZ, L"REG_MULTI_SZ"},
    {8, L"REG_RESOURCE_LIST"},
    {9, L"REG_FULL_RESOURCE_DESCRIPTOR"},
    {10, L"REG_RESOURCE_REQUIREMENTS_LIST"},
    {REG_QWORD, L"REG_QWORD"},
}};

}  // namespace

std::string encodeString(std::wstring_view text) { return wideToUtf16le(text) + std::string(2, '\0'); }

std::wstring decodeString(std::string_view bytes) {
  size_t units = bytes.size() / 2;
  size_t end = 0;
  while (end < units && unitAt(bytes, end) != 0) ++end;
  bool clean;
  return decodeUnits(bytes, 0, end, clean);
}

std::string encodeMultiString(const std::vector<std::wstring>& items) {
  std::string out;
  for (const std::wstring& item : items) out += encodeString(item);
  out += std::string(2, '\0');
  return out;
}

std::vector<std::wstring> decodeMultiString(std::string_view bytes) {
  std::vector<std::wstring> items;
  size_t units = bytes.size() / 2;
  size_t k = 0;
  while (k < units) {
    size_t end = k;
    while (end < units && unitAt(bytes, end) != 0) ++end;
    if (end == k) break;  // an empty item ends the list
    bool clean;
    items.push_back(decodeUnits(bytes, k, end, clean));
    k = end + 1;
  }
  return items;
}

std::string encodeDword(uint32_t value) { return encodeLittleEndian(value, 4); }
std::string encodeQword(uint64_t value) { return encodeLittleEndian(value, 8); }

std::optional<uint32_t> decodeDword(std::string_view bytes) {
  if (bytes.size() != 4) return std::nullopt;
  return static_cast<uint32_t>(decodeLittleEndian(bytes));
}

std::optional<uint64_t> decodeQword(std::string_view bytes) {
  if (bytes.size() != 8) return std::nullopt;
  return decodeLittleEndian(bytes);
}

bool isPlainString(std::string_view bytes) {
  if (bytes.size() < 2 || bytes.size() % 2 != 0) return false;
  size_t units = bytes.size() / 2;
  if (unitAt(bytes, units - 1) != 0) return false;
  for (size_t k = 0; k + 1 < units; ++k) {
    uint16_t u = unitAt(bytes, k);
    if ((u < 0x20 && u != L'\t') || u == 0x7F) return false;
  }
  bool clean;
  decodeUnits(bytes, 0, units - 1, clean);
  return clean;
}

std::wstring typeName(uint32_t type) {
  for (const NamedType& t : kTypeNames) {
    if (t.type == type) return t.name;
  }
  return L"REG_UNKNOWN(" + std::to_wstring(type) + L")";
}

std::optional<uint32_t> typeFromName(std::wstring_view name) {
  for (const NamedType& t : kTypeNames) {
    if (equalsIgnoreCase(name, t.name)) return t.type;
  }
  return std::nullopt;
}

}  // namespace registry

}  // namespace wc
