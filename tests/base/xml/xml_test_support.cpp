#include "xml_test_support.h"

#include <gtest/gtest.h>

#include "base/errors/com_error.h"
#include "support/failures.h"
#include "support/test_context.h"

namespace wc {

using testing_support::context;

namespace xml_test {

using testing_support::w;

std::string stockServerXml() {
  return testing_support::readFile(std::string(WC_SOURCE_DIR) + "/tests/base/xml/data/server.xml");
}

const testing_support::TempDir& scratch() {
  static const testing_support::TempDir dir;
  return dir;
}

XmlDocument loadText(const std::string& content, const std::string& name) {
  const testing_support::TempDir& dir = scratch();
  testing_support::writeFile(dir / name, content);
  XmlDocument document;
  vxmlLoad(document, w(dir / name), true, false);
  return document;
}

XmlDocument loadUnchanged(const std::string& content) {
  XmlDocument document = loadText(content);
  EXPECT_EQ(saveText(document, "unchanged.xml"), content);
  return document;
}

std::wstring loadFailureReason(const std::string& content) {
  const testing_support::TempDir& dir = scratch();
  testing_support::writeFile(dir / "bad.xml", content);
  const std::wstring message = testing_support::failureOf([&] {
                                 XmlDocument document;
                                 vxmlLoad(document, w(dir / "bad.xml"), true, false);
                               }).message();
  const std::wstring suffix = L" at load " + w(dir / "bad.xml");
  EXPECT_TRUE(message.ends_with(suffix)) << wideToUtf8Lenient(message);
  return message.substr(0, message.size() - std::min(message.size(), suffix.size()));
}

std::string saveText(const XmlDocument& document, const std::string& name) {
  const testing_support::TempDir& dir = scratch();
  vxmlSave(context, document, w(dir / name));
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

uint32_t comErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const ComError& e) {
    return e.hresult();
  }
  return 0;
}

}  // namespace xml_test

}  // namespace wc
