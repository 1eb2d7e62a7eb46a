#include "base/xml/vxml.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "base/errors/com_error.h"
#include "base/errors/os_error.h"
#include "base/errors/win_error_codes.h"
#include "base/files/atomic_write.h"
#include "base/files/file.h"
#include "base/files/file_system.h"
#include "base/text/strings.h"
#include "base/text/unicode.h"
#include "base/text/vaformat.h"
#include "base/xml/xml_child_walk.h"
#include "base/xml/xml_document_state.h"
#include "base/xml/xml_file_encoding.h"
#include "base/xml/xml_parser.h"
#include "base/xml/xml_printer.h"
#include "base/xml/xml_subset_load.h"
#include "base/xml/xml_text_codec.h"

namespace wc {

namespace {

constexpr uint32_t kLoadLine = 40;
constexpr uint32_t kSaveLine = 48;

[[noreturn]] void failLoad(const std::wstring& reason, const std::wstring& path) {
  throw vexception(reason + L" at load " + path, vcallpoint{L"", "vxmlLoad", kLoadLine});
}

std::wstring fileErrorText(uint32_t code) {
  return systemMessageText(code).value_or(vaformat(L"Unknown error (Error code %lu)", code));
}

// The whole file in a string with room for exactly one byte more, which the
// parser needs for its terminator: the text is parsed where it was read.
std::string readXmlFile(const std::wstring& path) {
  uint64_t expected = 0;
  {
    File probe;
    if (probe.open(path, FILE_ACCESS_READ, FILE_SHARE_READ_ACCESS, FileDisposition::OpenExisting) == 0) {
      probe.seekToEnd(expected);
    }
  }
  File file;
  if (uint32_t code = file.open(path, FILE_ACCESS_READ, FILE_SHARE_READ_ACCESS, FileDisposition::OpenExisting)) {
    failLoad(fileErrorText(code), path);
  }
  std::string bytes;
  // The size is a hint only: a directory reports no real size.
  if (expected >= bytes.max_size()) expected = 0;
  bytes.reserve(static_cast<size_t>(expected) + 1);
  bytes.resize(static_cast<size_t>(expected));
  size_t filled = 0;
  // Up to the size seen, straight into the string; a file that grew in the
  // meantime is read on in chunks.
  while (filled < bytes.size()) {
    const uint32_t want = static_cast<uint32_t>(std::min<size_t>(bytes.size() - filled, 1u << 30));
    uint32_t transferred = 0;
    if (uint32_t code = file.read(bytes.data() + filled, want, transferred)) failLoad(fileErrorText(code), path);
    if (transferred == 0) break;
    filled += transferred;
  }
  bytes.resize(filled);
  if (filled == expected) {
    char chunk[65536];
    for (;;) {
      uint32_t transferred = 0;
      if (uint32_t code = file.read(chunk, sizeof chunk, transferred)) failLoad(fileErrorText(code), path);
      if (transferred == 0) break;
      bytes.append(chunk, transferred);
    }
  }
  return bytes;
}

}  // namespace

// A command's edit from load to save: the subset load (xml_subset_load.h)
// parses server.xml without the contents of the Engine's Hosts; the handles
// (xml_dom.h) parse a Host's content when they first reach into it, and note
// every change with the nodes above it (XmlDocumentState::noteSubtreeChange);
// the save (xml_printer.h) copies every unchanged element from the text as
// read and writes the changed path node by node. A file outside the subset
// gets the full load (xml_parser.h) and is written node by node.
XmlDocument loadXmlDocument(const std::wstring& path, bool validateOnParse, bool resolveExternals, bool subsetAllowed,
                            XmlHostReader* hostReader) {
  std::shared_ptr<XmlDocumentState> state = XmlHandleAccess::state(XmlDocument::create());
  state->validateOnParse = validateOnParse;
  state->resolveExternals = resolveExternals;

  DecodedXmlFile decoded;
  if (std::wstring reason = decodeXmlFile(readXmlFile(path), decoded); !reason.empty()) failLoad(reason, path);
  state->encoding = decoded.encoding;
  const bool utf8 = state->encoding.kind == XmlFileEncoding::Kind::Utf8;
  if (utf8 && subsetAllowed && loadXmlSubset(decoded.utf8, *state, hostReader))
    return XmlHandleAccess::document(std::move(state));
  if (std::wstring reason = parseXmlText(std::move(decoded.utf8), *state); !reason.empty()) failLoad(reason, path);
  return XmlHandleAccess::document(std::move(state));
}

XmlDocument& vxmlLoad(XmlDocument& document, const std::wstring& path, bool validateOnParse, bool resolveExternals,
                      XmlHostReader* hostReader) {
  document = loadXmlDocument(path, validateOnParse, resolveExternals, true, hostReader);
  return document;
}

namespace {

const XmlDocumentState& stateOf(const XmlDocument& document) {
  const std::shared_ptr<XmlDocumentState>& state = XmlHandleAccess::state(document);
  if (!state) throw ComError(E_POINTER_RESULT, L"The document handle is empty");
  return *state;
}

// Room for the document as it was read and for what was added since, so
// that the text is built without growing the string.
size_t expectedTextSize(const XmlDocumentState& state) {
  const size_t read = state.loadedAsSubset() ? state.original.size() : state.buffer.size();
  return read + read / 32 + 4096;
}

}  // namespace

std::string vxmlToUtf8(const XmlDocument& document) {
  const XmlDocumentState& state = stateOf(document);
  std::string text;
  text.reserve(expectedTextSize(state));
  printXmlDocument(state, text);
  return text;
}

namespace {

// A UTF-8 document is written as held, in pieces as they are printed, so
// that the text is never held whole beside the document. Like
// replaceFileAtomically, the temporary file is private to its owner until
// it is complete.
void saveInPieces(const Context& context, const XmlDocumentState& state, const std::wstring& path) {
  FileReplacement replacement(context, path);
  FileSystem& fs = *context.files;
  uint32_t error = fs.writeFile(replacement.temporary(), "", FileDisposition::CreateAlways, false);
  if (!error) error = fs.setPermissions(replacement.temporary(), FilePermissions{0600, L""});
  File file;
  if (!error) error = file.open(replacement.temporary(), FILE_ACCESS_WRITE, 0, FileDisposition::TruncateExisting);
  const auto write = [&](std::string_view piece) {
    while (!error && !piece.empty()) {
      uint32_t written = 0;
      error = file.write(piece.data(), static_cast<uint32_t>(std::min<size_t>(piece.size(), 1u << 30)), written);
      if (!error && written == 0) error = ERROR_WRITE_FAULT;
      piece.remove_prefix(written);
    }
  };
  std::string text = state.encoding.byteOrderMark ? "\xEF\xBB\xBF" : "";
  text.reserve(2 * kXmlPrintPiece);
  printXmlDocument(state, text, write);
  write(text);
  if (!error) error = file.flush();
  if (const uint32_t closed = file.close(); !error) error = closed;
  if (error) throw vexception(L"The document could not be written");
  replacement.putInPlace(nullptr, FileReplacement::Placing::Replace);
}

}  // namespace

void vxmlSave(const Context& context, const XmlDocument& document, const std::wstring& path) {
  try {
    const XmlDocumentState& state = stateOf(document);
    if (state.encoding.kind == XmlFileEncoding::Kind::Utf8) return saveInPieces(context, state, path);
    std::string bytes;
    if (!encodeXmlFile(vxmlToUtf8(document), state.encoding, bytes)) {
      throw vexception(L"The document holds characters its encoding cannot represent");
    }
    replaceFileAtomically(context, path, bytes);
  } catch (...) {
    // The reason (disk full, access denied, ...) is not part of the message:
    // callers and the log see the one failure text of a save.
    throw vexception(L"Failed to save " + path, vcallpoint{L"", "vxmlSave", kSaveLine});
  }
}

bool vxmlIsNodeOfType(const XmlNode& node, XmlNodeType type, std::wstring_view tagName) {
  try {
    if (node.empty() || node.nodeType() != type) return false;
    if (tagName.empty()) return true;
    // Elements are walked by the thousand: an ASCII name is compared where
    // the document holds it, without a wide copy.
    if (type == NODE_ELEMENT) return tagNameIs(XmlHandleAccess::pugiNode(node).name(), tagName);
    return equalsIgnoreCase(node.nodeName(), tagName);
  } catch (const ComError&) {
    return false;
  }
}

std::wstring vxmlGetNodeValue(const XmlNode& node, const std::wstring& defaultValue) {
  if (node.empty()) return defaultValue;
  try {
    return node.nodeValue().value_or(defaultValue);
  } catch (const ComError&) {
    return defaultValue;
  }
}

std::wstring vxmlGetAttribute(const XmlNode& node, const std::wstring& name, const std::wstring& defaultValue) {
  if (node.empty()) throw ComError(E_POINTER_RESULT, L"The node handle is empty");
  try {
    XmlAttributeMap attributes = node.attributes();
    if (attributes.empty()) return defaultValue;
    return vxmlGetNodeValue(attributes.getNamedItem(name), defaultValue);
  } catch (const ComError&) {
    return defaultValue;
  }
}

void vxmlSetAttribute(const XmlElement& element, const std::wstring& name, const std::wstring& value) {
  element.setAttribute(name, value);
}

void vxmlSetExistingAttribute(const XmlNode& node, const std::wstring& name, const std::wstring& value) {
  XmlAttributeMap attributes = node.attributes();
  XmlNode attribute = attributes.empty() ? XmlNode() : attributes.getNamedItem(name);
  if (attribute.empty()) {
    throw ComError(E_FAIL_RESULT,
                   vaformat(L"The attribute '%s' does not exist on the element '%s'", name, node.nodeName()));
  }
  attribute.setNodeValue(value);
}

namespace {

bool isAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

// Engines hold thousands of hosts, so the search compares the UTF-8 the
// document holds wherever that gives the same answer as comparing the wide
// strings, and converts only where it may not.
class ChildElementMatcher {
 public:
  ChildElementMatcher(std::wstring_view tagName, std::wstring_view nameValue)
      : tagName_(tagName), nameValue_(nameValue), tagUtf8_(wideToUtf8(tagName)), nameUtf8_(wideToUtf8(nameValue)) {
    fast_ = tagUtf8_ && nameUtf8_ && isAscii(*tagUtf8_);
  }

  bool matches(const XmlNode& child) const {
    if (!fast_)
      return vxmlIsNodeOfType(child, NODE_ELEMENT, tagName_) && vxmlGetAttribute(child, L"name", L"") == nameValue_;
    pugi::xml_node node = XmlHandleAccess::pugiNode(child);
    if (XmlHandleAccess::pugiAttribute(child) || node.type() != pugi::node_element) return false;
    if (!tagName_.empty()) {
      const char* name = node.name();
      // Other letters may equal ASCII ones ignoring case (the Kelvin sign and 'k').
      if (!isAscii(name) ? !equalsIgnoreCase(fromXmlUtf8(name), tagName_) : !equalsIgnoringAsciiCase(name, *tagUtf8_)) {
        return false;
      }
    }
    const char* spelled = node.attribute("name").value();  // "" when missing
    // A value without references, tabs or line breaks reads as it is spelled.
    if (spelled[std::strcspn(spelled, "&\t\r\n")] == '\0') return *nameUtf8_ == spelled;
    return decodeXmlValue(spelled, XmlValueKind::Attribute) == nameValue_;
  }

 private:
  std::wstring_view tagName_;
  std::wstring_view nameValue_;
  std::optional<std::string> tagUtf8_;
  std::optional<std::string> nameUtf8_;
  bool fast_ = false;
};

}  // namespace

XmlElement vxmlFindChildElement(const XmlNodeList& children, std::wstring_view tagName, std::wstring_view nameValue) {
  const ChildElementMatcher matcher(tagName, nameValue);
  const int32_t length = children.length();
  for (int32_t i = 0; i < length; ++i) {
    XmlNode child = children.item(i);
    if (matcher.matches(child)) return XmlElement(child);
  }
  return XmlElement();
}

}  // namespace wc
