// Loading and saving whole files: what survives a round trip, the load and
// save failures and their texts, encodings, and that nothing external is read.

#include <gtest/gtest.h>

#include <algorithm>

#include "base/errors/os_error.h"
#include "base/errors/vexception.h"
#include "base/text/unicode.h"
#include "base/xml/xml_subset_load.h"
#include "support/failures.h"
#include "support/test_context.h"
#include "xml_test_support.h"

namespace wc {

using namespace testing_support;
using namespace xml_test;

TEST(XmlRoundTrip, EveryKindOfNodeSurvivesUnchanged) {
  for (const char* original : {
           "<?xml version=\"1.0\"?>\n\n"
           "<!DOCTYPE Server [\n  <!ENTITY owner \"panel\">\n]>\n"
           "<!-- before -->\n"
           "<?tool keep this?>\n"
           "<Server a=\"1\"><x>&owner; &amp; &#233; &#x41;</x>\n"
           "   <![CDATA[ <raw> & ]]>\n"
           "</Server>\n"
           "<!-- after -->\n\n",
           "\xEF\xBB\xBF<?xml version=\"1.0\"?>\r\n<Server>\r\n  <Service name=\"HCP\"/>\r\n</Server>\r\n",
           "<?xml version='1.0' encoding='utf-8'?>\n<Server port='8005'/>\n",
           "<!DOCTYPE\t\r\n Server [\n]>\n<Server/>\n",
           "<Server><a>x</a ><b></b\n><c><d/></c\t></Server >\n",
           "<!DOCTYPE S [<!ENTITY e '</x >'><!-- </y > --><?p </z >?>]>\n"
           "<S><!-- </r > --><![CDATA[</s >]]><?q </t >?><u>&e;</u  ></S>\n",
           // Read as the parser reads it, this doctype ends at "e>".
           "<!DOCTYPE S [<!ENTITY e \"</>]>\n<S>\"><!-- </y > -->e>\n<S><a></a ></S>\n",
       }) {
    loadUnchanged(original);
  }
}

TEST(XmlRoundTrip, UnchangedElementsAndEndTagsKeepTheirSpellingAroundChanges) {
  XmlDocument document = loadUnchanged("<Server>\n  <Engine>\n  </Engine >\n</Server>\n");
  XmlElement engine = childElement(document.documentElement(), L"Engine");
  vxmlSetAttribute(engine, L"name", L"HCP");
  engine.appendChild(document.createElement(L"Host"));
  EXPECT_EQ(saveText(document), "<Server>\n  <Engine name=\"HCP\">\n    <Host/>\n  </Engine >\n</Server>\n");

  document = loadUnchanged(
      "<Server>\n  <a x = 'q\"' ><b\ty=\"1\"/><!-- c --><![CDATA[d]]>e<i\n></i\n></a >\n"
      "  <f>gone</f>\n  <g><h></h></g>\n  <k>text</k>\n</Server>\n");
  XmlElement root = document.documentElement();
  // f goes, a moves into g, k's text changes: the rest reads as before, and
  // nothing of f or of a's old place stays behind.
  root.removeChild(childElement(root, L"f"));
  childElement(root, L"g").appendChild(childElement(root, L"a"));
  childElement(root, L"k").firstChild().setNodeValue(L"new");
  EXPECT_EQ(saveText(document),
            "<Server>\n  <g><h></h><a x = 'q\"' ><b\ty=\"1\"/><!-- c --><![CDATA[d]]>e<i\n></i\n></a ></g>\n"
            "  <k>new</k>\n</Server>\n");
}

TEST(XmlRoundTrip, ProcessingInstructionsKeepTheirBlanks) {
  const std::string original =
      "<?xml version=\"1.0\"?>\n"
      "<?tool\t\r\n   keep  this ?>\n"
      "<?empty   ?><?bare?><?xml-stylesheet  href=\"a.xsl\"?>\n"
      "<Server><?inside\n\tdata?></Server>\n";
  XmlDocument document = loadUnchanged(original);

  // One whose data is set is spelled anew, like a changed start tag.
  XmlNode tool = document.childNodes().item(1);
  ASSERT_EQ(tool.nodeType(), NODE_PROCESSING_INSTRUCTION);
  for (const std::string value : {"k", "a value longer than the file's"}) {
    tool.setNodeValue(utf8ToWideLenient(value));
    std::string expected = original;
    expected.replace(expected.find("\t\r\n   keep  this "), 17, " " + value);
    EXPECT_EQ(saveText(document, "changed.xml"), expected);
  }
}

TEST(XmlEncodings, Utf16AndLatin1FilesKeepTheirEncoding) {
  const std::u16string text = u"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n<Server name=\"\u00e9\u65e5\"/>\n";
  std::string bytes = "\xFF\xFE";
  for (char16_t c : text) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  XmlDocument utf16 = loadText(bytes);
  EXPECT_EQ(vxmlGetAttribute(utf16.documentElement(), L"name", L""), L"\u00e9\u65e5");
  EXPECT_EQ(saveText(utf16), bytes);

  const std::string original = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<Server name=\"caf\xE9\"/>\n";
  XmlDocument document = loadText(original);
  EXPECT_EQ(vxmlGetAttribute(document.documentElement(), L"name", L""), L"caf\u00e9");
  EXPECT_EQ(saveText(document), original);

  // A character Latin-1 cannot hold makes the save fail and keeps the file.
  vxmlSetAttribute(document.documentElement(), L"name", L"\u65e5");
  writeFile(scratch() / "saved.xml", original);
  EXPECT_THROW(vxmlSave(context, document, w(scratch() / "saved.xml")), vexception);
  EXPECT_EQ(readFile(scratch() / "saved.xml"), original);
}

TEST(XmlLoad, AFailureNamesTheReasonAndTheLoadPath) {
  const std::wstring path = w(scratch() / "conf/server.xml");
  const auto load = [](const std::wstring& file) {
    return failureOf([&] {
      XmlDocument document;
      vxmlLoad(document, file, true, false);
    });
  };
  vexception e = load(path);
  EXPECT_EQ(e.message(), *systemMessageText(3) + L" at load " + path);
  ASSERT_EQ(e.callPoints().size(), 1u);
  EXPECT_EQ(e.callPoints()[0].context, L"");
  EXPECT_EQ(e.callPoints()[0].function, "vxmlLoad");
  EXPECT_EQ(e.callPoints()[0].line, 40u);
  EXPECT_EQ(load(w(scratch() / "absent.xml")).message(),
            *systemMessageText(2) + L" at load " + w(scratch() / "absent.xml"));

  writeFile(scratch() / "bad.xml", "<Server>\n  <Service>\n  </Server>\n");
  e = load(w(scratch() / "bad.xml"));
  EXPECT_EQ(e.message(), L"Start-end tags mismatch (line 3, column 5) at load " + w(scratch() / "bad.xml"));
  EXPECT_EQ(e.callPoints().at(0).line, 40u);
}

// Failures whose positions need counting with care are in the large text tests.
TEST(XmlLoad, RejectsEveryKindOfMalformedDocument) {
  struct Case {
    const char* text;
    const wchar_t* reasonStart;
  };
  const Case cases[] = {
      {"", L"The document has no document element"},
      {"<!-- only a comment -->", L"The document has no document element"},
      {"<a/>\r\n<", L"Could not determine tag type (line 2, column 1)"},
      {"\xEF\xBB\xBF\xEF\xBB\xBF<a/>", L"Text is not allowed outside the document element (line 1, column 1)"},
      {"<a><?xml version=\"1.0\"?></a>", L"Error parsing document declaration/processing instruction"},
      {"<?XML version=\"1.0\"?><a/>", L"The processing instruction target 'XML' is reserved (line 1, column 1)"},
      {"<a><!-- a -- b --></a>", L"A comment cannot hold \"--\" or end with '-' (line 1, column 4)"},
      {"<!-- a ---><a/>", L"A comment cannot hold \"--\" or end with '-' (line 1, column 1)"},
      {"<a x=\"1 < 2\"/>", L"The character '<' cannot be used in an attribute value (line 1, column 9)"},
      {"<a>fish & chips</a>", L"An '&' does not start a complete entity or character reference (line 1, column 9)"},
      {"<a>&nbsp;</a>", L"Reference to undeclared entity 'nbsp' (line 1, column 4)"},
      {"<a>&#0;</a>", L"The character reference &#0; names an invalid character"},
      {"<a>]]></a>", L"The text \"]]>\" is not allowed in character data"},
      // Inside a Host of the Engine, whose content the subset load parses later.
      {"<S><V><E><Host><A></Host></E></V></S>", L"Start-end tags mismatch (line 1, column 21)"},
      {"<S><V><E><Host><A x='1' x=\"2\"/></Host></E></V></S>", L"The attribute 'x' appears twice in one element"},
      {"<?xml version=\"1.0\" encoding=\"KOI8-R\"?><a/>", L"The encoding 'KOI8-R' named in the XML declaration"},
      // Only the declaration names an encoding; this file is read as UTF-8.
      {"<?xmlfoo encoding=\"ISO-8859-1\"?><a>caf\xE9</a>", L"The text is not valid UTF-8 (line 1, column 39)"},
  };
  for (const Case& c : cases) {
    const std::wstring reason = loadFailureReason(c.text);
    EXPECT_EQ(reason.rfind(c.reasonStart, 0), 0u) << "for " << c.text << " got " << wideToUtf8Lenient(reason);
  }
}

// The subset load takes the files of its subset and leaves the others to the
// full load; either way a document reads, edits and saves alike, and a Host
// of the Engine is parsed only when asked for.
TEST(XmlLoad, TheSubsetLoadReadsEditsAndSavesLikeTheFullLoad) {
  const std::string engine =
      "<Engine name=\"HCP\">\n    <Host name=\"a\"  x='\"1\"'>\n      <Alias>www.a</Alias><!-- c -->\n"
      "    </Host>\n    <Host name=\"b\"/>\n  </Engine>";
  const struct {
    std::string text;
    bool subset;  // the subset load takes it
  } cases[] = {
      {"<?xml version='1.0' encoding=\"UTF-8\"?>\n<Server>\n <Service>\n  " + engine + "\n </Service>\n</Server>\n",
       true},
      {"\xEF\xBB\xBF<Server><Service>\r\n" + engine + "</Service></Server>", true},
      {"<Server>\n  <Service><Engine><Host>&amp;&#xE9; caf\xC3\xA9 "
       "&lt;</Host><Host></Host></Engine></Service></Server>",
       true},
      {"<!DOCTYPE Server>\n<Server><Service>" + engine + "</Service></Server>", false},
      {"<Server><Service><Engine><Host><![CDATA[x]]></Host></Engine></Service></Server>", false},
      {"<Server><Service><Engine><Host><?pi x?></Host></Engine></Service></Server>", false},
      {"<Server><Service><Engine><Host> </Host ></Engine></Service></Server>", false},
      {"<Server><Service><Engine><Host><H\xC3\xA9/></Host></Engine></Service></Server>", false},
  };
  for (const auto& c : cases) {
    writeFile(scratch() / "server.xml", c.text);
    std::string saved[2];
    for (bool subsetAllowed : {true, false}) {
      XmlDocument document = loadXmlDocument(w(scratch() / "server.xml"), true, false, subsetAllowed);
      EXPECT_EQ(XmlHandleAccess::state(document)->loadedAsSubset(), subsetAllowed && c.subset) << c.text;
      EXPECT_EQ(saveText(document), c.text);
      XmlElement host =
          childElement(childElement(childElement(document.documentElement(), L"Service"), L"Engine"), L"Host");
      EXPECT_EQ(XmlHandleAccess::pugiNode(host).first_child().empty(), subsetAllowed && c.subset) << c.text;
      const std::string before = c.text.substr(0, c.text.find("<Host"));
      EXPECT_EQ(vxmlSourceLine(host), 1 + std::count(before.begin(), before.end(), '\n')) << c.text;
      XmlElement alias = document.createElement(L"Alias");
      alias.appendChild(document.createTextNode(L"new"));
      host.appendChild(alias);
      host.setAttribute(L"name", L"z");
      saved[subsetAllowed] = saveText(document);
    }
    EXPECT_EQ(saved[true], saved[false]) << c.text;
  }
}

TEST(XmlLoad, FailureLeavesTheDocumentHandleAsItWas) {
  XmlDocument document = loadText("<Server port=\"1\"/>");
  writeFile(scratch() / "bad.xml", "<Server");
  EXPECT_THROW(vxmlLoad(document, w(scratch() / "bad.xml"), true, false), vexception);
  EXPECT_EQ(vxmlGetAttribute(document.documentElement(), L"port", L""), L"1");
}

TEST(XmlLoad, NeverLoadsExternalDefinitions) {
  writeFile(scratch() / "evil.dtd", "<!ENTITY secret \"leaked\">");
  writeFile(scratch() / "secret.txt", "leaked");
  const std::string original = "<!DOCTYPE a SYSTEM \"" + (scratch() / "evil.dtd") + "\" [\n  <!ENTITY file SYSTEM \"" +
                               (scratch() / "secret.txt") + "\">\n]>\n<a v=\"&secret;\">&file;&secret;</a>\n";
  for (bool resolveExternals : {false, true}) {
    writeFile(scratch() / "server.xml", original);
    XmlDocument document;
    vxmlLoad(document, w(scratch() / "server.xml"), true, resolveExternals);
    EXPECT_EQ(document.resolveExternals(), resolveExternals);
    EXPECT_EQ(vxmlGetNodeValue(document.documentElement().firstChild(), L""), L"&file;&secret;");
    EXPECT_EQ(vxmlGetAttribute(document.documentElement(), L"v", L""), L"&secret;");
    EXPECT_EQ(saveText(document), original);
  }
}

TEST(XmlSave, FailureRaisesFailedToSaveAndChangesNothingAndSuccessLeavesNoTemporaryFiles) {
  XmlDocument document = loadText("<Server port=\"8005\"/>\n");
  vxmlSetAttribute(document.documentElement(), L"port", L"-1");
  TempDir dir;
  const std::wstring missing = w(dir / "missing/conf/server.xml");
  const vexception e = failureOf([&] { vxmlSave(context, document, missing); });
  EXPECT_EQ(e.message(), L"Failed to save " + missing);
  ASSERT_EQ(e.callPoints().size(), 1u);
  EXPECT_EQ(e.callPoints()[0].context, L"");
  EXPECT_EQ(e.callPoints()[0].function, "vxmlSave");
  EXPECT_EQ(e.callPoints()[0].line, 48u);
  EXPECT_FALSE(pathExists(dir / "missing"));

  // A target that cannot be replaced (a directory) keeps what it holds.
  makeDirectories(dir / "occupied");
  writeFile(dir / "occupied/inside.txt", "kept");
  EXPECT_THROW(vxmlSave(context, document, w(dir / "occupied")), vexception);
  EXPECT_EQ(readFile(dir / "occupied/inside.txt"), "kept");

  vxmlSave(context, document, w(dir / "server.xml"));
  EXPECT_EQ(readFile(dir / "server.xml"), "<Server port=\"-1\"/>\n");
  EXPECT_EQ(namesIn(dir.path()).size(), 2u);  // and "occupied"
}

}  // namespace wc
