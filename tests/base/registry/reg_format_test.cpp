#include "base/registry/reg_format.h"

#include <gtest/gtest.h>

#include "base/registry/value_data.h"
#include "base/text/unicode.h"

namespace wc {

using namespace registry;

namespace {

const std::string kHeader = "Windows Registry Editor Version 5.00\n\n";

const RegValue& valueOf(const RegStore& store, const std::wstring& key, const std::wstring& name) {
  const RegKeyRecord* record = store.findKey(Root::LocalMachine, key);
  if (!record) throw std::runtime_error("no such key");
  const RegValue* value = RegStore::findValue(*record, name);
  if (!value) throw std::runtime_error("no such value");
  return *value;
}

// The line number a malformed text is reported at.
size_t errorLine(const std::string& text) {
  try {
    parseRegText(text);
  } catch (const RegFormatError& e) {
    EXPECT_EQ(e.message().rfind(L"line " + std::to_wstring(e.line()) + L": ", 0), 0u) << wideToUtf8Lenient(e.message());
    return e.line();
  }
  ADD_FAILURE() << "parsed: " << text;
  return 0;
}

}  // namespace

TEST(RegFormat, EveryTypeSurvivesARoundTrip) {
  RegStore store;
  RegKeyRecord& key = store.createKey(Root::LocalMachine, L"SOFTWARE\\Halvo\\HCP Config\\Config");
  std::vector<RegValue> values = {
      {L"", REG_SZ, encodeString(L"default")},
      {L"Plain", REG_SZ, encodeString(L"C:\\Program Files\\\"x\" \u00e9\U0001F600")},
      {L"Empty", REG_SZ, encodeString(L"")},
      {L"Lines", REG_SZ, encodeString(L"one\r\ntwo")},
      {L"NoTerminator", REG_SZ, std::string("a\0", 2)},
      {L"Expand", REG_EXPAND_SZ, encodeString(L"%SystemDrive%\\x")},
      {L"Dword", REG_DWORD, encodeDword(0xDEADBEEF)},
      {L"WideDword", REG_DWORD, std::string(8, '\x01')},
      {L"Qword", REG_QWORD, encodeQword(0x1122334455667788ull)},
      {L"Multi", REG_MULTI_SZ, encodeMultiString({L"a", L"b c"})},
      {L"Binary", REG_BINARY, std::string("\x00\xff\x10", 3)},
      {L"EmptyBinary", REG_BINARY, std::string()},
      {L"None", REG_NONE, std::string("\x01", 1)},
      {L"Odd\\\"Name\"", REG_SZ, encodeString(L"v")},
      {L"Big", REG_BINARY, std::string(300, '\x5a')},
  };
  for (const RegValue& v : values) RegStore::setValue(key, v.name, v.type, v.data);
  store.createKey(Root::CurrentUser, L"Software\\Empty Key");

  std::string text = formatRegText(store);
  RegStore back = loadRegText(text);
  ASSERT_EQ(back.keys().size(), 2u);
  EXPECT_EQ(back.keys()[1].root, Root::CurrentUser);
  EXPECT_EQ(back.keys()[1].path, L"Software\\Empty Key");
  const RegKeyRecord& read = back.keys()[0];
  ASSERT_EQ(read.values.size(), values.size());
  for (size_t i = 0; i < values.size(); ++i) {
    EXPECT_EQ(read.values[i].name, values[i].name);
    EXPECT_EQ(read.values[i].type, values[i].type) << wideToUtf8Lenient(values[i].name);
    EXPECT_EQ(read.values[i].data, values[i].data) << wideToUtf8Lenient(values[i].name);
  }
  // Writing what was read gives the same text.
  EXPECT_EQ(formatRegText(back), text);
}

TEST(RegFormat, WritesTheExportFormsWrappingLongHexLists) {
  RegStore store;
  RegKeyRecord& key = store.createKey(Root::LocalMachine, L"K");
  RegStore::setValue(key, L"", REG_SZ, encodeString(L"d"));
  RegStore::setValue(key, L"S", REG_SZ, encodeString(L"a\\b\"c"));
  RegStore::setValue(key, L"D", REG_DWORD, encodeDword(0x1F));
  RegStore::setValue(key, L"W", REG_DWORD, encodeQword(1));
  RegStore::setValue(key, L"E", REG_EXPAND_SZ, encodeString(L"%"));
  RegStore::setValue(key, L"B", REG_BINARY, std::string("\xab\x01", 2));
  RegStore::setValue(key, L"Q", REG_QWORD, encodeQword(2));
  EXPECT_EQ(formatRegText(store), kHeader +
                                      "[HKEY_LOCAL_MACHINE\\K]\n"
                                      "@=\"d\"\n"
                                      "\"S\"=\"a\\\\b\\\"c\"\n"
                                      "\"D\"=dword:0000001f\n"
                                      "\"W\"=hex(4):01,00,00,00,00,00,00,00\n"
                                      "\"E\"=hex(2):25,00,00,00\n"
                                      "\"B\"=hex:ab,01\n"
                                      "\"Q\"=hex(b):02,00,00,00,00,00,00,00\n"
                                      "\n");

  // Long hex lists are wrapped within the line width.
  RegStore::setValue(key, L"Big", REG_BINARY, std::string(200, '\x11'));
  std::string text = formatRegText(store);
  for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
    EXPECT_LE(end - start, 80u);
  EXPECT_NE(text.find(",\\\n  11,"), std::string::npos);
}

TEST(RegFormat, ReadsWhatWindowsExportsCarryInUtf8OrUtf16) {
  std::string text =
      "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n"
      "\r\n"
      "; a comment\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Halvo]\r\n"
      "@=\"unnamed\"\r\n"
      "\"Path\"=\"C:\\\\Halvo \\\"HCP\\\"\"\r\n"
      "\"Count\"=dword:0000000A\r\n"
      "\"Long\"=hex(2):25,00,48,00,\\\r\n"
      "  4f,00,00,00\r\n"
      "\"Raw\"=hex:01,02, 03\r\n"
      "   \"Indented\" = \"ok\"   \r\n"
      "[hkey_current_user\\Software\\X]\r\n";
  RegStore store = loadRegText(text);
  EXPECT_EQ(decodeString(valueOf(store, L"SOFTWARE\\Halvo", L"").data), L"unnamed");
  EXPECT_EQ(decodeString(valueOf(store, L"SOFTWARE\\Halvo", L"path").data), L"C:\\Halvo \"HCP\"");
  EXPECT_EQ(decodeDword(valueOf(store, L"SOFTWARE\\Halvo", L"Count").data), 10u);
  EXPECT_EQ(valueOf(store, L"SOFTWARE\\Halvo", L"Long").type, REG_EXPAND_SZ);
  EXPECT_EQ(decodeString(valueOf(store, L"SOFTWARE\\Halvo", L"Long").data), L"%HO");
  EXPECT_EQ(valueOf(store, L"SOFTWARE\\Halvo", L"Raw").data, "\x01\x02\x03");
  EXPECT_EQ(decodeString(valueOf(store, L"SOFTWARE\\Halvo", L"Indented").data), L"ok");
  EXPECT_TRUE(store.keyExists(Root::CurrentUser, L"Software\\X"));

  std::string body =
      wideToUtf16le(L"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\K]\r\n\"N\"=\"\u00e9\"\r\n");
  EXPECT_EQ(decodeString(valueOf(loadRegText("\xFF\xFE" + body), L"K", L"N").data), L"\u00e9");
}

TEST(RegFormat, EmptyTextIsNoKeysAndMalformedTextNamesTheLine) {
  EXPECT_TRUE(loadRegText("\n  \n").empty());
  EXPECT_TRUE(loadRegText(kHeader).empty());
  EXPECT_EQ(errorLine("REGEDIT4\n"), 1u);
  EXPECT_EQ(errorLine("; only a comment\n"), 1u);
  EXPECT_EQ(errorLine(kHeader + "\"v\"=\"before any key\"\n"), 3u);
  for (const char* key : {"[HKEY_LOCAL_MACHINE\\K", "[HKEY_CLASSES_ROOT\\K]", "[HKEY_LOCAL_MACHINE\\A\\\\B]"})
    EXPECT_EQ(errorLine(kHeader + key + "\n"), 3u) << key;
  for (const char* line : {"\"v\"=\"open", "\"v\"=\"bad \\escape\"", "\"v\"=\"x\" trailing", "\"v\"=dword:123456789",
                           "\"v\"=hex:01,\\\n  0g", "\"v\"=hex:01,\\", "stray", "\"v\"=\"\xff\""})
    EXPECT_EQ(errorLine(kHeader + "[HKEY_LOCAL_MACHINE\\K]\n" + line + "\n"), 4u) << line;
  EXPECT_EQ(errorLine(kHeader + "[-HKEY_LOCAL_MACHINE\\K]\n\"v\"=\"x\"\n"), 4u);
}

}  // namespace wc
