// Writing the settings file in the format Windows registry exports use.

#include "base/registry/reg_format.h"
#include "base/registry/value_data.h"
#include "base/text/unicode.h"

namespace wc {

namespace registry {

namespace {

// Lines are wrapped before this width, as Windows exports wrap hex lists.
constexpr size_t kLineWidth = 80;

std::wstring quoted(std::wstring_view text) {
  std::wstring out = L"\"";
  for (wchar_t c : text) {
    if (c == L'\\' || c == L'"') out += L'\\';
    out += c;
  }
  return out + L"\"";
}

std::wstring hexText(uint32_t value, int minDigits) {
  static const wchar_t kDigits[] = L"0123456789abcdef";
  std::wstring out;
  do {
    out.insert(out.begin(), kDigits[value & 0xF]);
    value >>= 4;
  } while (value != 0);
  while (static_cast<int>(out.size()) < minDigits) out.insert(out.begin(), L'0');
  return out;
}

void appendHexList(std::wstring& out, std::wstring line, std::string_view bytes) {
  for (size_t i = 0; i < bytes.size(); ++i) {
    bool last = i + 1 == bytes.size();
    std::wstring token = hexText(static_cast<unsigned char>(bytes[i]), 2) + (last ? L"" : L",");
    // Room for the token and, unless it is the last, a continuation backslash.
    if (line.size() + token.size() + (last ? 0 : 1) > kLineWidth && line != L"  ") {
      out += line + L"\\\n";
      line = L"  ";
    }
    line += token;
  }
  out += line;
}

void appendValue(std::wstring& out, const RegValue& value) {
  std::wstring prefix = value.name.empty() ? L"@=" : quoted(value.name) + L"=";
  if (value.type == REG_SZ && isPlainString(value.data)) {
    out += prefix + quoted(decodeString(value.data));
  } else if (value.type == REG_DWORD && value.data.size() == 4) {
    out += prefix + L"dword:" + hexText(*decodeDword(value.data), 8);
  } else {
    std::wstring kind = value.type == REG_BINARY ? L"hex:" : L"hex(" + hexText(value.type, 1) + L"):";
    appendHexList(out, prefix + kind, value.data);
  }
  out += L"\n";
}

}  // namespace

std::string formatRegText(const RegStore& store) {
  std::wstring out(kRegHeader);
  out += L"\n\n";
  for (const RegKeyRecord& key : store.keys()) {
    out += L"[" + rootName(key.root);
    if (!key.path.empty()) out += L"\\" + key.path;
    out += L"]\n";
    for (const RegValue& value : key.values) appendValue(out, value);
    out += L"\n";
  }
  return wideToUtf8Lenient(out);
}

}  // namespace registry

}  // namespace wc
