// What only POSIX has: permission bits, owners and the umask, symbolic links
// as every user may make them, and mount points.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "base/errors/os_error.h"
#include "base/files/atomic_write.h"
#include "base/files/copy.h"
#include "base/files/directory.h"
#include "base/files/file_exist.h"
#include "base/files/file_system.h"
#include "base/files/recycler.h"
#include "base/files/rename.h"
#include "base/files/same_file.h"
#include "files_test_support.h"

namespace wc {

using namespace files_test;
namespace fs = std::filesystem;

namespace {

mode_t modeOf(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

TEST(PosixFiles, ModesAreAskedKeptAndCopiedWhateverTheUmaskAndTheRecyclerIsClosed) {
  Sandbox sandbox;
  const auto at = [&](const char* name) { return sandbox.path(name); };
  replaceFileAtomically(context, w(at("plain.xml")), "x");
  EXPECT_EQ(modeOf(at("plain.xml")), 0644u);
  writeFile(at("realm.xml"), "old");
  ASSERT_EQ(::chmod(at("realm.xml").c_str(), 0666), 0);
  const FilePermissions ownerAndGroup{0640, w(sandbox.root())};
  replaceFileAtomically(context, w(at("realm.xml")), "password", &ownerAndGroup);
  EXPECT_EQ(modeOf(at("realm.xml")), 0640u);
  replaceFileAtomically(context, w(at("realm.xml")), "new");
  EXPECT_EQ(modeOf(at("realm.xml")), 0640u);
  ASSERT_EQ(::chmod(at("plain.xml").c_str(), 0604), 0);
  copyFile(context, w(at("plain.xml")), w(at("copy.xml")), true);
  EXPECT_EQ(modeOf(at("copy.xml")), 0604u);

  makeDirectories(at("src/sub"));
  ASSERT_EQ(::chmod(at("src").c_str(), 0750), 0);
  FaultyFileSystem faults;
  const Context context = testContext(faults);
  faults.failWhen(FsCall::MoveFile, w(at("src")), ERROR_NOT_SAME_DEVICE, 0, 1);
  renameDir(context, w(at("src")), w(at("dst")), false);
  EXPECT_EQ(modeOf(at("dst")), 0750u);

  const mode_t oldMask = ::umask(0077);
  const DirectoryAccess access = DirectoryAccess::fullAccessForAdministratorsAndSystem();
  VDirectory::createDirectory(context, w(at("dst/new/deeper")), &access);
  ::umask(oldMask);
  EXPECT_EQ(modeOf(at("dst")), 0750u);
  EXPECT_EQ(modeOf(at("dst/new")), 0755u);
  EXPECT_EQ(modeOf(at("dst/new/deeper")), 0755u);
  struct stat st {};
  ASSERT_EQ(::stat(at("dst/new/deeper").c_str(), &st), 0);
  EXPECT_TRUE(::geteuid() != 0 || st.st_uid == 0u);
  recyclerDirectory(context, w(at("dst/file")));
  EXPECT_EQ(modeOf(at("Recycler/{86066D57-9347-46a7-B4DB-971D9EF36D29}")), 0700u);
}

TEST(PosixFiles, LinksAreFollowedAndAnAtomicWriteReplacesWhatTheyPointAt) {
  TempDir dir;
  fs::create_directory(dir / "real");
  writeFile(dir / "real/server.xml", "old");
  ASSERT_EQ(::chmod((dir / "real/server.xml").c_str(), 0640), 0);
  fs::create_symlink("real/server.xml", dir / "server.xml");  // relative, and reached through a second link
  fs::create_symlink(dir / "server.xml", dir / "chain.xml");
  replaceFileAtomically(context, w(dir / "chain.xml"), "new");
  EXPECT_TRUE(fs::is_symlink(dir / "chain.xml") && fs::is_symlink(dir / "server.xml"));
  EXPECT_EQ(readFile(dir / "real/server.xml"), "new");
  EXPECT_EQ(modeOf(dir / "real/server.xml"), 0640u);
  EXPECT_EQ(treeOf(dir / "real").size(), 1u);  // the temporary file was beside the target
  fs::create_symlink("real/new.xml", dir / "dangling.xml");
  replaceFileAtomically(context, w(dir / "dangling.xml"), "created");
  EXPECT_EQ(readFile(dir / "real/new.xml"), "created");
  fs::create_symlink("loop.xml", dir / "loop.xml");
  EXPECT_THROW(replaceFileAtomically(context, w(dir / "loop.xml"), "x"), vosexception);
  EXPECT_TRUE(fs::is_symlink(dir / "loop.xml"));

  fs::create_directory_symlink(dir / "real", dir / "link");
  bool isDirectory = false;
  EXPECT_TRUE(fileExist(context, w(dir / "link"), &isDirectory));
  EXPECT_TRUE(isDirectory);
  fs::create_symlink(dir / "nowhere", dir / "nowhere.xml");
  EXPECT_TRUE(fileExist(context, w(dir / "nowhere.xml"), &isDirectory));
  EXPECT_FALSE(isDirectory);
}

TEST(PosixFiles, VolumeRootIsTheLongestMountPoint) {
  std::wstring root;
  ASSERT_EQ(systemFileSystem().volumeRoot(L"/proc/self/status", root), ERROR_SUCCESS);
  EXPECT_EQ(root, L"/proc");
  ASSERT_EQ(systemFileSystem().volumeRoot(L"/proc/no/such/entry", root), ERROR_SUCCESS);
  EXPECT_EQ(root, L"/proc");
  ASSERT_EQ(systemFileSystem().volumeRoot(L"/", root), ERROR_SUCCESS);
  EXPECT_EQ(root, L"/");
}

// The check takes a started link's identity from the listing of its
// directory instead of a look at the link.
TEST(PosixFiles, AListingTellsTheIdentityOfEachEntryAsALookAtItWould) {
  TempDir dir;
  writeFile(dir / "shop.war", "PK");
  fs::create_hard_link(dir / "shop.war", dir / "link.war");
  fs::create_symlink(dir / "shop.war", dir / "symbolic.war");
  std::vector<DirectoryEntry> entries;
  ASSERT_EQ(systemFileSystem().listDirectory(w(dir.path()), entries), ERROR_SUCCESS);
  ASSERT_EQ(entries.size(), 3u);
  const FileIdentity file = *fileIdentity(w(dir / "shop.war"));
  for (const DirectoryEntry& entry : entries) {
    EXPECT_EQ(entry.volume, file.volume);
    // A symbolic link is a file of its own: its identity is not its target's.
    EXPECT_EQ(entry.fileNumber == file.index, entry.name != L"symbolic.war") << entry.name;
  }
}

// The system's name of a wide path is its UTF-8 form, however few of its
// characters are beyond ASCII.
TEST(PosixFiles, AWideNameIsItsUtf8Name) {
  TempDir dir;
  for (const char* name : {"caf\xc3\xa9.war", "\xe2\x82\xac.war", "\xf0\x9f\x8c\x8d.war"}) {
    writeFile(dir / name, name);
    EXPECT_EQ(fileIdentity(w(dir / name)).value().size, std::string(name).size()) << name;
  }
  EXPECT_FALSE(fileIdentity(w(dir / "caf\xc3\xa9.wa")));
}

}  // namespace

}  // namespace wc
