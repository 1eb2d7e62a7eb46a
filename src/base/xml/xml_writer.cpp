#include "base/xml/xml_writer.h"

#include "base/errors/vexception.h"
#include "base/files/atomic_write.h"
#include "base/text/strings.h"
#include "base/text/unicode.h"
#include "base/text/vaformat.h"
#include "base/xml/xml_chars.h"
#include "base/xml/xml_text_codec.h"

namespace wc {

XmlWriter::XmlWriter(const std::wstring& encoding) {
  if (!equalsIgnoreCase(encoding, L"UTF-8")) {
    throw vexception(vaformat(L"The XML writer does not support the encoding '%s'", encoding),
                     VCALLPOINT(L"", "XmlWriter::XmlWriter"));
  }
}

XmlWriter::~XmlWriter() = default;

void XmlWriter::fail(const std::wstring& what, const char* function) const {
  throw vexception(vaformat(L"Unable to write XML file '%s': %s", path_, what), VCALLPOINT(L"", function));
}

void XmlWriter::requireState(State expected, const char* function) const {
  if (state_ == expected) return;
  const wchar_t* what = L"";
  switch (state_) {
    case State::Created:
      what = L"the writer is not opened";
      break;
    case State::Opened:
      what = expected == State::Created ? L"the writer is opened already" : L"startDocument was not called";
      break;
    case State::Started:
      what = expected == State::Opened ? L"startDocument was called already" : L"the writer is opened already";
      break;
    case State::Ended:
      what = L"endDocument was called already";
      break;
  }
  fail(what, function);
}

void XmlWriter::requireName(const std::wstring& name, const char* function) const {
  if (!isValidXmlName(name)) fail(vaformat(L"'%s' is not a valid XML name", name), function);
}

void XmlWriter::open(const Context& context, const std::wstring& path, const FilePermissions* permissions) {
  if (path.empty()) fail(L"no file name was given", "XmlWriter::open");
  requireState(State::Created, "XmlWriter::open");
  context_ = context;
  path_ = path;
  if (permissions) permissions_ = *permissions;
  state_ = State::Opened;
}

void XmlWriter::startDocument() {
  requireState(State::Opened, "XmlWriter::startDocument");
  text_ = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
  state_ = State::Started;
}

void XmlWriter::addAttribute(const std::wstring& name, const std::wstring& value) {
  requireState(State::Started, "XmlWriter::addAttribute");
  requireName(name, "XmlWriter::addAttribute");
  if (!isValidXmlText(value)) {
    fail(vaformat(L"the value of attribute '%s' holds a character XML cannot hold", name), "XmlWriter::addAttribute");
  }
  for (const auto& attribute : attributes_) {
    if (attribute.first == name) fail(vaformat(L"the attribute '%s' was added twice", name), "XmlWriter::addAttribute");
  }
  attributes_.emplace_back(name, value);
}

void XmlWriter::clearAttributes() { attributes_.clear(); }

void XmlWriter::closePendingStartTag() {
  if (startTagOpen_) text_ += '>';
  startTagOpen_ = false;
}

void XmlWriter::newLine(size_t depth) {
  text_ += '\n';
  text_.append(depth * 2, ' ');
}

void XmlWriter::startElement(const std::wstring& name) {
  requireState(State::Started, "XmlWriter::startElement");
  requireName(name, "XmlWriter::startElement");
  if (openElements_.empty() && rootWritten_) {
    fail(vaformat(L"a second document element '%s' cannot be written", name), "XmlWriter::startElement");
  }
  closePendingStartTag();
  newLine(openElements_.size());
  text_ += '<' + wideToUtf8Lenient(name);
  for (const auto& [attributeName, value] : attributes_) {
    text_ += ' ' + wideToUtf8Lenient(attributeName) + "=\"" + encodeXmlValue(value, XmlValueKind::Attribute) + '"';
  }
  attributes_.clear();
  openElements_.push_back(name);
  startTagOpen_ = true;
  rootWritten_ = true;
}

void XmlWriter::endElement(const std::wstring& name) {
  requireState(State::Started, "XmlWriter::endElement");
  if (openElements_.empty()) fail(vaformat(L"end of element '%s' without a start", name), "XmlWriter::endElement");
  if (openElements_.back() != name) {
    fail(vaformat(L"end of element '%s' while element '%s' is open", name, openElements_.back()),
         "XmlWriter::endElement");
  }
  openElements_.pop_back();
  if (startTagOpen_) {
    text_ += "/>";
    startTagOpen_ = false;
  } else {
    newLine(openElements_.size());
    text_ += "</" + wideToUtf8Lenient(name) + '>';
  }
}

void XmlWriter::endDocument() {
  requireState(State::Started, "XmlWriter::endDocument");
  if (!openElements_.empty()) {
    fail(vaformat(L"element '%s' is not closed", openElements_.back()), "XmlWriter::endDocument");
  }
  if (!rootWritten_) fail(L"the document has no element", "XmlWriter::endDocument");
  text_ += '\n';
  try {
    replaceFileAtomically(context_, path_, text_, permissions_ ? &*permissions_ : nullptr);
  } catch (vexception& e) {
    e.addCallPoint(VCALLPOINT(L"", "XmlWriter::endDocument"));
    throw;
  }
  state_ = State::Ended;
}

}  // namespace wc
