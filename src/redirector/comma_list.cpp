#include "redirector/comma_list.h"

#include <algorithm>
#include <vector>

#include "base/errors/strict_convert.h"

namespace wc {

namespace {

// The list in UTF-16 (which checks that it is text in the code page) and
// its non-empty items as views of it.
struct WideList {
  explicit WideList(std::string_view list) : text(wstr(list)) {
    for (size_t at = 0; at <= text.size();) {
      const size_t comma = std::min(text.find(L',', at), text.size());
      if (comma > at) items.push_back(std::wstring_view(text).substr(at, comma - at));
      at = comma + 1;
    }
  }

  std::wstring text;
  std::vector<std::wstring_view> items;
};

std::string joined(const std::vector<std::wstring_view>& items) {
  size_t size = items.size();
  for (std::wstring_view item : items) size += item.size();
  std::wstring text;
  text.reserve(size);
  for (size_t i = 0; i < items.size(); ++i) {
    if (i > 0) text += L',';
    text += items[i];
  }
  return cstr(text);
}

}  // namespace

std::vector<std::wstring> listItems(std::string_view list) {
  const WideList wide(list);
  return std::vector<std::wstring>(wide.items.begin(), wide.items.end());
}

std::string addListItem(std::string_view list, std::wstring_view item) {
  WideList wide(list);
  if (std::find(wide.items.begin(), wide.items.end(), item) == wide.items.end()) wide.items.push_back(item);
  return joined(wide.items);
}

std::string removeListItem(std::string_view list, std::wstring_view item) {
  WideList wide(list);
  auto found = std::find(wide.items.begin(), wide.items.end(), item);
  if (found != wide.items.end()) wide.items.erase(found);
  return joined(wide.items);
}

std::string replaceListItem(std::string_view list, std::wstring_view oldItem, std::wstring_view newItem) {
  WideList wide(list);
  auto found = std::find(wide.items.begin(), wide.items.end(), oldItem);
  if (found != wide.items.end()) *found = newItem;
  return joined(wide.items);
}

}  // namespace wc
