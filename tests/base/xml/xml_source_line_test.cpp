// The line of the loaded file on which an element's start tag begins.

#include <gtest/gtest.h>

#include "xml_test_support.h"

namespace wc {

using namespace xml_test;

TEST(XmlSourceLine, FirstLineOfTheStartTagWhateverTheParserOverwrote) {
  // A line feed or CR LF right after a name is overwritten by the parser; a
  // comment and an attribute value span lines.
  XmlDocument document = loadText(
      "<?xml version=\"1.0\"?>\r\n<Server\r\n port=\"-1\">\r\n<!-- a\nb -->\n  <Service name=\"a\nb\"/><Engine\n"
      "name=\"HCP\"><Host\n/>\n</Engine></Server>\n");
  XmlElement server = document.documentElement();
  XmlElement engine = childElement(server, L"Engine");
  EXPECT_EQ(vxmlSourceLine(server), 2u);
  EXPECT_EQ(vxmlSourceLine(childElement(server, L"Service")), 6u);
  EXPECT_EQ(vxmlSourceLine(engine), 7u);
  EXPECT_EQ(vxmlSourceLine(childElement(engine, L"Host")), 8u);
  // What the file did not hold has no line.
  XmlElement added = document.createElement(L"Host");
  engine.appendChild(added);
  EXPECT_EQ(vxmlSourceLine(added), 0u);
}

}  // namespace wc
