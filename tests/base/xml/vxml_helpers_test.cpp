// The finder and attribute helpers that the Tomcat operations are built on.

#include <gtest/gtest.h>

#include "base/errors/com_error.h"
#include "base/errors/win_error_codes.h"
#include "support/failures.h"
#include "support/under_wine.h"
#include "xml_test_support.h"

using namespace testing_support;
using namespace xml_test;

namespace {

const char* const kServer =
    "<Server port=\"8005\">\n"
    "  <Service name=\"hcp\"><Engine name=\"wrong-service\"/></Service>\n"
    "  <service name=\"HCP\">\n"
    "    <Engine name=\"HCP\">\n"
    "      <Host appBase=\"nameless\"/>\n"
    "      <Host name=\"a.test\" appBase=\"first\"><Host name=\"nested.test\"/></Host>\n"
    "      <host name=\"a.test\" appBase=\"second\"/>\n"
    "      <Host name=\"A.TEST\" appBase=\"upper\"/>\n"
    "      <Realm className=\"one\"/>\n"
    "    </Engine>\n"
    "  </service>\n"
    "</Server>\n";

class XmlHelpers : public ::testing::Test {
 protected:
  XmlElement engine() {
    XmlElement service = vxmlFindChildElement(document.documentElement().childNodes(), L"Service", L"HCP");
    return vxmlFindChildElement(service.childNodes(), L"Engine", L"HCP");
  }
  XmlDocument document = loadText(kServer);
};

}  // namespace

TEST_F(XmlHelpers, TagNamesIgnoreCaseNameValuesDoNot) {
  XmlElement service = vxmlFindChildElement(document.documentElement().childNodes(), L"Service", L"HCP");
  ASSERT_FALSE(service.empty());
  EXPECT_EQ(service.tagName(), L"service");  // the element named "hcp" is skipped

  XmlElement host = vxmlFindChildElement(engine().childNodes(), L"HOST", L"a.test");
  EXPECT_EQ(vxmlGetAttribute(host, L"appBase", L""), L"first");  // first in document order
  EXPECT_EQ(vxmlGetAttribute(vxmlFindChildElement(engine().childNodes(), L"Host", L"A.TEST"), L"appBase", L""),
            L"upper");
  EXPECT_TRUE(vxmlFindChildElement(engine().childNodes(), L"Host", L"b.test").empty());
}

TEST_F(XmlHelpers, OnlyTheGivenListIsSearchedAndANamelessElementOnlyForTheEmptyName) {
  EXPECT_EQ(vxmlGetAttribute(vxmlFindChildElement(engine().childNodes(), L"Host", L""), L"appBase", L""), L"nameless");
  EXPECT_TRUE(vxmlFindChildElement(engine().childNodes(), L"Host", L"nameless").empty());
  EXPECT_TRUE(vxmlFindChildElement(engine().childNodes(), L"Host", L"nested.test").empty());
  EXPECT_TRUE(vxmlFindChildElement(document.childNodes(), L"Engine", L"HCP").empty());
  // An empty tag accepts any element.
  EXPECT_EQ(vxmlFindChildElement(engine().childNodes(), L"", L"a.test").tagName(), L"Host");
}

TEST_F(XmlHelpers, IsNodeOfTypeChecksTypeAndTagIgnoringCase) {
  XmlNode realm = childElement(engine(), L"Realm");
  EXPECT_TRUE(vxmlIsNodeOfType(realm, NODE_ELEMENT, L"realm"));
  EXPECT_TRUE(vxmlIsNodeOfType(realm, NODE_ELEMENT, L""));
  EXPECT_FALSE(vxmlIsNodeOfType(realm, NODE_TEXT, L""));
  EXPECT_FALSE(vxmlIsNodeOfType(realm, NODE_ELEMENT, L"Realms"));
  EXPECT_FALSE(vxmlIsNodeOfType(XmlNode(), NODE_ELEMENT, L""));
}

TEST_F(XmlHelpers, GetNodeValueAndGetAttributeFallBackToTheDefault) {
  XmlElement root = document.documentElement();
  EXPECT_EQ(vxmlGetNodeValue(root, L"dflt"), L"dflt");       // an element has no value
  EXPECT_EQ(vxmlGetNodeValue(XmlNode(), L"dflt"), L"dflt");  // nor has an empty handle
  EXPECT_EQ(vxmlGetAttribute(root, L"port", L"dflt"), L"8005");
  EXPECT_EQ(vxmlGetAttribute(root, L"Port", L"dflt"), L"dflt");  // attribute names are exact
  XmlDocument text = loadText("<a>t</a>", "text.xml");
  EXPECT_EQ(vxmlGetAttribute(text.documentElement().firstChild(), L"x", L"dflt"), L"dflt");
  EXPECT_EQ(comErrorOf([] { vxmlGetAttribute(XmlNode(), L"name", L""); }), E_POINTER_RESULT);
}

TEST_F(XmlHelpers, SetAttributeReplacesInPlaceOrAppendsLastAndSetExistingFailsForAMissingOne) {
  XmlElement root = document.documentElement();
  vxmlSetAttribute(root, L"port", L"-1");
  vxmlSetAttribute(root, L"shutdown", L"SHUTDOWN");
  const std::string saved = saveText(document);
  EXPECT_EQ(saved.substr(0, saved.find('>') + 1), "<Server port=\"-1\" shutdown=\"SHUTDOWN\">");

  XmlElement nameless = vxmlFindChildElement(engine().childNodes(), L"Host", L"");
  vxmlSetExistingAttribute(nameless, L"appBase", L"moved");
  EXPECT_EQ(vxmlGetAttribute(nameless, L"appBase", L""), L"moved");
  const ComError e = failureOf<ComError>([&] { vxmlSetExistingAttribute(nameless, L"name", L"x.test"); });
  EXPECT_EQ(e.hresult(), E_FAIL_RESULT);
  EXPECT_EQ(e.description(), L"The attribute 'name' does not exist on the element 'Host'");
  EXPECT_EQ(vxmlGetAttribute(nameless, L"name", L"<none>"), L"<none>");
  EXPECT_EQ(comErrorOf([] { vxmlSetExistingAttribute(XmlNode(), L"name", L""); }), E_POINTER_RESULT);
  EXPECT_EQ(comErrorOf([] { vxmlSetAttribute(XmlElement(), L"name", L""); }), E_POINTER_RESULT);
}

TEST(XmlFinder, ComparesValuesAsTheyReadAndNamesIgnoringCaseBeyondAscii) {
  XmlDocument document = loadText(
      "<Engine>\n"
      "  <Host name=\"a&amp;b.test\" appBase=\"reference\"/>\n"
      "  <Host name=\"tab\tand&#10;line\" appBase=\"whitespace\"/>\n"
      "  <Host name='caf\xC3\xA9.test' appBase=\"accent\"/>\n"
      "  <Host name=\"a&amp;b.test\" appBase=\"second\"/>\n"
      "  <\xE2\x84\xAA name=\"kelvin\" appBase=\"kelvin sign\"/>\n"
      "  <K\xC3\xA9 name=\"k\" appBase=\"accented tag\"/>\n"
      "</Engine>\n");
  const XmlNodeList hosts = document.documentElement().childNodes();
  const auto appBaseOf = [](const XmlElement& e) {
    return e.empty() ? L"<none>" : vxmlGetAttribute(e, L"appBase", L"");
  };

  EXPECT_EQ(appBaseOf(vxmlFindChildElement(hosts, L"Host", L"a&b.test")), L"reference");
  EXPECT_TRUE(vxmlFindChildElement(hosts, L"Host", L"a&amp;b.test").empty());
  // A tab in a value reads as a blank; a character reference stays a line feed.
  EXPECT_EQ(appBaseOf(vxmlFindChildElement(hosts, L"Host", L"tab and\nline")), L"whitespace");
  EXPECT_TRUE(vxmlFindChildElement(hosts, L"Host", L"tab\tand\nline").empty());
  EXPECT_EQ(appBaseOf(vxmlFindChildElement(hosts, L"HOST", L"caf\u00e9.test")), L"accent");
  EXPECT_TRUE(vxmlFindChildElement(hosts, L"Host", L"CAF\u00c9.test").empty());
  // Tags beyond ASCII are compared as wide strings, ignoring case.
  EXPECT_EQ(appBaseOf(vxmlFindChildElement(hosts, L"k\u00c9", L"k")), L"accented tag");
  EXPECT_TRUE(vxmlFindChildElement(hosts, L"ke", L"k").empty());
  WC_SKIP_UNDER_WINE("LCMapStringW does not lower-case the Kelvin sign");
  EXPECT_EQ(appBaseOf(vxmlFindChildElement(hosts, L"k", L"kelvin")), L"kelvin sign");  // a capital K
}
