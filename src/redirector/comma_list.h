#pragma once
// Edits of a comma-separated list value such as that of "worker.list". The
// value is in the ANSI code page; it is cut at every ',' with empty items
// dropped and no trimming, items compare exactly, and the result is joined
// with "," alone. The result is returned even when nothing changed, so a value
// with empty items comes back without them. A value that is not valid text in
// the code page fails with the conversion's exception.

#include <string>
#include <string_view>
#include <vector>

namespace wc {

// The items of the list, in order.
std::vector<std::wstring> listItems(std::string_view list);
// Appends `item` unless an equal item is already there.
std::string addListItem(std::string_view list, std::wstring_view item);
// Removes the first item equal to `item`; later duplicates stay.
std::string removeListItem(std::string_view list, std::wstring_view item);
// Puts `newItem` in the place of the first item equal to `oldItem`.
std::string replaceListItem(std::string_view list, std::wstring_view oldItem, std::wstring_view newItem);

}  // namespace wc
