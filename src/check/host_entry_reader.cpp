#include "check/host_entry_reader.h"

#include <iterator>

#include "base/xml/xml_child_walk.h"
#include "base/xml/xml_text_codec.h"

namespace wc {

std::optional<HostEntry> HostEntryReader::take(size_t offset) {
  while (taken_ < read_.size() && read_[taken_].offset < offset) ++taken_;
  if (taken_ == read_.size() || read_[taken_].offset != offset || !read_[taken_].whole) return std::nullopt;
  return std::move(read_[taken_++].entry);
}

void HostEntryReader::startTag(size_t offset, std::string_view name) {
  if (depth_ == 0) {
    read_.push_back({offset, {}});
    children_ = 0;
    child_ = Child::Other;
    aliases_.clear();
    plain_ = true;
  } else if (depth_ == 1) {
    HostEntry& entry = read_.back().entry;
    const size_t at = children_++;
    child_ = Child::Other;
    if (tagNameIs(name, L"Alias")) {
      aliases_.push_back({{}, at, {}});
      child_ = Child::Alias;
      aliasValued_ = false;
    } else if (entry.realm == HostEntry::kNoRealm && tagNameIs(name, L"Realm")) {
      // The Realm that TomcatManager::findRealm finds: the first one.
      entry.realm = at;
      child_ = Child::Realm;
    }
  } else if (depth_ == 2 && child_ == Child::Alias) {
    aliasValued_ = true;  // an element first: the Alias has no value
  }
  ++depth_;
}

void HostEntryReader::attribute(std::string_view name, std::string_view spelled) {
  HostEntry& entry = read_.back().entry;
  if (depth_ == 1 && name == "name") {
    entry.name = decodeXmlValue(spelled, XmlValueKind::Attribute);
  } else if (depth_ == 1 && name == "appBase") {
    entry.appBase = decodeXmlValue(spelled, XmlValueKind::Attribute);
  } else if (depth_ == 2 && child_ == Child::Realm && name == "pathname") {
    entry.realmPathname = decodeXmlValue(spelled, XmlValueKind::Attribute);
  }
}

void HostEntryReader::endTag() {
  if (--depth_ != 0) return;
  // Gathered in a list kept for the next Host, kept in one of their number.
  std::vector<NameAt>& aliases = read_.back().entry.aliases;
  aliases.assign(std::make_move_iterator(aliases_.begin()), std::make_move_iterator(aliases_.end()));
  read_.back().whole = plain_;
}

void HostEntryReader::text(std::string_view spelled) {
  // Whitespace alone is formatting, which the element's children leave out.
  if (depth_ != 2 || child_ != Child::Alias || aliasValued_ ||
      spelled.find_first_not_of(" \t\r\n") == std::string_view::npos) {
    return;
  }
  aliases_.back().name = decodeXmlValue(spelled, XmlValueKind::Text);
  aliasValued_ = true;
}

void HostEntryReader::comment(std::string_view) {
  if (depth_ == 2 && child_ == Child::Alias && !aliasValued_) plain_ = false;
}

}  // namespace wc
