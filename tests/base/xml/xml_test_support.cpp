#include "xml_test_support.h"

#include <gtest/gtest.h>

#include "base/text/strings.h"
#include "base/text/unicode.h"

namespace xml_test {

std::wstring wide(const std::string& utf8) { return utf8ToWideLenient(utf8); }

std::string stockServerXml() {
  return testing_support::readFile(std::string(WC_SOURCE_DIR) + "/tests/base/xml/data/server.xml");
}

XmlDocument loadText(const testing_support::TempDir& dir, const std::string& content, const std::string& name) {
  testing_support::writeFile(dir / name, content);
  XmlDocument document;
  vxmlLoad(document, wide(dir / name), true, false);
  return document;
}

XmlDocument loadUnchanged(const testing_support::TempDir& dir, const std::string& content) {
  XmlDocument document = loadText(dir, content);
  EXPECT_EQ(saveText(dir, document, "unchanged.xml"), content);
  return document;
}

std::string saveText(const testing_support::TempDir& dir, const XmlDocument& document, const std::string& name) {
  vxmlSave(document, wide(dir / name));
  return testing_support::readFile(dir / name);
}

XmlElement childElement(const XmlNode& parent, const std::wstring& tag, int index) {
  XmlNodeList children = parent.childNodes();
  for (int32_t i = 0; i < children.length(); ++i) {
    XmlNode child = children.item(i);
    if (vxmlIsNodeOfType(child, NODE_ELEMENT, tag) && index-- == 0) return XmlElement(child);
  }
  return XmlElement();
}

}  // namespace xml_test
