#include "base/registry/reg_store.h"

#include <gtest/gtest.h>

#include "base/registry/reg_format.h"
#include "base/registry/value_data.h"

namespace wc {

using namespace registry;

namespace {

std::vector<std::wstring> keyPaths(const RegStore& store) {
  std::vector<std::wstring> paths;
  for (const RegKeyRecord& k : store.keys()) paths.push_back(rootName(k.root) + L"\\" + k.path);
  return paths;
}

}  // namespace

TEST(KeyPath, Normalisation) {
  EXPECT_EQ(normalizedKeyPath(L"SOFTWARE\\Halvo\\"), L"SOFTWARE\\Halvo");
  EXPECT_EQ(normalizedKeyPath(L""), L"");
  EXPECT_EQ(normalizedKeyPath(L"\\"), L"");
  EXPECT_FALSE(normalizedKeyPath(L"\\SOFTWARE"));
  EXPECT_FALSE(normalizedKeyPath(L"SOFTWARE\\\\Halvo"));
  EXPECT_FALSE(normalizedKeyPath(L"SOFTWARE\\Halvo\\\\"));
  EXPECT_FALSE(normalizedKeyPath(L"SOFT\nWARE"));
}

TEST(RegStore, ParentsExistImplicitlyAndNewKeysJoinTheirTree) {
  RegStore store;
  store.createKey(Root::LocalMachine, L"A\\B\\C");
  store.createKey(Root::LocalMachine, L"A\\b\\D");
  store.createKey(Root::LocalMachine, L"A\\E");
  EXPECT_TRUE(store.keyExists(Root::LocalMachine, L"a\\b"));
  EXPECT_TRUE(store.keyExists(Root::LocalMachine, L""));
  EXPECT_FALSE(store.keyExists(Root::LocalMachine, L"A\\BC"));  // a prefix of a name is not a key
  EXPECT_EQ(store.findKey(Root::LocalMachine, L"A\\B"), nullptr);
  EXPECT_EQ(store.subKeyNames(Root::LocalMachine, L"A"), (std::vector<std::wstring>{L"B", L"E"}));
  EXPECT_EQ(store.subKeyNames(Root::LocalMachine, L"a\\B"), (std::vector<std::wstring>{L"C", L"D"}));
  EXPECT_EQ(store.subKeyNames(Root::LocalMachine, L""), std::vector<std::wstring>{L"A"});
  EXPECT_TRUE(store.subKeyNames(Root::LocalMachine, L"A\\E").empty());

  RegStore joined;  // new keys join their tree
  joined.createKey(Root::LocalMachine, L"A\\X");
  joined.createKey(Root::LocalMachine, L"B");
  joined.createKey(Root::LocalMachine, L"A\\Y");  // after the rest of A's tree
  joined.createKey(Root::LocalMachine, L"B\\Z\\1");
  joined.createKey(Root::LocalMachine, L"B\\Z");  // before its child
  EXPECT_EQ(keyPaths(joined), (std::vector<std::wstring>{L"HKEY_LOCAL_MACHINE\\A\\X", L"HKEY_LOCAL_MACHINE\\A\\Y",
                                                         L"HKEY_LOCAL_MACHINE\\B", L"HKEY_LOCAL_MACHINE\\B\\Z",
                                                         L"HKEY_LOCAL_MACHINE\\B\\Z\\1"}));
}

TEST(RegStore, DeletingATreeKeepsItsParent) {
  RegStore store;
  store.createKey(Root::LocalMachine, L"A\\B\\C");
  store.createKey(Root::LocalMachine, L"A\\BB");
  EXPECT_TRUE(store.deleteTree(Root::LocalMachine, L"a\\b"));
  EXPECT_FALSE(store.keyExists(Root::LocalMachine, L"A\\B\\C"));
  EXPECT_FALSE(store.keyExists(Root::LocalMachine, L"A\\B"));
  EXPECT_TRUE(store.keyExists(Root::LocalMachine, L"A\\BB"));  // only a name that starts alike
  EXPECT_FALSE(store.deleteTree(Root::LocalMachine, L"A\\B"));

  RegStore single;
  single.createKey(Root::LocalMachine, L"P\\Q");
  EXPECT_TRUE(single.deleteTree(Root::LocalMachine, L"P\\Q"));
  EXPECT_TRUE(single.keyExists(Root::LocalMachine, L"P"));  // was implicit, now named
}

TEST(RegStore, ApplyingTheEditsOfAnImport) {
  RegStore store;
  RegKeyRecord& key = store.createKey(Root::LocalMachine, L"K");
  RegStore::setValue(key, L"keep", REG_SZ, encodeString(L"1"));
  RegStore::setValue(key, L"drop", REG_SZ, encodeString(L"2"));
  store.createKey(Root::LocalMachine, L"Gone\\Child");
  store.apply(parseRegText(
      "Windows Registry Editor Version 5.00\n\n[-HKEY_LOCAL_MACHINE\\gone]\n[HKEY_LOCAL_MACHINE\\k]\n\"DROP\"=-\n"
      "\"new\"=dword:00000007\n[HKEY_CURRENT_USER\\Fresh]\n"));
  const RegKeyRecord* k = store.findKey(Root::LocalMachine, L"K");
  ASSERT_EQ(k->values.size(), 2u);
  EXPECT_EQ(k->values[0].name, L"keep");
  EXPECT_EQ(k->values[1].name, L"new");
  EXPECT_FALSE(store.keyExists(Root::LocalMachine, L"Gone"));
  EXPECT_TRUE(store.keyExists(Root::CurrentUser, L"Fresh"));
}

}  // namespace wc
