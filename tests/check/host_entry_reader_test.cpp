// The Hosts' entries made as the load of server.xml passes them: each one as
// the Host's element gives it, for every form the panel or a hand may write.

#include "check/host_entry_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/xml/xml_child_walk.h"
#include "support/failures.h"
#include "support/sandbox.h"
#include "tomcat/tomcat_manager.h"

namespace wc {
namespace {

std::wstring described(const HostEntry& entry) {
  std::wstring text = entry.name + L" appBase=" + entry.appBase.value_or(L"(none)");
  for (const NameAt& alias : entry.aliases)
    text += L" alias " + std::to_wstring(alias.child) + L"=[" + alias.name + L"]";
  if (entry.realm != HostEntry::kNoRealm) {
    text += L" realm " + std::to_wstring(entry.realm) + L"=" + entry.realmPathname.value_or(L"(none)");
  }
  return text;
}

// Another Service's Host comes first: the entries are matched by place.
const std::string kServerXml =
    "<?xml version='1.0' encoding='utf-8'?>\r\n"
    "<Server port=\"8005\">\r\n"
    "  <Service name=\"Catalina\"><Engine name=\"Catalina\"><Host name=\"a&amp;b.test\"><Alias>x</Alias></Host>"
    "</Engine></Service>\r\n"
    "  <Service name=\"HCP\">\r\n"
    "    <Engine name=\"HCP\" defaultHost=\"a&amp;b.test\">\r\n"
    "      <Host name=\"a&amp;b.test\" appBase='/srv/&#x41;\r\n\tb'>\r\n"
    "        <Context path=\"\"><Alias>inner</Alias></Context>\r\n"
    "        <Alias> w&#46;test\r\n </Alias>\r\n"
    "        <alias>&#x62;.test</alias><ALIAS/>\r\n"
    "        <Alias>   </Alias><Alias><i>z</i>y</Alias>\r\n"
    "        <Realm className=\"m\"><Alias>no</Alias></Realm><Realm pathname=\"second.xml\"/>\r\n"
    "      </Host>\r\n"
    "      <Host name=\"c.test\"/>\r\n"
    "      <Host name=\"d.test\"><!-- d --><realm pathname=\"d&lt;.xml\"/><Alias>\r\n  <!-- c -->x</Alias></Host>\r\n"
    "      <Host appBase=\"\"><Alias>e.test</Alias><Alias>f.test<!-- f --></Alias></Host>\r\n"
    "    </Engine>\r\n"
    "  </Service>\r\n"
    "</Server>\r\n";

TEST(HostEntryReader, EveryEntryIsWhatTheHostsElementGivesAndAnAliasBeginningWithACommentIsLeftToIt) {
  testing_support::TempDir dir;
  testing_support::writeFile(dir / "server.xml", kServerXml);
  HostEntryReader reader;
  XmlDocument document;
  vxmlLoad(document, testing_support::w(dir / "server.xml"), true, false, &reader);

  std::vector<std::wstring> told;
  std::vector<std::wstring> fromElements;
  forEachChildElement(TomcatManager::findEngine(document), [&](const XmlElement& host, std::string_view) {
    const std::optional<HostEntry> entry = reader.take(vxmlSourceOffset(host));
    told.push_back(entry ? described(*entry) : L"(left to the element)");
    fromElements.push_back(described(hostEntryOf(host)));
  });
  ASSERT_EQ(fromElements.size(), 4u);
  EXPECT_EQ(fromElements[0],
            L"a&b.test appBase=/srv/A  b alias 1=[ w.test\n ] alias 2=[b.test] alias 3=[] alias 4=[] alias 5=[] "
            L"realm 6=(none)");
  EXPECT_EQ(told[0], fromElements[0]);
  EXPECT_EQ(told[1], fromElements[1]);
  EXPECT_EQ(told[2], L"(left to the element)");
  EXPECT_EQ(fromElements[2], L"d.test appBase=(none) alias 1=[ c ] realm 0=d<.xml");
  EXPECT_EQ(told[3], fromElements[3]);
}

}  // namespace
}  // namespace wc
