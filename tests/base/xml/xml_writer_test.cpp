// The streaming writer of realm files and the removal storage.

#include "base/xml/xml_writer.h"

#include <gtest/gtest.h>

#include <functional>

#include "base/errors/vexception.h"
#include "base/text/unicode.h"
#include "support/failures.h"
#include "support/test_context.h"
#include "xml_test_support.h"

namespace wc {

using namespace testing_support;
using namespace xml_test;

namespace {

void writeRealm(const std::wstring& path, const std::wstring& user, const std::wstring& password) {
  XmlWriter writer;
  writer.open(context, path);
  writer.startDocument();
  writer.startElement(L"tomcat-users");
  writer.addAttribute(L"username", user);
  writer.addAttribute(L"password", password);
  writer.addAttribute(L"roles", L"manager-gui,manager-script");
  writer.startElement(L"user");
  writer.endElement(L"user");
  writer.endElement(L"tomcat-users");
  writer.endDocument();
}

}  // namespace

TEST(XmlWriterTest, WritesFilesThatReadBackExactlyOverLongerOnesAndAttributesBelongToTheNextElementOnly) {
  const std::wstring path = w(scratch() / "a.test.xml");
  const std::wstring password = L"p\"a's<s>w&o\trd\n \u00e9\u65e5";
  writeRealm(path, L"first", L"a-rather-long-first-password" + std::wstring(200, L'x'));
  writeRealm(path, L"admin", password);

  EXPECT_EQ(readFile(scratch() / "a.test.xml"),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<tomcat-users>\n"
            "  <user username=\"admin\" password=\"p&quot;a's&lt;s&gt;w&amp;o&#9;rd&#10; \xC3\xA9\xE6\x97\xA5\" "
            "roles=\"manager-gui,manager-script\"/>\n"
            "</tomcat-users>\n");
  XmlDocument document;
  vxmlLoad(document, path, true, false);
  XmlElement user = childElement(document.documentElement(), L"user");
  EXPECT_EQ(vxmlGetAttribute(user, L"username", L""), L"admin");
  EXPECT_EQ(vxmlGetAttribute(user, L"password", L""), password);

  XmlWriter writer;
  writer.open(context, w(scratch() / "storage.xml"));
  writer.startDocument();
  writer.addAttribute(L"dropped", L"x");
  writer.clearAttributes();
  writer.startElement(L"Entries");
  for (const wchar_t* id : {L"1", L"2"}) {
    writer.addAttribute(L"Id", id);
    writer.addAttribute(L"URI", L"/var/x");
    writer.addAttribute(L"Service", L"");
    writer.startElement(L"Entry");
    writer.endElement(L"Entry");
  }
  writer.endElement(L"Entries");
  writer.endDocument();
  EXPECT_EQ(readFile(scratch() / "storage.xml"),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<Entries>\n"
            "  <Entry Id=\"1\" URI=\"/var/x\" Service=\"\"/>\n"
            "  <Entry Id=\"2\" URI=\"/var/x\" Service=\"\"/>\n"
            "</Entries>\n");
}

// Nothing is written until the document is complete: a writer abandoned on
// the way, as when an exception leaves the caller, leaves the file as it was.
TEST(XmlWriterTest, MisuseAndWriteFailuresAreReportedWithThePathAndChangeNothing) {
  const std::wstring path = w(scratch() / "x.xml");
  writeFile(scratch() / "x.xml", "old");
  const struct {
    std::function<void(XmlWriter&)> misuse;  // after open and startDocument
    const wchar_t* problem;
  } cases[] = {
      {[](XmlWriter& x) { x.startElement(L"a"), x.endElement(L"b"); }, L"end of element 'b' while element 'a' is open"},
      {[](XmlWriter& x) { x.startElement(L"a"), x.endElement(L"a"), x.startElement(L"b"); },
       L"a second document element 'b' cannot be written"},
      {[](XmlWriter& x) { x.startElement(L"a"), x.endDocument(); }, L"element 'a' is not closed"},
      {[](XmlWriter& x) { x.addAttribute(L"bad name", L"v"); }, L"'bad name' is not a valid XML name"},
      {[](XmlWriter& x) { x.addAttribute(L"k", std::wstring(1, L'\x02')); },
       L"the value of attribute 'k' holds a character XML cannot hold"},
      {[](XmlWriter& x) { x.addAttribute(L"k", L"1"), x.addAttribute(L"k", L"2"); },
       L"the attribute 'k' was added twice"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(failureOf([&] {
                XmlWriter writer;
                writer.open(context, path);
                writer.startDocument();
                c.misuse(writer);
              }).message(),
              L"Unable to write XML file '" + path + L"': " + c.problem);
  }
  EXPECT_EQ(failureOf([] { XmlWriter().startDocument(); }).message(),
            L"Unable to write XML file '': the writer is not opened");
  EXPECT_EQ(failureOf([&] {
              XmlWriter writer;
              writer.open(context, path);
              writer.startElement(L"a");
            }).message(),
            L"Unable to write XML file '" + path + L"': startDocument was not called");
  EXPECT_EQ(readFile(scratch() / "x.xml"), "old");

  const std::wstring missing = w(scratch() / "missing/a.test.xml");
  const vexception e = failureOf([&] { writeRealm(missing, L"u", L"p"); });
  EXPECT_TRUE(holds(e.message(), missing));
  EXPECT_EQ(e.callPoints().back().function, "XmlWriter::endDocument");
  EXPECT_THROW(XmlWriter(L"UTF-16"), vexception);
  EXPECT_NO_THROW(XmlWriter(L"utf-8"));
}

}  // namespace wc
