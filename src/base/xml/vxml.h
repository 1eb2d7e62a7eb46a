#pragma once
// The document layer the Tomcat operations use: load and save whole files and
// a handful of helpers that read, find and change nodes. Everything else goes
// through the DOM handles of xml_dom.h.
//
// Failures: vxmlLoad and vxmlSave throw vexception with their own texts; the
// other helpers let DOM failures through as ComError, except the three that
// absorb them (vxmlIsNodeOfType, vxmlGetNodeValue, vxmlGetAttribute).

#include <cstddef>
#include <string>
#include <string_view>

#include "base/system/context.h"
#include "base/xml/xml_dom.h"

namespace wc {

// Told by a load that reads the text in one pass what stands in each Host on
// the fourth level of the document (where an Engine's Hosts are), its start
// tag included, in the order and the spelling of the text (references not
// expanded; decodeXmlValue gives the values): a reader of thousands of Hosts
// needs no elements made for them. A load may tell of no Host, or stop within
// one: those told of to their end tag are as the document holds them.
class XmlHostReader {
 public:
  virtual ~XmlHostReader() = default;
  // `offset`: where the '<' stands, as vxmlSourceOffset gives it.
  virtual void startTag(size_t offset, std::string_view name) = 0;
  virtual void attribute(std::string_view name, std::string_view spelled) = 0;  // of the last start tag
  virtual void endTag() = 0;                                                    // also after an empty-element tag
  virtual void text(std::string_view spelled) = 0;
  virtual void comment(std::string_view text) = 0;
};

// Loads the file into a new document and stores it in `document` (which is
// left as it was when loading fails). The document must be well-formed; there
// is no validation against a DTD, and nothing external (DTD, entity) is ever
// loaded, whatever the flags say: both are recorded in the document only.
// Failure: vexception "<reason> at load <path>", call point ("", "vxmlLoad",
// 40), where the reason is the file error text or the parser's reason with
// the line and column.
// `hostReader`, when given, is told of the Hosts as above.
XmlDocument& vxmlLoad(XmlDocument& document, const std::wstring& path, bool validateOnParse, bool resolveExternals,
                      XmlHostReader* hostReader = nullptr);

// Writes the whole document to the path, replacing the file atomically: the
// old file stays intact when the save fails. The document is written in the
// encoding it was loaded in and as it is held: no declaration or indentation
// is added. Everything the file held comes back byte for byte (comments,
// whitespace, references, line breaks, even the layout of start tags); only
// start tags whose name or attributes changed are spelled anew, on one line
// with double quotes, and an element that lost its children is written as an
// empty-element tag. Failure: vexception "Failed to save <path>", call point ("",
// "vxmlSave", 48).
void vxmlSave(const Context& context, const XmlDocument& document, const std::wstring& path);

// The line (from 1) of the loaded file on which the element's start tag
// begins, as a line feed ends a line; 0 for an element that was not read from
// the file (created, or renamed since). Logarithmic in the file's lines after
// one pass over the text.
size_t vxmlSourceLine(const XmlElement& element);
// Where its start tag's '<' stands in the loaded text, as UTF-8 without a byte
// order mark; SIZE_MAX where vxmlSourceLine gives 0.
size_t vxmlSourceOffset(const XmlElement& element);

// The document as it would be saved, as UTF-8.
std::string vxmlToUtf8(const XmlDocument& document);

// True when the node is not empty, has the type, and the tag name is empty or
// equals the node's name ignoring letter case. DOM failures give false.
bool vxmlIsNodeOfType(const XmlNode& node, XmlNodeType type, std::wstring_view tagName);

// The node's value; `defaultValue` for an empty node, a node without value,
// or a DOM failure.
std::wstring vxmlGetNodeValue(const XmlNode& node, const std::wstring& defaultValue);

// The attribute's value, or `defaultValue` when the node has no such attribute
// (names are exact). The node must not be empty (ComError E_POINTER).
std::wstring vxmlGetAttribute(const XmlNode& node, const std::wstring& name, const std::wstring& defaultValue);

// Creates the attribute or replaces its value.
void vxmlSetAttribute(const XmlElement& element, const std::wstring& name, const std::wstring& value);

// Replaces the value of an attribute that exists; a missing attribute is a
// DOM failure (ComError E_FAIL).
void vxmlSetExistingAttribute(const XmlNode& node, const std::wstring& name, const std::wstring& value);

// The first element of the list, in order, whose tag equals `tagName` ignoring
// letter case (any tag when empty) and whose "name" attribute equals
// `nameValue` exactly (a missing "name" counts as empty). Only the list is
// searched, not the children of its entries. Empty when none matches.
XmlElement vxmlFindChildElement(const XmlNodeList& children, std::wstring_view tagName, std::wstring_view nameValue);

}  // namespace wc
