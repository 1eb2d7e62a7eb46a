#pragma once
// The text format of Windows registry exports, which the settings file uses:
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_LOCAL_MACHINE\SOFTWARE\Halvo\HCP Config\Config]
//   "PRODUCT_ROOT_D"="/opt/halvo"
//   "Debug"=dword:00000001
//   "LongRoot"=hex(2):25,00,48,00,00,00
//   @="unnamed value"
//
// Reading also takes what import files carry: [-KEY] and "name"=- deletions,
// ';' comments, hex lists continued over lines with a trailing backslash, and a
// UTF-16LE file with its byte order mark as Windows exports write them.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/errors/vexception.h"
#include "base/registry/reg_store.h"

namespace wc {

namespace registry {

// The settings file's first line.
inline constexpr std::wstring_view kRegHeader = L"Windows Registry Editor Version 5.00";

// A file that does not follow the format; the message names the line.
class RegFormatError : public vexception {
 public:
  RegFormatError(size_t line, const std::wstring& reason);
  size_t line() const { return line_; }

 private:
  size_t line_;
};

// The changes the text describes, in order. A text that is empty or only
// blank is an empty list (a writer creates the file before it fills it).
// Throws RegFormatError.
std::vector<RegKeyEdit> parseRegText(std::string_view text);

// The store the text describes (its changes applied to an empty store).
RegStore loadRegText(std::string_view text);

// The whole store as UTF-8 text: strings as "..." for REG_SZ, dword: for
// 4-byte DWORDs, hex: for REG_BINARY and hex(N): for everything else.
std::string formatRegText(const RegStore& store);

}  // namespace registry

}  // namespace wc
