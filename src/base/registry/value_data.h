#pragma once
// Value data as the store keeps it: the bytes Windows keeps for each type
// (strings in UTF-16LE with their terminator, DWORDs in 4 little-endian bytes).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace wc {

namespace registry {

// UTF-16LE with a terminating NUL, as a REG_SZ or REG_EXPAND_SZ is stored.
std::string encodeString(std::wstring_view text);
// The text up to the first NUL; a trailing odd byte is dropped (the buffer is
// cut at its last whole character) and a lone surrogate becomes U+FFFD.
std::wstring decodeString(std::string_view bytes);

// Each item terminated by a NUL, then one more NUL.
std::string encodeMultiString(const std::vector<std::wstring>& items);
// The items up to the first empty one (the list's end).
std::vector<std::wstring> decodeMultiString(std::string_view bytes);

std::string encodeDword(uint32_t value);
std::string encodeQword(uint64_t value);
// The little-endian number of exactly 4 or 8 bytes; nothing for another size.
std::optional<uint32_t> decodeDword(std::string_view bytes);
std::optional<uint64_t> decodeQword(std::string_view bytes);

// True when the bytes are exactly one terminated UTF-16 text without other
// NULs, unpaired surrogates or line breaks: such a value can be written as a
// quoted string in the settings file without losing anything.
bool isPlainString(std::string_view bytes);

// "REG_SZ", "REG_DWORD", ...; "REG_UNKNOWN(<n>)" for types without a name.
std::wstring typeName(uint32_t type);
// The type of a name as typeName gives it (case ignored); nothing if unknown.
std::optional<uint32_t> typeFromName(std::wstring_view name);

}  // namespace registry

}  // namespace wc
