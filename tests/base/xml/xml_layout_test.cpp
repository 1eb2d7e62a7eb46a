// Indentation of appended elements and clean-up after removed ones: the saved
// server.xml must stay readable and give small diffs.

#include <gtest/gtest.h>

#include "xml_test_support.h"

namespace wc {

using namespace testing_support;
using namespace xml_test;

namespace {

const char* const kEngine =
    "<Server>\n"
    "  <Service name=\"HCP\">\n"
    "    <Engine name=\"HCP\">\n"
    "      <Realm className=\"r\"/>\n"
    "      <Host name=\"a.test\">\n"
    "        <Alias>www.a.test</Alias>\n"
    "      </Host>\n"
    "    </Engine>\n"
    "  </Service>\n"
    "</Server>\n";

XmlElement engineOf(const XmlDocument& document) {
  return childElement(childElement(document.documentElement(), L"Service"), L"Engine");
}

// A Host as the virtual host operations build it: children first, appended
// to the Engine last.
XmlElement newHost(const XmlDocument& document, const std::wstring& name) {
  XmlElement host = document.createElement(L"Host");
  host.setAttribute(L"name", name);
  XmlElement alias = document.createElement(L"Alias");
  alias.appendChild(document.createTextNode(L"www." + name));
  host.appendChild(alias);
  XmlElement realm = document.createElement(L"Realm");
  realm.setAttribute(L"pathname", L"hcp-users/" + name + L".xml");
  host.appendChild(realm);
  return host;
}

}  // namespace

TEST(XmlLayout, AppendedSubtreesAreIndentedLikeTheirSiblingsAndRemovalsLeaveNoBlankLines) {
  XmlDocument document = loadText(kEngine);
  XmlElement engine = engineOf(document);
  XmlElement host = newHost(document, L"b.test");
  engine.appendChild(host);
  XmlElement alias = document.createElement(L"Alias");
  alias.appendChild(document.createTextNode(L"c.test"));
  childElement(engine, L"Host").appendChild(alias);
  EXPECT_EQ(saveText(document),
            "<Server>\n"
            "  <Service name=\"HCP\">\n"
            "    <Engine name=\"HCP\">\n"
            "      <Realm className=\"r\"/>\n"
            "      <Host name=\"a.test\">\n"
            "        <Alias>www.a.test</Alias>\n"
            "        <Alias>c.test</Alias>\n"
            "      </Host>\n"
            "      <Host name=\"b.test\">\n"
            "        <Alias>www.b.test</Alias>\n"
            "        <Realm pathname=\"hcp-users/b.test.xml\"/>\n"
            "      </Host>\n"
            "    </Engine>\n"
            "  </Service>\n"
            "</Server>\n");

  // Removing what was added gives back the same file.
  engine.removeChild(host);
  childElement(engine, L"Host").removeChild(alias);
  EXPECT_EQ(saveText(document), kEngine);

  engine.removeChild(childElement(engine, L"Host"));
  engine.removeChild(childElement(engine, L"Realm"));
  const std::string emptied = "<Server>\n  <Service name=\"HCP\">\n    <Engine name=\"HCP\">\n";
  const std::string closing = "    </Engine>\n  </Service>\n</Server>\n";
  EXPECT_EQ(saveText(document), emptied + closing);
  // The emptied Engine takes new children one level deeper than itself.
  engine.appendChild(document.createElement(L"Host"));
  EXPECT_EQ(saveText(document), emptied + "      <Host/>\n" + closing);
}

TEST(XmlLayout, ParentWithoutChildrenGetsItsIndentationPlusTheDocumentsUnit) {
  XmlDocument document = loadText(
      "<Server>\n"
      "    <Service name=\"Catalina\">\n"
      "        <Engine name=\"Catalina\"/>\n"
      "    </Service>\n"
      "</Server>\n");
  engineOf(document).appendChild(newHost(document, L"a.test"));
  EXPECT_EQ(saveText(document),
            "<Server>\n"
            "    <Service name=\"Catalina\">\n"
            "        <Engine name=\"Catalina\">\n"
            "            <Host name=\"a.test\">\n"
            "                <Alias>www.a.test</Alias>\n"
            "                <Realm pathname=\"hcp-users/a.test.xml\"/>\n"
            "            </Host>\n"
            "        </Engine>\n"
            "    </Service>\n"
            "</Server>\n");
}

TEST(XmlLayout, AFileWithoutIndentationTakesItsUnitFromTheHostIndentedWithin) {
  // No line starts with a blank but one inside the second Host.
  const std::string hosts =
      "<Server>\n<Service name=\"HCP\">\n<Engine name=\"HCP\">\n<Host name=\"a.test\">\n<Alias>www.a.test</Alias>\n"
      "</Host>\n<Host name=\"b.test\">\n\t<Alias>www.b.test</Alias>\n</Host>\n";
  const std::string tail = "</Engine>\n</Service>\n</Server>\n";
  XmlDocument document = loadText(hosts + tail);
  engineOf(document).appendChild(newHost(document, L"c.test"));
  EXPECT_EQ(saveText(document), hosts +
                                    "<Host name=\"c.test\">\n\t<Alias>www.c.test</Alias>\n"
                                    "\t<Realm pathname=\"hcp-users/c.test.xml\"/>\n</Host>\n" +
                                    tail);
}

TEST(XmlLayout, NewServiceGoesLastInStockServerXml) {
  const std::string original = stockServerXml();
  XmlDocument document = loadText(original);
  XmlElement service = document.createElement(L"Service");
  service.setAttribute(L"name", L"HCP");
  XmlElement engine = document.createElement(L"Engine");
  engine.setAttribute(L"name", L"HCP");
  service.appendChild(engine);
  document.documentElement().appendChild(service);

  const std::string closing = "</Server>\n";
  ASSERT_TRUE(original.ends_with("  </Service>\n" + closing));
  EXPECT_EQ(saveText(document), original.substr(0, original.size() - closing.size()) +
                                    "  <Service name=\"HCP\">\n"
                                    "    <Engine name=\"HCP\"/>\n"
                                    "  </Service>\n" +
                                    closing);
}

TEST(XmlLayout, NewElementsFollowTheLineBreaksCompactnessAndCommentsAroundThem) {
  const struct {
    const char* original;
    const wchar_t* parent;  // a child of the document element, or "" for the document element
    const char* expected;
  } cases[] = {
      {"<Server>\r\n  <Service/>\r\n</Server>\r\n", L"Service",
       "<Server>\r\n  <Service>\r\n    <N/>\r\n  </Service>\r\n</Server>\r\n"},
      {"<Server><Service><Engine/></Service><Note>see <b>this</b></Note></Server>", L"Service",
       "<Server><Service><Engine/><N/></Service><Note>see <b>this</b></Note></Server>"},
      {"<Server><Service><Engine/></Service><Note>see <b>this</b></Note></Server>", L"Note",
       "<Server><Service><Engine/></Service><Note>see <b>this</b><N/></Note></Server>"},
      {"<Engine>\n  <Host/>\n  <!-- last -->\n</Engine>", L"",
       "<Engine>\n  <Host/>\n  <!-- last -->\n  <N/>\n</Engine>"},
  };
  for (const auto& c : cases) {
    XmlDocument document = loadText(c.original);
    XmlElement root = document.documentElement();
    (*c.parent ? childElement(root, c.parent) : root).appendChild(document.createElement(L"N"));
    EXPECT_EQ(saveText(document), c.expected);
  }
}

}  // namespace wc
