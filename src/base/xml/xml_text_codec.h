#pragma once
// The document keeps text and attribute values as they are spelled in the
// file (references not expanded, line breaks as they were), so that a saved
// file repeats them byte for byte. This is the conversion between that
// spelling and the values callers see.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace wc {

enum class XmlValueKind { Text, Attribute };

// The value a parser reports: line breaks normalised (in attributes every
// whitespace character becomes a blank), the five predefined entities and
// character references expanded. References to other entities (only allowed
// when the document has a doctype that may declare them) are kept as written:
// nothing is ever loaded or expanded from a DTD.
std::wstring decodeXmlValue(std::string_view spelled, XmlValueKind kind);

// The spelling of a value: '&', '<' and '>' as references, and in attributes
// also '"', tab, line feed and carriage return, so that the value reads back
// unchanged. Throws ComError E_INVALIDARG for characters XML cannot hold.
std::string encodeXmlValue(std::wstring_view value, XmlValueKind kind);

struct XmlSpellingProblem {
  size_t offset = 0;  // within the spelled text
  std::wstring reason;
};

// Well-formedness of a spelled value: every '&' starts a complete reference
// to a character XML allows or to an entity (the predefined ones, or any name
// when `otherEntitiesAllowed`); no '<' in attributes; no "]]>" in text.
std::optional<XmlSpellingProblem> checkXmlSpelling(std::string_view spelled, XmlValueKind kind,
                                                   bool otherEntitiesAllowed);

}  // namespace wc
