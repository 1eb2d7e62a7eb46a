#pragma once
// How query shows a value: "    Name    REG_SZ    value".

#include <cstdint>
#include <string>

namespace wc {

// The data as text: strings as they are stored (not expanded), DWORDs and
// QWORDs as 0x hex, REG_MULTI_SZ items joined by \0, anything else as hex bytes.
std::wstring displayData(uint32_t type, const std::string& data);
// One line of query output, without the line end.
std::wstring displayValueLine(const std::wstring& name, uint32_t type, const std::string& data);

}  // namespace wc
