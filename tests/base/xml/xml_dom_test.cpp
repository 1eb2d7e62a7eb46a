// The DOM handles: types, names and values, escaping, live child lists, moved
// and removed nodes, and the COM errors of misuse.

#include <gtest/gtest.h>

#include <optional>

#include "base/errors/com_error.h"
#include "base/errors/win_error_codes.h"
#include "support/failures.h"
#include "xml_test_support.h"

namespace wc {

using namespace testing_support;
using namespace xml_test;

namespace {

void expectNode(const XmlNode& node, XmlNodeType type, const std::wstring& name,
                const std::optional<std::wstring>& value) {
  EXPECT_EQ(node.nodeType(), type) << wideToUtf8Lenient(name);
  EXPECT_EQ(node.nodeName(), name);
  EXPECT_EQ(node.nodeValue(), value) << wideToUtf8Lenient(name);
}

}  // namespace

TEST(XmlDom, TypesNamesAndValuesFollowTheDom) {
  XmlDocument document = loadText(
      "<?xml version=\"1.0\"?>\n<!DOCTYPE Server>\n<Server a=\"x &amp; y\"><!-- c --><t>1 "
      "&lt; 2\r\n3</t><![CDATA[<&>]]></Server>");
  expectNode(document, NODE_DOCUMENT, L"#document", std::nullopt);
  XmlNodeList top = document.childNodes();
  ASSERT_EQ(top.length(), 3);  // the whitespace between them is not shown
  expectNode(top.item(0), NODE_PROCESSING_INSTRUCTION, L"xml", L"version=\"1.0\"");
  expectNode(top.item(1), NODE_DOCUMENT_TYPE, L"Server", std::nullopt);
  EXPECT_TRUE(top.item(3).empty());

  XmlElement server = document.documentElement();
  expectNode(server, NODE_ELEMENT, L"Server", std::nullopt);
  XmlNode attribute = server.attributes().getNamedItem(L"a");
  expectNode(attribute, NODE_ATTRIBUTE, L"a", L"x & y");
  EXPECT_TRUE(attribute.parentNode().empty());
  XmlNode comment = server.firstChild();
  expectNode(comment, NODE_COMMENT, L"#comment", L" c ");
  XmlNode text = comment.nextSibling().firstChild();
  expectNode(text, NODE_TEXT, L"#text", L"1 < 2\n3");
  EXPECT_EQ(text.parentNode().parentNode(), server);
  XmlNode cdata = server.lastChild();
  expectNode(cdata, NODE_CDATA_SECTION, L"#cdata-section", L"<&>");
  EXPECT_EQ(cdata.previousSibling().nodeName(), L"t");
}

TEST(XmlDom, ValuesWithSpecialCharactersSurviveSaveAndLoad) {
  XmlDocument document = loadText("<Server><Alias>old</Alias></Server>");
  // A character beyond U+FFFF is a surrogate pair on Windows: one character.
  const std::wstring tricky = L"a\"b'c<d>e&f\tg\nh\ri \u00e9\u65e5\U0001F600";
  vxmlSetAttribute(document.documentElement(), L"password", tricky);
  document.documentElement().firstChild().firstChild().setNodeValue(tricky);
  const std::string saved = saveText(document);
  EXPECT_NE(saved.find("\xF0\x9F\x98\x80"), std::string::npos);  // its UTF-8, not two encoded halves
  XmlDocument reloaded = loadText(saved, "reloaded.xml");
  EXPECT_EQ(vxmlGetAttribute(reloaded.documentElement(), L"password", L""), tricky);
  EXPECT_EQ(vxmlGetNodeValue(reloaded.documentElement().firstChild().firstChild(), L""), tricky);
}

TEST(XmlDom, ChildListIsLiveAndRemovedOrCreatedNodesStayUsableAndCanBeMoved) {
  XmlDocument document = loadText("<Engine>\n  <Host name=\"a\"/>\n  <Host name=\"b\"/>\n</Engine>\n");
  XmlElement engine = document.documentElement();
  XmlNodeList hosts = engine.childNodes();
  ASSERT_EQ(hosts.length(), 2);
  EXPECT_EQ(engine.firstChild(), hosts.item(0));
  EXPECT_EQ(hosts.item(0).nextSibling(), hosts.item(1));

  XmlElement c = document.createElement(L"Host");
  c.setAttribute(L"name", L"c");
  engine.appendChild(c);
  ASSERT_EQ(hosts.length(), 3);
  EXPECT_EQ(hosts.item(2), c);
  engine.removeChild(hosts.item(0));
  ASSERT_EQ(hosts.length(), 2);
  EXPECT_EQ(vxmlGetAttribute(hosts.item(0), L"name", L""), L"b");

  XmlDocument tree = loadText("<Server>\n  <A/>\n  <B><C/></B>\n</Server>");
  XmlElement server = tree.documentElement();
  XmlElement b = childElement(server, L"B");
  XmlNode inner = b.firstChild();

  XmlNode removed = server.removeChild(b);
  EXPECT_TRUE(removed.parentNode().empty());
  EXPECT_TRUE(removed.nextSibling().empty());
  EXPECT_EQ(removed.firstChild(), inner);  // the subtree goes along
  EXPECT_EQ(saveText(tree), "<Server>\n  <A/>\n</Server>");

  // Moving a node that is in the tree takes it away from its old place.
  XmlElement a = childElement(server, L"A");
  a.appendChild(inner);
  EXPECT_EQ(inner.parentNode(), a);
  EXPECT_TRUE(removed.firstChild().empty());

  XmlElement fresh = tree.createElement(L"D");
  EXPECT_TRUE(fresh.parentNode().empty());
  EXPECT_EQ(saveText(tree), "<Server>\n  <A>\n    <C/>\n  </A>\n</Server>");
}

TEST(XmlDom, MisuseGivesComErrors) {
  XmlDocument document = loadText("<Server><a>t</a></Server>");
  XmlDocument other = loadText("<Other/>", "other.xml");
  XmlElement server = document.documentElement();
  XmlNode text = childElement(server, L"a").firstChild();

  EXPECT_EQ(comErrorOf([] { XmlNode().nodeName(); }), E_POINTER_RESULT);
  EXPECT_EQ(failureOf<ComError>([] { XmlNode().firstChild(); }).description(), L"The node handle is empty");
  EXPECT_EQ(comErrorOf([] { XmlNodeList().length(); }), E_POINTER_RESULT);
  EXPECT_EQ(comErrorOf([] { XmlAttributeMap().getNamedItem(L"x"); }), E_POINTER_RESULT);
  EXPECT_EQ(comErrorOf([] { XmlDocument().createElement(L"x"); }), E_POINTER_RESULT);
  EXPECT_EQ(comErrorOf([&] { server.appendChild(XmlNode()); }), E_INVALIDARG_RESULT);
  EXPECT_EQ(comErrorOf([&] { server.appendChild(other.documentElement()); }), E_INVALIDARG_RESULT);
  EXPECT_EQ(comErrorOf([&] { server.removeChild(text); }), E_INVALIDARG_RESULT);         // not a direct child
  EXPECT_EQ(comErrorOf([&] { text.parentNode().appendChild(server); }), E_FAIL_RESULT);  // a cycle
  EXPECT_EQ(comErrorOf([&] { text.appendChild(document.createElement(L"x")); }), E_FAIL_RESULT);
  EXPECT_EQ(comErrorOf([&] { document.appendChild(document.createElement(L"Second")); }), E_FAIL_RESULT);
  EXPECT_EQ(comErrorOf([&] { server.setNodeValue(L"x"); }), E_FAIL_RESULT);
  EXPECT_EQ(comErrorOf([&] { XmlElement e(text); }), E_NOINTERFACE_RESULT);
  EXPECT_EQ(comErrorOf([&] { document.createElement(L"no spaces"); }), E_INVALIDARG_RESULT);
  EXPECT_EQ(comErrorOf([&] { server.setAttribute(L"1st", L"v"); }), E_INVALIDARG_RESULT);
  EXPECT_EQ(comErrorOf([&] { server.setAttribute(L"ok", std::wstring(1, L'\x01')); }), E_INVALIDARG_RESULT);
  EXPECT_EQ(comErrorOf([&] { document.createTextNode(std::wstring(1, L'\xFFFF')); }), E_INVALIDARG_RESULT);
  for (const std::wstring& halves :
       {std::wstring(1, wchar_t(0xD800)), std::wstring{wchar_t(0xDE00), wchar_t(0xD83D)}}) {
    EXPECT_EQ(comErrorOf([&] { server.setAttribute(L"ok", halves); }), E_INVALIDARG_RESULT);
    EXPECT_EQ(comErrorOf([&] { document.createTextNode(L"x" + halves); }), E_INVALIDARG_RESULT);
  }

  // None of it changed the document.
  EXPECT_EQ(saveText(document), "<Server><a>t</a></Server>");
}

TEST(XmlDom, NewDocumentCanBeBuiltAndSaved) {
  XmlDocument document = XmlDocument::create();
  XmlElement root = document.createElement(L"Entries");
  XmlElement entry = document.createElement(L"Entry");
  entry.setAttribute(L"URI", L"/a&b");
  root.appendChild(entry);
  document.appendChild(root);
  EXPECT_EQ(document.documentElement(), root);
  EXPECT_EQ(saveText(document), "<Entries>\n  <Entry URI=\"/a&amp;b\"/>\n</Entries>");
}

}  // namespace wc
