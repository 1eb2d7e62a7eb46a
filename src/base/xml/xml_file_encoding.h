#pragma once
// The byte encodings an XML file may come in, and the way back: a document is
// saved in the encoding it was loaded from, with its byte order mark if it had
// one, so that a load and save changes no byte outside the edited parts.

#include <string>
#include <string_view>

namespace wc {

struct XmlFileEncoding {
  enum class Kind { Utf8, Utf16le, Utf16be, Latin1 };
  Kind kind = Kind::Utf8;
  bool byteOrderMark = false;
};

struct DecodedXmlFile {
  std::string utf8;  // the text without the byte order mark
  XmlFileEncoding encoding;
};

// Detects the encoding (byte order mark, UTF-16 without mark, the encoding the
// declaration names) and converts to UTF-8. Returns the reason when the bytes
// cannot be read: an encoding the layer does not know, or bytes that are not
// valid in it. UTF-8 validity is checked by the parser, which knows positions.
// UTF-8 bytes become the text without a copy (the mark is cut off in place),
// so the string keeps the room it was read with.
std::wstring decodeXmlFile(std::string bytes, DecodedXmlFile& out);

// Converts UTF-8 text back to the file's encoding, mark included. Returns
// false when a character cannot be written in it (Latin-1 beyond U+00FF).
bool encodeXmlFile(std::string_view utf8, const XmlFileEncoding& encoding, std::string& out);

// The value of the encoding pseudo-attribute of a leading XML declaration in
// an ASCII-compatible text; empty when there is none.
std::string declaredEncoding(std::string_view text);

}  // namespace wc
