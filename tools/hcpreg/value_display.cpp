#include "value_display.h"

#include "base/registry/registry.h"
#include "base/registry/value_data.h"
#include "base/text/vaformat.h"

namespace wc {

std::wstring displayData(uint32_t type, const std::string& data) {
  using namespace registry;
  if (type == REG_SZ || type == REG_EXPAND_SZ) return decodeString(data);
  if (type == REG_DWORD && data.size() == 4) return vaformat(L"0x%x", *decodeDword(data));
  if (type == REG_QWORD && data.size() == 8) return vaformat(L"0x%llx", *decodeQword(data));
  if (type == REG_MULTI_SZ) {
    std::wstring text;
    for (const std::wstring& item : decodeMultiString(data)) {
      if (!text.empty()) text += L"\\0";
      text += item;
    }
    return text;
  }
  std::wstring hex;
  for (char byte : data) hex += vaformat(L"%02X", static_cast<unsigned char>(byte));
  return hex;
}

std::wstring displayValueLine(const std::wstring& name, uint32_t type, const std::string& data) {
  return L"    " + (name.empty() ? std::wstring(L"(Default)") : name) + L"    " + registry::typeName(type) + L"    " +
         displayData(type, data);
}

}  // namespace wc
