#include "redirector/comma_list.h"

#include <algorithm>
#include <vector>

#include "base/errors/strict_convert.h"
#include "base/text/strings.h"

namespace wc {

namespace {

std::string joined(const std::vector<std::wstring>& items) {
  std::wstring text;
  for (size_t i = 0; i < items.size(); ++i) {
    if (i > 0) text += L',';
    text += items[i];
  }
  return cstr(text);
}

}  // namespace

std::vector<std::wstring> listItems(std::string_view list) { return splitDroppingEmpty(wstr(list), L","); }

std::string addListItem(std::string_view list, std::wstring_view item) {
  std::vector<std::wstring> items = listItems(list);
  if (std::find(items.begin(), items.end(), item) == items.end()) items.emplace_back(item);
  return joined(items);
}

std::string removeListItem(std::string_view list, std::wstring_view item) {
  std::vector<std::wstring> items = listItems(list);
  auto found = std::find(items.begin(), items.end(), item);
  if (found != items.end()) items.erase(found);
  return joined(items);
}

std::string replaceListItem(std::string_view list, std::wstring_view oldItem, std::wstring_view newItem) {
  std::vector<std::wstring> items = listItems(list);
  auto found = std::find(items.begin(), items.end(), oldItem);
  if (found != items.end()) *found = newItem;
  return joined(items);
}

}  // namespace wc
