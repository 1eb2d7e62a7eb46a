// Values as a parser reports them, and their spelling back.

#include "base/xml/xml_text_codec.h"

#include <gtest/gtest.h>

#include <string>

namespace wc {

namespace {

constexpr XmlValueKind kText = XmlValueKind::Text;
constexpr XmlValueKind kAttribute = XmlValueKind::Attribute;

TEST(XmlTextCodec, RawBreaksAndBlanksAreNormalisedAndReferencesExpanded) {
  // Line breaks count once each, CR LF included; an attribute turns every
  // blank into a space, but a referenced CR stays a CR.
  EXPECT_EQ(decodeXmlValue("a\r\nb\rc\nd\te", kText), L"a\nb\nc\nd\te");
  EXPECT_EQ(decodeXmlValue("a\r\nb\rc\nd\te", kAttribute), L"a b c d e");
  EXPECT_EQ(decodeXmlValue("x&#13;&#x41;&amp;&lt;&quot;", kAttribute), L"x\rA&<\"");
  // Unknown entities and what is no reference stay as written.
  EXPECT_EQ(decodeXmlValue("&own; & &#xD800;", kText), L"&own; & &#xD800;");
  EXPECT_EQ(decodeXmlValue("caf\xC3\xA9.test", kAttribute), L"caf\u00e9.test");
  EXPECT_EQ(decodeXmlValue("site.example.com", kAttribute), L"site.example.com");
}

TEST(XmlTextCodec, AValueSpelledReadsBackUnchanged) {
  // An attribute keeps even its line breaks and tabs; text keeps LF and tabs.
  const std::wstring attribute = L"a\r\nb\rc\nd\te \"q\" 'p' <&> caf\u00e9 \U0001F600";
  EXPECT_EQ(decodeXmlValue(encodeXmlValue(attribute, kAttribute), kAttribute), attribute);
  const std::wstring text = L"a\nb\tc \"q\" <&> ]]> caf\u00e9 \U0001F600";
  EXPECT_EQ(decodeXmlValue(encodeXmlValue(text, kText), kText), text);
}

}  // namespace

}  // namespace wc
