#pragma once
// Small string helpers shared by the areas.

#include <string>
#include <string_view>
#include <vector>

// Lower-cases each character on its own (as the system's per-character
// lower-casing does), not by language rules.
std::wstring lowerCase(std::wstring_view text);
wchar_t lowerChar(wchar_t c);
bool equalsIgnoreCase(std::wstring_view a, std::wstring_view b);

// Splits at any of `separators`; empty pieces are dropped.
std::vector<std::wstring> splitDroppingEmpty(std::wstring_view text, std::wstring_view separators);

bool startsWith(std::wstring_view text, std::wstring_view prefix);
bool endsWith(std::wstring_view text, std::wstring_view suffix);
