// Forced removal: what is removed, what stays registered, which services are
// stopped and started again, and what happens to the scheduled task.

#include "base/removal/forced_removal.h"

#include <gtest/gtest.h>

#include "base/errors/win_error_codes.h"
#include "base/removal/removal_task.h"
#include "removal_test_support.h"
#include "support/failures.h"

namespace {

using namespace removal_test;
using testing_support::pathExists;
using testing_support::readFile;

constexpr int64_t kNow = 1'704'164'880;

class ForcedRemovalTest : public ::testing::Test {
 protected:
  RemovalEntry path(const std::string& id, const std::string& file, const std::wstring& service) {
    return RemovalEntry{w(id), w(file), UriType::Path, service};
  }
  void run(const std::wstring& service, bool keepStopped) {
    forceRemoval(w(machine.storageFile()), service, keepStopped);
  }
  std::vector<std::wstring> ids() const {
    std::vector<std::wstring> found;
    for (const RemovalEntry& e : machine.entries()) found.push_back(e.id);
    return found;
  }
  void schedule() {
    scheduleRemovalTask({2, 20}, [&] { return w(machine.productRoot()); });
    ASSERT_EQ(triggerLines(machine.cronFile()).size(), 2u);
  }

  RemovalMachine machine;
  FixedClock clock{kNow};
  FakeServices services;
  CapturedLog log;
};

TEST_F(ForcedRemovalTest, RemovesTheFilesAndFoldersOfTheServiceOnly) {
  const std::string war = machine.makeFile("hcp-wars/a.war");
  const std::string work = machine.makeFile("work/HCP/a/classes/x.class");
  const std::string other = machine.makeFile("other/file");
  machine.writeEntries({path("1", war, L"Tomcat"), path("2", machine.path("work/HCP/a"), L"tomcat"),
                        path("3", other, L"Other"), path("4", machine.path("never/there"), L"Tomcat")});
  run(L"Tomcat", false);

  EXPECT_FALSE(pathExists(war));
  EXPECT_FALSE(pathExists(machine.path("work/HCP/a")));
  EXPECT_TRUE(pathExists(machine.path("work/HCP")));
  EXPECT_TRUE(pathExists(other));
  EXPECT_EQ(ids(), std::vector<std::wstring>{L"3"});
  EXPECT_TRUE(log->contains(LOG_INFO, w("File " + war + " has been deleted"))) << n(log->all());
  EXPECT_TRUE(log->contains(LOG_INFO, w("Folder " + machine.path("work/HCP/a") + " has been deleted")))
      << n(log->all());
  EXPECT_EQ(log->count(LOG_ERROR, L""), 0) << n(log->all());
  EXPECT_TRUE(services.calls.empty());
}

TEST_F(ForcedRemovalTest, AnEmptyServiceNameRemovesEveryEntry) {
  const std::string a = machine.makeFile("a"), b = machine.makeFile("b"), c = machine.makeFile("c");
  machine.writeEntries({path("1", a, L"Tomcat"), path("2", b, L""), path("3", c, L"Other")});
  run(L"", false);
  EXPECT_FALSE(pathExists(a) || pathExists(b) || pathExists(c));
  EXPECT_TRUE(ids().empty());
}

TEST_F(ForcedRemovalTest, EmptyingTheStorageClearsTheTriggers) {
  schedule();
  machine.writeEntries({path("1", machine.makeFile("a"), L"Tomcat")});
  run(L"Tomcat", true);
  EXPECT_TRUE(ids().empty());
  EXPECT_TRUE(pathExists(machine.cronFile()));
  EXPECT_TRUE(triggerLines(machine.cronFile()).empty());
}

TEST_F(ForcedRemovalTest, EntriesLeftBehindKeepTheTriggers) {
  schedule();
  const std::string before = readFile(machine.cronFile());
  machine.writeEntries({path("1", machine.makeFile("a"), L"Tomcat"), path("2", machine.makeFile("b"), L"Other")});
  run(L"Tomcat", true);
  EXPECT_EQ(ids(), std::vector<std::wstring>{L"2"});
  EXPECT_EQ(readFile(machine.cronFile()), before);
}

TEST_F(ForcedRemovalTest, ALockedFileStopsItsRunningServiceWhichIsStartedAgain) {
  services.add(L"Tomcat", SERVICE_RUNNING);
  const std::string war = machine.makeFile("a.war");
  machine.writeEntries({path("1", war, L"Tomcat")});
  FaultyFileSystem files;
  // Locked until the service lets go: the first attempt and the forced one.
  files.failWhen(FsCall::DeleteFile, L"a.war", ERROR_SHARING_VIOLATION, 0, 2);
  run(L"Tomcat", false);

  EXPECT_FALSE(pathExists(war));
  EXPECT_TRUE(ids().empty());
  EXPECT_EQ(services.calls, (std::vector<std::wstring>{L"stop Tomcat", L"start Tomcat"}));
  EXPECT_EQ(services.states[L"Tomcat"], SERVICE_RUNNING);
  EXPECT_EQ(log->count(LOG_WARNING, L"Some not fatal error has been occured "), 1) << n(log->all());
  EXPECT_TRUE(log->contains(LOG_INFO, w("Service Tomcat has been stopped for delete file " + war))) << n(log->all());
  EXPECT_TRUE(log->contains(LOG_INFO, w("File " + war + " has been deleted")));
}

TEST_F(ForcedRemovalTest, AServiceThatMustStayStoppedIsNotStartedAgain) {
  services.add(L"Tomcat", SERVICE_RUNNING);
  const std::string war = machine.makeFile("a.war");
  machine.writeEntries({path("1", war, L"Tomcat")});
  FaultyFileSystem files;
  files.failWhen(FsCall::DeleteFile, L"a.war", ERROR_SHARING_VIOLATION, 0, 2);
  run(L"Tomcat", true);

  EXPECT_FALSE(pathExists(war));
  EXPECT_EQ(services.states[L"Tomcat"], SERVICE_STOPPED);
  // The stop for the locked file, then the stop for keeping it stopped.
  EXPECT_EQ(services.calls, (std::vector<std::wstring>{L"stop Tomcat", L"stop Tomcat"}));
}

TEST_F(ForcedRemovalTest, WithoutAServiceNameNothingIsKeptStopped) {
  services.add(L"Tomcat", SERVICE_STOPPED);
  services.add(L"Other", SERVICE_RUNNING);
  const std::string a = machine.makeFile("a"), b = machine.makeFile("b");
  machine.writeEntries({path("1", a, L"Tomcat"), path("2", b, L"Other")});
  FaultyFileSystem files;
  files.failWhen(FsCall::DeleteFile, w(machine.path("b")), ERROR_SHARING_VIOLATION, 0, 2);
  run(L"", true);  // without a name nothing is kept stopped

  EXPECT_TRUE(ids().empty());
  EXPECT_EQ(services.calls, (std::vector<std::wstring>{L"stop Other", L"start Other"}));
  EXPECT_EQ(services.states[L"Tomcat"], SERVICE_STOPPED);
}

TEST_F(ForcedRemovalTest, AStoppedServiceIsNotRecordedNorStarted) {
  services.add(L"Tomcat", SERVICE_STOPPED);
  const std::string war = machine.makeFile("a.war");
  machine.writeEntries({path("1", war, L"Tomcat")});
  FaultyFileSystem files;
  files.failWhen(FsCall::DeleteFile, L"a.war", ERROR_SHARING_VIOLATION, 0, 2);
  run(L"Tomcat", false);
  EXPECT_FALSE(pathExists(war));
  EXPECT_EQ(services.calls, std::vector<std::wstring>{L"stop Tomcat"});
  EXPECT_EQ(services.states[L"Tomcat"], SERVICE_STOPPED);
  EXPECT_EQ(log->count(LOG_INFO, L"has been stopped"), 0);
}

TEST_F(ForcedRemovalTest, AFileStillLockedAfterTheStopStaysRegistered) {
  services.add(L"Tomcat", SERVICE_RUNNING);
  schedule();
  const std::string war = machine.makeFile("a.war");
  machine.writeEntries({path("1", war, L"Tomcat")});
  FaultyFileSystem files;
  files.failWhen(FsCall::DeleteFile, L"a.war", ERROR_SHARING_VIOLATION);
  run(L"Tomcat", false);

  EXPECT_TRUE(pathExists(war));
  EXPECT_EQ(ids(), std::vector<std::wstring>{L"1"});
  EXPECT_EQ(triggerLines(machine.cronFile()).size(), 2u);
  EXPECT_EQ(log->count(LOG_ERROR, w("Unable delete file " + war + " even stop service Tomcat: ")), 1) << n(log->all());
  // It ran before: it runs again afterwards.
  EXPECT_EQ(services.calls, (std::vector<std::wstring>{L"stop Tomcat", L"start Tomcat"}));
}

TEST_F(ForcedRemovalTest, ALockedFileWithoutServiceIsNotRetriedWithAStopAndStays) {
  services.add(L"Tomcat", SERVICE_RUNNING);
  const std::string file = machine.makeFile("a");
  machine.writeEntries({path("1", file, L"")});
  FaultyFileSystem files;
  files.failWhen(FsCall::DeleteFile, w(machine.path("a")), ERROR_SHARING_VIOLATION);
  run(L"", false);

  EXPECT_TRUE(pathExists(file));
  EXPECT_EQ(ids(), std::vector<std::wstring>{L"1"});
  EXPECT_TRUE(services.opened.empty()) << "no service was asked about";
  EXPECT_EQ(files.count(FsCall::DeleteFile, w(machine.path("a"))), 2);  // the attempt and its forced repeat
  EXPECT_EQ(log->count(LOG_WARNING, L"Some not fatal error has been occured "), 1);
  EXPECT_EQ(log->count(LOG_ERROR, w("Unable delete file " + file +
                                    " even stop service : The process cannot access the file because it is being "
                                    "used by another process.")),
            1)
      << n(log->all());
}

TEST_F(ForcedRemovalTest, OtherFailuresStopNoServiceAndTheEntryStays) {
  services.add(L"Tomcat", SERVICE_RUNNING);
  const std::string dir = machine.path("app");
  machine.makeFile("app/inner/x");
  machine.writeEntries({path("1", dir, L"Tomcat")});
  FaultyFileSystem files;
  files.failWhen(FsCall::RemoveDirectory, L"app/inner", ERROR_ACCESS_DENIED);
  run(L"Tomcat", false);

  EXPECT_TRUE(pathExists(machine.path("app/inner")));
  EXPECT_EQ(ids(), std::vector<std::wstring>{L"1"});
  EXPECT_TRUE(services.calls.empty());
  EXPECT_EQ(log->count(LOG_ERROR, w("Unable delete file " + dir + " even stop service Tomcat: Access is denied.")), 1)
      << n(log->all());
}

TEST_F(ForcedRemovalTest, AServiceThatDoesNotExistLeavesTheLockedEntryRegistered) {
  const std::string war = machine.makeFile("a.war");
  machine.writeEntries({path("1", war, L"Gone")});
  FaultyFileSystem files;
  files.failWhen(FsCall::DeleteFile, L"a.war", ERROR_SHARING_VIOLATION, 0, 2);
  run(L"Gone", false);
  EXPECT_EQ(ids(), std::vector<std::wstring>{L"1"});
  EXPECT_EQ(log->count(LOG_ERROR, w("Unable delete file " + war + " even stop service Gone: ")), 1) << n(log->all());
}

TEST_F(ForcedRemovalTest, AServiceThatWillNotStartAgainIsLogged) {
  services.add(L"Tomcat", SERVICE_RUNNING);
  services.startErrors[L"Tomcat"] = ERROR_SERVICE_DISABLED;
  const std::string war = machine.makeFile("a.war");
  machine.writeEntries({path("1", war, L"Tomcat")});
  FaultyFileSystem files;
  files.failWhen(FsCall::DeleteFile, L"a.war", ERROR_SHARING_VIOLATION, 0, 2);
  run(L"Tomcat", false);
  EXPECT_TRUE(ids().empty());
  EXPECT_EQ(log->count(LOG_ERROR, L"Unable to start service Tomcat: "), 1) << n(log->all());
}

TEST_F(ForcedRemovalTest, EntriesRegisteredWhileTheRemovalRunsSurvive) {
  services.add(L"Tomcat", SERVICE_RUNNING);
  const std::string war = machine.makeFile("a.war");
  const RemovalEntry mine = path("1", war, L"Tomcat");
  const RemovalEntry theirs = path("2", machine.makeFile("b.war"), L"Tomcat");
  machine.writeEntries({mine});
  // Another process registers a path while the service is being stopped.
  services.onStop = [&] { machine.writeEntries({mine, theirs}); };
  FaultyFileSystem files;
  files.failWhen(FsCall::DeleteFile, L"a.war", ERROR_SHARING_VIOLATION, 0, 2);
  run(L"Tomcat", false);
  EXPECT_FALSE(pathExists(war));
  EXPECT_EQ(machine.entries(), std::vector<RemovalEntry>{theirs});
}

TEST_F(ForcedRemovalTest, UserEntriesAreReportedAndKept) {
  schedule();
  machine.writeEntries({RemovalEntry{L"u", L"guest", UriType::User, L""}});
  run(L"", false);
  EXPECT_EQ(ids(), std::vector<std::wstring>{L"u"});
  EXPECT_TRUE(log->contains(LOG_ERROR, L"Unable to delete user guest.")) << n(log->all());
  EXPECT_EQ(triggerLines(machine.cronFile()).size(), 2u);
}

TEST_F(ForcedRemovalTest, ABadStorageFailsBeforeAnythingIsRemoved) {
  const std::string war = machine.makeFile("a.war");
  const std::string text = "<Entries><Entry Id=\"1\" URI=\"" + war +
                           "\" URIType=\"Path\" Service=\"\"/><Entry Id=\"2\" URI=\"/x\" URIType=\"Disk\"/></Entries>";
  machine.writeStorageText(text);
  {
    const auto e = testing_support::failureOf<vexception>([&] { run(L"", false); });
    EXPECT_NE(e.message().find(L"Unable to load entry from XML"), std::wstring::npos) << n(e.fullText());
  }
  EXPECT_TRUE(pathExists(war));
  EXPECT_EQ(readFile(machine.storageFile()), text);
}

}  // namespace
