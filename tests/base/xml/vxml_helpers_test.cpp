// The finder and attribute helpers that the Tomcat operations are built on.

#include <gtest/gtest.h>

#include <string_view>
#include <vector>

#include "base/errors/com_error.h"
#include "base/errors/win_error_codes.h"
#include "base/xml/xml_child_walk.h"
#include "support/failures.h"
#include "support/under_wine.h"
#include "xml_test_support.h"

namespace wc {

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
    "      <Host name=\"a&amp;b.test\" appBase=\"reference\"/><Host name=\"tab\tand&#10;line\" appBase=\"blanks\"/>\n"
    "      <Host name='caf\xC3\xA9.test' appBase=\"accent\"/><K\xC3\xA9 name=\"k\" appBase=\"accented tag\"/>\n"
    "      <\xE2\x84\xAA name=\"kelvin\" appBase=\"kelvin sign\"/>\n"
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
  // The appBase of the element that the finder gives for `tag` and `name`.
  std::wstring found(const std::wstring& tag, const std::wstring& name) {
    XmlElement e = vxmlFindChildElement(engine().childNodes(), tag, name);
    return e.empty() ? L"<none>" : vxmlGetAttribute(e, L"appBase", L"");
  }
  XmlDocument document = loadText(kServer);
};

}  // namespace

TEST_F(XmlHelpers, FinderComparesTagsIgnoringCaseAndNamesAsTheyRead) {
  const struct {
    const wchar_t* tag;
    const wchar_t* name;
    const wchar_t* appBase;
  } cases[] = {
      {L"HOST", L"a.test", L"first"},  // the first in document order
      {L"Host", L"A.TEST", L"upper"},  // name values keep their case
      {L"Host", L"b.test", L"<none>"},
      {L"Host", L"", L"nameless"},  // a nameless element only for the empty name
      {L"Host", L"nameless", L"<none>"},
      {L"Host", L"nested.test", L"<none>"},  // only the given list is searched
      {L"", L"a.test", L"first"},            // an empty tag accepts any element
      {L"Host", L"a&b.test", L"reference"},
      {L"Host", L"a&amp;b.test", L"<none>"},
      {L"Host", L"tab and\nline", L"blanks"},  // a tab reads as a blank, a reference stays a line feed
      {L"Host", L"tab\tand\nline", L"<none>"},
      {L"HOST", L"caf\u00e9.test", L"accent"},
      {L"Host", L"CAF\u00c9.test", L"<none>"},
      {L"k\u00c9", L"k", L"accented tag"},  // tags beyond ASCII ignore case too
      {L"ke", L"k", L"<none>"},
  };
  for (const auto& c : cases) EXPECT_EQ(found(c.tag, c.name), c.appBase) << c.tag << L" " << c.name;
  EXPECT_EQ(vxmlFindChildElement(document.documentElement().childNodes(), L"Service", L"HCP").tagName(),
            L"service");  // the element named "hcp" is skipped
  EXPECT_TRUE(vxmlFindChildElement(document.childNodes(), L"Engine", L"HCP").empty());
  WC_SKIP_UNDER_WINE("LCMapStringW does not lower-case the Kelvin sign");
  EXPECT_EQ(found(L"k", L"kelvin"), L"kelvin sign");  // a capital K
}

TEST_F(XmlHelpers, IsNodeOfTypeChecksTypeAndTagIgnoringCase) {
  XmlNode realm = childElement(engine(), L"Realm");
  EXPECT_TRUE(vxmlIsNodeOfType(realm, NODE_ELEMENT, L"realm"));
  EXPECT_TRUE(vxmlIsNodeOfType(realm, NODE_ELEMENT, L""));
  EXPECT_FALSE(vxmlIsNodeOfType(realm, NODE_TEXT, L""));
  EXPECT_FALSE(vxmlIsNodeOfType(realm, NODE_ELEMENT, L"Realms"));
  EXPECT_FALSE(vxmlIsNodeOfType(XmlNode(), NODE_ELEMENT, L""));
}

// The walk for readers of many elements gives what the handles give.
TEST_F(XmlHelpers, ChildWalkGivesTheElementsAndTagsOfTheHandles) {
  XmlDocument walk = loadText(
      "<r>\n  <A>t&amp;x\r\n</A><!-- c --><b><![CDATA[d\r\ne]]></b>\n  <c><!--n\r--><i/></c><d> </d><e/>"
      "<?p v?><f><g/>text</f><K\xC3\xA9>k</K\xC3\xA9></r>",
      "walk.xml");
  XmlElement root = walk.documentElement();
  root.removeChild(childElement(root, L"e"));
  root.appendChild(walk.createElement(L"Added")).appendChild(walk.createTextNode(L"new"));
  std::vector<std::wstring> walked;
  forEachChildElement(root, [&](const XmlElement& element, std::string_view tagName) {
    EXPECT_TRUE(tagNameIs(tagName, element.tagName()));
    walked.push_back(element.tagName() + L"=" + vxmlGetNodeValue(element.firstChild(), L""));
  });
  std::vector<std::wstring> handled;
  XmlNodeList children = root.childNodes();
  for (int32_t i = 0; i < children.length(); ++i) {
    XmlNode child = children.item(i);
    if (vxmlIsNodeOfType(child, NODE_ELEMENT, L""))
      handled.push_back(child.nodeName() + L"=" + vxmlGetNodeValue(child.firstChild(), L""));
  }
  EXPECT_EQ(walked, handled);
  EXPECT_EQ(walked.size(), 7u);
  EXPECT_TRUE(tagNameIs("Alias", L"ALIAS"));
  EXPECT_FALSE(tagNameIs("Alias", L"Alia"));
  EXPECT_FALSE(tagNameIs("Alias", L"Alibs"));
  EXPECT_TRUE(tagNameIs("K\xC3\xA9", L"k\u00c9"));
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

}  // namespace wc
