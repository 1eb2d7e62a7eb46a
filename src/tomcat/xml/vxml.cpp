#include "tomcat/xml/vxml.h"

#include <sstream>

#include "base/errors/com_error.h"
#include "base/errors/os_error.h"
#include "base/errors/win_error_codes.h"
#include "base/files/atomic_write.h"
#include "base/files/file.h"
#include "base/text/strings.h"
#include "base/text/vaformat.h"
#include "tomcat/xml/xml_document_state.h"
#include "tomcat/xml/xml_file_encoding.h"
#include "tomcat/xml/xml_parser.h"

namespace {

constexpr uint32_t kLoadLine = 40;
constexpr uint32_t kSaveLine = 48;

[[noreturn]] void failLoad(const std::wstring& reason, const std::wstring& path) {
  throw vexception(reason + L" at load " + path, vcallpoint{L"", "vxmlLoad", kLoadLine});
}

std::wstring fileErrorText(uint32_t code) {
  return systemMessageText(code).value_or(vaformat(L"Unknown error (Error code %lu)", code));
}

std::string readWholeFile(const std::wstring& path) {
  File file;
  if (uint32_t code = file.open(path, FILE_ACCESS_READ, FILE_SHARE_READ_ACCESS, FileDisposition::OpenExisting)) {
    failLoad(fileErrorText(code), path);
  }
  std::string bytes;
  char chunk[65536];
  for (;;) {
    uint32_t transferred = 0;
    if (uint32_t code = file.read(chunk, sizeof chunk, transferred)) failLoad(fileErrorText(code), path);
    if (transferred == 0) break;
    bytes.append(chunk, transferred);
  }
  return bytes;
}

}  // namespace

XmlDocument& vxmlLoad(XmlDocument& document, const std::wstring& path, bool validateOnParse, bool resolveExternals) {
  std::shared_ptr<XmlDocumentState> state = XmlHandleAccess::state(XmlDocument::create());
  state->validateOnParse = validateOnParse;
  state->resolveExternals = resolveExternals;

  std::string bytes = readWholeFile(path);
  DecodedXmlFile decoded;
  if (std::wstring reason = decodeXmlFile(bytes, decoded); !reason.empty()) failLoad(reason, path);
  state->encoding = decoded.encoding;
  if (std::wstring reason = parseXmlText(std::move(decoded.utf8), *state); !reason.empty()) failLoad(reason, path);

  document = XmlHandleAccess::document(std::move(state));
  return document;
}

namespace {

// Values are held as they are spelled, so nothing is escaped on the way out.
constexpr unsigned kPrintFormat = pugi::format_raw | pugi::format_no_escapes | pugi::format_no_declaration;

void printNode(const XmlDocumentState& state, pugi::xml_node node, std::ostringstream& out) {
  if (node.type() != pugi::node_element) {
    node.print(out, "", kPrintFormat, pugi::encoding_utf8, 0);
    return;
  }
  auto spelled = state.spelledStartTags.find(node.internal_object());
  if (spelled != state.spelledStartTags.end() && spelled->second.fingerprint == startTagFingerprint(node)) {
    out << spelled->second.head;
  } else {
    out << '<' << node.name();
    for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
      out << ' ' << a.name() << "=\"" << a.value() << '"';
    }
  }
  if (!node.first_child()) {
    out << "/>";
    return;
  }
  out << '>';
  for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) printNode(state, child, out);
  out << "</" << node.name() << '>';
}

}  // namespace

std::string vxmlToUtf8(const XmlDocument& document) {
  const std::shared_ptr<XmlDocumentState>& state = XmlHandleAccess::state(document);
  if (!state) throw ComError(E_POINTER_RESULT, L"The document handle is empty");
  std::ostringstream out;
  for (pugi::xml_node n = state->doc.first_child(); n; n = n.next_sibling()) {
    if (n != state->holder) printNode(*state, n, out);
  }
  return out.str();
}

void vxmlSave(const XmlDocument& document, const std::wstring& path) {
  try {
    std::string bytes;
    if (!encodeXmlFile(vxmlToUtf8(document), XmlHandleAccess::state(document)->encoding, bytes)) {
      throw vexception(L"The document holds characters its encoding cannot represent");
    }
    replaceFileAtomically(path, bytes);
  } catch (...) {
    // The reason (disk full, access denied, ...) is not part of the message:
    // callers and the log see the one failure text of a save.
    throw vexception(L"Failed to save " + path, vcallpoint{L"", "vxmlSave", kSaveLine});
  }
}

bool vxmlIsNodeOfType(const XmlNode& node, XmlNodeType type, std::wstring_view tagName) {
  try {
    return !node.empty() && node.nodeType() == type && (tagName.empty() || equalsIgnoreCase(node.nodeName(), tagName));
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
    throw ComError(E_FAIL_RESULT, vaformat(L"The attribute '%s' does not exist on the element '%s'", name,
                                           node.nodeName()));
  }
  attribute.setNodeValue(value);
}

XmlElement vxmlFindChildElement(const XmlNodeList& children, std::wstring_view tagName, std::wstring_view nameValue) {
  const int32_t length = children.length();
  for (int32_t i = 0; i < length; ++i) {
    XmlNode child = children.item(i);
    if (!vxmlIsNodeOfType(child, NODE_ELEMENT, tagName)) continue;
    if (vxmlGetAttribute(child, L"name", L"") == nameValue) return XmlElement(child);
  }
  return XmlElement();
}
