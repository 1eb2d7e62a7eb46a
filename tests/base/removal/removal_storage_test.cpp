// The removal storage file: its layout, reading it back, rejecting what it
// cannot hold, and commits that merge into a fresh copy.

#include "base/removal/removal_storage.h"

#include <gtest/gtest.h>

#include "base/errors/win_error_codes.h"
#include "base/removal/removal_storage_file.h"
#include "removal_test_support.h"
#include "support/faulty_file_system.h"

namespace wc {

namespace {

using namespace removal_test;
using testing_support::readFile;

RemovalEntry entry(const std::wstring& id, const std::wstring& uri, const std::wstring& service,
                   UriType type = UriType::Path) {
  return RemovalEntry{id, uri, type, service};
}

TEST(RemovalStorageFileTest, WritesOneElementPerEntryAndReadsItBackExactly) {
  RemovalMachine machine;
  EXPECT_TRUE(machine.entries().empty());  // a missing file holds none
  EXPECT_EQ(slashed(removalStoragePath(context)), w(machine.storageFile()));
  const std::vector<RemovalEntry> written = {
      entry(L"id-1", L"/srv/a b.war", L"Tomcat"),
      entry(L"id-2", L"guest", L"", UriType::User),
      entry(L"a", L"/srv/\"quoted\" & <angled> 'x'", L"Tom&cat"),
      entry(L"b", L"C:\\srv\\h\u00e4lvo\\\u65e5\u672c", L"Tomcat"),
  };
  machine.writeEntries(written);
  const std::string text = readFile(machine.storageFile());
  EXPECT_EQ(text.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>", 0), 0u) << text;
  EXPECT_NE(text.find("<Entries>\n  <Entry Id=\"id-1\" URI=\"/srv/a b.war\" URIType=\"Path\" Service=\"Tomcat\"/>\n"
                      "  <Entry Id=\"id-2\" URI=\"guest\" URIType=\"User\" Service=\"\"/>"),
            std::string::npos)
      << text;
  EXPECT_EQ(machine.entries(), written);

  // An entry without Service names none; comments are no entries.
  machine.writeStorageText("<Entries><!-- kept -->\n<Entry Id=\"1\" URI=\"/a\" URIType=\"User\"/></Entries>");
  EXPECT_EQ(machine.entries(), std::vector<RemovalEntry>{entry(L"1", L"/a", L"", UriType::User)});
  EXPECT_EQ(failureOf([] { uriTypeToString(static_cast<UriType>(0x1F)); }).substr(0, 36),
            L"Unable convert URI type to string 1F");

  machine.sandbox.writeRegistry(testing_support::kConfigSection);
  EXPECT_TRUE(holds(failureOf([] { removalStoragePath(context); }), L"PRODUCT_ROOT_D"));
}

TEST(RemovalStorageFileTest, RejectsMalformedFilesWithTheReason) {
  RemovalMachine machine;
  struct Case {
    std::string entries;
    std::wstring reason;
  } cases[] = {
      {R"(<Entry URI="/a" URIType="Path" Service=""/>)", L"Id is missing"},
      {R"(<Entry Id="1" URIType="Path" Service=""/>)", L"URI is missing"},
      {R"(<Entry Id="1" URI="/a" Service=""/>)", L"URIType is missing"},
      {R"(<Entry Id="1" URI="/a" URIType="File" Service=""/>)", L"Wrong URI type: File"},
      {R"(<Entry Id="" URI="/a" URIType="Path" Service=""/>)", L"Id is empty"},
      {R"(<Entry Id="1" URI="" URIType="Path" Service=""/>)", L"URI is empty"},
      {R"(<Entry Id="1" URI="/a" URIType="Path"/><Entry Id="1" URI="/b" URIType="Path"/>)", L"used twice"},
      {R"(<Entry Id="1" URI="/a" URIType="Path"/><Item Id="2"/>)", L"unexpected element <Item>"},
  };
  for (const Case& c : cases) {
    machine.writeStorageText("<?xml version=\"1.0\"?>\n<Entries>" + c.entries + "</Entries>\n");
    std::wstring failure = failureOf([&] { machine.entries(); });
    EXPECT_TRUE(holds(failure, L"Unable to load entry from XML")) << c.entries;
    EXPECT_TRUE(holds(failure, c.reason)) << c.entries;
  }
  machine.writeStorageText("<Other/>");
  EXPECT_TRUE(holds(failureOf([&] { machine.entries(); }), L"no <Entries> root element"));
  machine.writeStorageText("<Entries><Entry");
  EXPECT_TRUE(holds(failureOf([&] { machine.entries(); }), L"at load " + w(machine.storageFile())));
}

TEST(RemovalStorageTest, CommitKeepsWhatOthersRegisteredAfterTheLoad) {
  RemovalMachine machine;
  RemovalStorage empty(context, w(machine.storageFile()));
  empty.load();
  EXPECT_EQ(empty.commit(), 0u);
  EXPECT_FALSE(testing_support::pathExists(machine.storageFile())) << "a commit without changes writes nothing";

  machine.writeEntries({entry(L"mine", L"/a", L"Tomcat"), entry(L"stays", L"/b", L"Tomcat")});
  RemovalStorage storage(context, w(machine.storageFile()));
  storage.load();
  ASSERT_EQ(storage.entries().size(), 2u);

  // Another process registers a path between our load and our commit.
  machine.writeEntries(
      {entry(L"mine", L"/a", L"Tomcat"), entry(L"stays", L"/b", L"Tomcat"), entry(L"theirs", L"/c", L"Other")});
  storage.remove(L"mine");
  storage.add(entry(L"new", L"/d", L""));
  EXPECT_EQ(storage.commit(), 3u);

  const std::vector<RemovalEntry> expected = {entry(L"stays", L"/b", L"Tomcat"), entry(L"theirs", L"/c", L"Other"),
                                              entry(L"new", L"/d", L"")};
  EXPECT_EQ(machine.entries(), expected);
  EXPECT_EQ(storage.entries(), expected);

  // The pending changes are done with: a second commit changes nothing.
  machine.writeEntries({entry(L"mine", L"/a", L"Tomcat")});
  EXPECT_EQ(storage.commit(), 1u);
  EXPECT_EQ(machine.entries(), std::vector<RemovalEntry>{entry(L"mine", L"/a", L"Tomcat")});
}

TEST(RemovalStorageTest, AFailedWriteOrACorruptFileLeavesTheFileAndTheChangesForTheNextCommit) {
  RemovalMachine machine;
  machine.writeEntries({entry(L"old", L"/a", L"Tomcat")});
  const std::string before = readFile(machine.storageFile());
  FaultyFileSystem files;
  RemovalStorage storage(testContext(files), w(machine.storageFile()));
  storage.add(entry(L"new", L"/b", L"Tomcat"));
  files.failWhen(FsCall::WriteFile, L"DeferredRemovalStorage", ERROR_DISK_FULL, 0, 1);
  EXPECT_TRUE(holds(failureOf([&] { storage.commit(); }), L"DeferredRemovalStorage.xml"));
  EXPECT_EQ(readFile(machine.storageFile()), before);

  const std::string corrupt = "<Entries><Entry Id=\"1\" URI=\"/a\" URIType=\"Disk\"/></Entries>";
  machine.writeStorageText(corrupt);
  EXPECT_TRUE(holds(failureOf([&] { storage.commit(); }), L"Unable to load entry from XML"));
  EXPECT_EQ(readFile(machine.storageFile()), corrupt);

  machine.writeEntries({entry(L"old", L"/a", L"Tomcat")});
  EXPECT_EQ(storage.commit(), 2u);
}

}  // namespace

}  // namespace wc
