// Loading works on the text in place: start tags are written back from the
// parsed text, and error positions are counted in it. These cases cover the
// spellings a start tag can have, the line and column of failures after the
// parser has written into the text, every position of a bad byte within the
// eight-byte steps of the character check, and deep documents.

#include <gtest/gtest.h>

#include <string>

#include "xml_test_support.h"

namespace wc {

using namespace testing_support;
using namespace xml_test;

TEST(XmlParsedStartTags, EverySpellingComesBackUnchanged) {
  const std::string original =
      "<R>\n"
      "<a\n  x=\"1\"/>\n"
      "<b\tx='2'>t</b>\n"
      "<c\r\n x = \"3\"\t/>\n"
      "<d x\n=\n'4' y=\"\" z=''/>\n"
      "<e/><f /><g\n/><h\t/>\n"
      "<i>>text</i><j >x</j><k\n>y</k><l\t>z</l>\n"
      "<n><o/></n><q \r a\r=''  >v</q>\n"
      "<h\xC3\xB4te\n a=\"\xC3\xA9\">\xE6\x97\xA5</h\xC3\xB4te><h\xC3\xB4te/>\n"
      "<p a=\"&amp;&lt;&#10;\" b='say \"hi\"'/>\n"
      "</R>\n";
  XmlDocument document = loadUnchanged(original);
  EXPECT_EQ(vxmlGetAttribute(childElement(document.documentElement(), L"d"), L"x", L""), L"4");
  EXPECT_EQ(vxmlGetAttribute(childElement(document.documentElement(), L"h\u00f4te"), L"a", L""), L"\u00e9");
}

TEST(XmlParsedStartTags, EmptyElementsKeepTheirFormAndTheirSpelling) {
  const std::string original = "<R><a></a><b ></b><c\n x='1'\n></c><d\n/><e x='2' /></R>";
  XmlDocument document = loadUnchanged(original);
  // One that loses its children keeps its end tag; a new one closes itself.
  XmlElement root = document.documentElement();
  root.appendChild(document.createElement(L"f"));
  XmlElement a = childElement(root, L"a");
  a.appendChild(document.createTextNode(L"t"));
  a.removeChild(a.firstChild());
  EXPECT_EQ(saveText(document), "<R><a></a><b ></b><c\n x='1'\n></c><d\n/><e x='2' /><f/></R>");
}

TEST(XmlParsedStartTags, OnlyTheChangedTagIsSpelledAnewAndARevertedOneKeepsItsSpelling) {
  const std::string original =
      "<Engine>\n"
      "  <Host\n      name='a.test'   appBase=\"long-value\"/>\n"
      "  <Host\n      name='b \"q\" &apos;'   appBase=\"long-value\"/>\n"
      "</Engine>\n";
  XmlDocument document = loadText(original);
  XmlElement a = childElement(document.documentElement(), L"Host", 0);
  XmlElement b = childElement(document.documentElement(), L"Host", 1);

  // The same value again changes nothing.
  vxmlSetAttribute(a, L"name", L"a.test");
  EXPECT_EQ(saveText(document), original);

  // A shorter value, then the old one: the parser's text was written over in
  // between, yet the old spelling comes back.
  vxmlSetExistingAttribute(a, L"appBase", L"s");
  EXPECT_EQ(saveText(document),
            "<Engine>\n"
            "  <Host name=\"a.test\" appBase=\"s\"/>\n"
            "  <Host\n      name='b \"q\" &apos;'   appBase=\"long-value\"/>\n"
            "</Engine>\n");
  vxmlSetExistingAttribute(a, L"appBase", L"long-value");
  EXPECT_EQ(saveText(document), original);

  // A new attribute re-spells the tag, quotes in values as references; the
  // neighbour keeps its spelling.
  vxmlSetAttribute(b, L"unpackWARs", L"true");
  EXPECT_EQ(saveText(document),
            "<Engine>\n"
            "  <Host\n      name='a.test'   appBase=\"long-value\"/>\n"
            "  <Host name=\"b &quot;q&quot; &apos;\" appBase=\"long-value\" unpackWARs=\"true\"/>\n"
            "</Engine>\n");
  XmlDocument reloaded = loadText(saveText(document), "reloaded.xml");
  EXPECT_EQ(vxmlGetAttribute(childElement(reloaded.documentElement(), L"Host", 1), L"name", L""), L"b \"q\" '");
}

TEST(XmlLoadPositions, AreCountedInTheTextAsTheFileHasItAndBadBytesAreFoundAtEveryPositionOfTheEightByteSteps) {
  // Names that end in a line break, before the failure: the parser wrote
  // over those line breaks, and they still count.
  EXPECT_EQ(loadFailureReason("<a\n b='1'>\n<c\n/>\n<d\nx='1' x='2'/></a>"),
            L"The attribute 'x' appears twice in one element (line 5, column 1)");
  EXPECT_EQ(loadFailureReason("<a\n>\n<b\n>\n</c>"), L"Start-end tags mismatch (line 5, column 3)");
  EXPECT_EQ(loadFailureReason("<a\r\n>\r\n<b\r\n>\r\n</c>"), L"Start-end tags mismatch (line 5, column 3)");
  EXPECT_EQ(loadFailureReason("<a\n>\n<b\n x='1'\n y='&bad'/></a>"),
            L"An '&' does not start a complete entity or character reference (line 5, column 5)");
  EXPECT_EQ(loadFailureReason("<a\n/>\n<!-- x -->\n<b\n/>"),
            L"The document has more than one document element (line 4, column 1)");
  EXPECT_EQ(loadFailureReason("<a\n/>text<![CDATA[]]>"),
            L"Text is not allowed outside the document element (line 2, column 3)");
  EXPECT_EQ(loadFailureReason("<a/>\n<![CDATA[]]>"),
            L"A CDATA section is not allowed outside the document element (line 2, column 1)");
  EXPECT_EQ(loadFailureReason("<a\n/>\n <?xml version=\"1.0\"?>"),
            L"The XML declaration is allowed only at the very start of the document (line 3, column 2)");
  EXPECT_EQ(loadFailureReason("<a\t/>\n\n<!DOCTYPE a>"),
            L"The document type declaration must come before the document element (line 3, column 1)");

  for (size_t lead = 0; lead < 20; ++lead) {
    const std::string padding(lead, 'x');
    const std::wstring column = std::to_wstring(lead + 4);
    // Plain ASCII in front, so that the bad byte is found by the fast path.
    EXPECT_EQ(loadFailureReason("<a>" + padding + "\x01" + "</a>"),
              L"The character U+0001 is not allowed in XML (line 1, column " + column + L")");
    EXPECT_EQ(loadFailureReason("<a>" + padding + "\xC3\x28</a>"),
              L"The text is not valid UTF-8 (line 1, column " + column + L")");
    EXPECT_EQ(loadFailureReason("<a>" + padding + "\xEF\xBF\xBE</a>"),
              L"The character U+FFFE is not allowed in XML (line 1, column " + column + L")");
    // Characters that are fine around it do not hide it.
    EXPECT_EQ(loadFailureReason("<a>\xC3\xA9\t/>" + padding + "\x1F</a>"),
              L"The character U+001F is not allowed in XML (line 1, column " + std::to_wstring(lead + 8) + L")");
  }
  // The text ends in the middle of a sequence.
  EXPECT_EQ(loadFailureReason("<a/>\n\xE6\x97"), L"The text is not valid UTF-8 (line 2, column 1)");
}

TEST(XmlLargeDocuments, DeepNestingLoadsAndSaves) {
  const int depth = 100000;
  std::string original;
  for (int i = 0; i < depth; ++i) original += "<d>";
  original += "x";
  for (int i = 0; i < depth; ++i) original += "</d>";
  XmlDocument document = loadUnchanged(original);
}

}  // namespace wc
