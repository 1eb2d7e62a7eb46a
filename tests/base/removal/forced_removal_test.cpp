// Forced removal: what is removed, what stays registered, and which services
// are stopped and started again (the scheduled task: halvo_srv_client_removal_test).

#include "base/removal/forced_removal.h"

#include <gtest/gtest.h>

#include <iostream>
#include <set>

#include "base/errors/os_error.h"
#include "base/errors/win_error_codes.h"
#include "base/removal/local_user.h"
#include "removal_test_support.h"
#include "support/faulty_file_system.h"

namespace wc {

namespace {

using namespace removal_test;
using testing_support::pathExists;

// Local accounts, so that none of the machine's own is ever touched:
// deletions are recorded, and the names in `refused` fail.
struct FakeAccounts : LocalUsers {
  void deleteUser(const std::wstring& name) override {
    deleted.push_back(name);
    if (refused.count(name)) throw vexception(L"refused " + name, VCALLPOINT(L"", "FakeAccounts"));
  }
  std::vector<std::wstring> deleted;
  std::set<std::wstring> refused;
};

class ForcedRemovalTest : public ::testing::Test {
 protected:
  void TearDown() override {
    if (HasFailure()) std::cout << "The log:\n" << wideToUtf8Lenient(log->all());
  }
  RemovalEntry path(const std::string& id, const std::string& file, const std::wstring& service) {
    return RemovalEntry{w(id), w(file), UriType::Path, service};
  }
  void run(const std::wstring& service, bool keepStopped, FileSystem& files = systemFileSystem()) {
    forceRemoval(testContext(clock, services, accounts, files), w(machine.storageFile()), service, keepStopped);
  }
  std::vector<std::wstring> ids() const {
    std::vector<std::wstring> found;
    for (const RemovalEntry& e : machine.entries()) found.push_back(e.id);
    return found;
  }
  // The stop and start requests, without the opens around them.
  std::vector<std::wstring> requests() const {
    std::vector<std::wstring> found = services.callsOf(L"control");
    for (const std::wstring& start : services.callsOf(L"start")) found.push_back(start);
    return found;
  }

  RemovalMachine machine;
  FixedClock clock;
  fake::ServiceManager services{clock};
  FakeAccounts accounts;
  CapturedLog log;
};

TEST_F(ForcedRemovalTest, RemovesTheFilesFoldersAndAccountsOfTheServiceOnly) {
  const std::string war = machine.makeFile("hcp-wars/a.war");
  const std::string work = machine.makeFile("work/HCP/a/classes/x.class");
  const std::string other = machine.makeFile("other/file");
  machine.writeEntries({path("1", war, L"Tomcat"), path("2", machine.path("work/HCP/a"), L"tomcat"),
                        path("3", other, L"Other"), path("4", machine.path("never/there"), L"Tomcat"),
                        RemovalEntry{L"5", L"tomcat-user", UriType::User, L"Tomcat"}});
  run(L"Tomcat", false);

  EXPECT_FALSE(pathExists(war));
  EXPECT_FALSE(pathExists(machine.path("work/HCP/a")));
  EXPECT_TRUE(pathExists(machine.path("work/HCP")));
  EXPECT_TRUE(pathExists(other));
  EXPECT_EQ(accounts.deleted, std::vector<std::wstring>{L"tomcat-user"});
  EXPECT_EQ(ids(), std::vector<std::wstring>{L"3"});
  EXPECT_TRUE(log->contains(LOG_INFO, w("File " + war + " has been deleted")));
  EXPECT_TRUE(log->contains(LOG_INFO, w("Folder " + machine.path("work/HCP/a") + " has been deleted")));
  EXPECT_EQ(log->count(LOG_ERROR, L""), 0);
  EXPECT_TRUE(services.calls.empty());
}

TEST_F(ForcedRemovalTest, ALockedFileIsRetriedWithItsServiceStopped) {
  const std::wstring stop = L"control Tomcat 1", start = L"start Tomcat";
  const std::wstring unremoved = L" even stop service Tomcat: ", unstarted = L"Unable to start service Tomcat: ";
  struct Case {
    const char* what;
    uint32_t state;  // 0: no such service
    bool keepStopped;
    int lockedDeletes;  // -1: locked throughout
    uint32_t startError;
    std::vector<std::wstring> requests;
    uint32_t finalState;
    bool stays;
    std::wstring error;  // part of the one error logged, if any
  } cases[] = {
      {"running: started again", SERVICE_RUNNING, false, 2, 0, {stop, start}, SERVICE_RUNNING, false, L""},
      {"must stay stopped", SERVICE_RUNNING, true, 2, 0, {stop, stop}, SERVICE_STOPPED, false, L""},
      {"stopped: not started", SERVICE_STOPPED, false, 2, 0, {stop}, SERVICE_STOPPED, false, L""},
      {"locked after the stop", SERVICE_RUNNING, false, -1, 0, {stop, start}, SERVICE_RUNNING, true, unremoved},
      {"disabled", SERVICE_RUNNING, false, 2, ERROR_SERVICE_DISABLED, {stop, start}, SERVICE_STOPPED, false, unstarted},
      {"no such service", 0, false, 2, 0, {}, 0, true, unremoved},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    services.clear();
    log->lines.clear();
    if (c.state) services.add(L"Tomcat", c.state).startError = c.startError;
    const std::string war = machine.makeFile("a.war");
    machine.writeEntries({path("1", war, L"Tomcat")});
    FaultyFileSystem files;
    files.failWhen(FsCall::DeleteFile, L"a.war", ERROR_SHARING_VIOLATION, 0, c.lockedDeletes);
    run(L"Tomcat", c.keepStopped, files);

    EXPECT_EQ(pathExists(war), c.stays);
    EXPECT_EQ(ids(), c.stays ? std::vector<std::wstring>{L"1"} : std::vector<std::wstring>{});
    EXPECT_EQ(requests(), c.requests);
    if (c.state) {
      EXPECT_EQ(services[L"Tomcat"].status.currentState, c.finalState);
    }
    EXPECT_EQ(log->count(LOG_WARNING, L"Some not fatal error has been occured "), 1);
    const bool stopped = c.state == SERVICE_RUNNING;
    EXPECT_EQ(log->contains(LOG_INFO, w("Service Tomcat has been stopped for delete file " + war)), stopped);
    EXPECT_EQ(log->count(LOG_ERROR, L""), c.error.empty() ? 0 : 1);
    EXPECT_EQ(log->count(LOG_ERROR, c.error), c.error.empty() ? 0 : 1);
  }
}

TEST_F(ForcedRemovalTest, WithoutAServiceNameEveryEntryIsTriedNothingIsKeptStoppedAndOnlyALockedFileStopsItsService) {
  services.add(L"Tomcat", SERVICE_STOPPED);
  services.add(L"Other", SERVICE_RUNNING);
  services.add(L"Third", SERVICE_RUNNING);
  const std::string a = machine.makeFile("a"), b = machine.makeFile("locked-b"), c = machine.makeFile("locked-c");
  const std::string dir = machine.path("app");
  machine.makeFile("app/inner/x");
  accounts.refused = {L"someone"};
  machine.writeEntries({path("1", a, L"Tomcat"), path("2", b, L"Other"), path("3", c, L""), path("4", dir, L"Third"),
                        RemovalEntry{L"5", L"someone", UriType::User, L""}});
  FaultyFileSystem files;
  files.failWhen(FsCall::DeleteFile, L"locked-b", ERROR_SHARING_VIOLATION, 0, 2);
  files.failWhen(FsCall::DeleteFile, L"locked-c", ERROR_SHARING_VIOLATION);
  files.failWhen(FsCall::RemoveDirectory, L"inner", ERROR_ACCESS_DENIED);
  run(L"", true, files);

  EXPECT_EQ(ids(), (std::vector<std::wstring>{L"3", L"4", L"5"}));
  EXPECT_TRUE(log->contains(LOG_ERROR, L"Unable to delete user someone."));
  EXPECT_EQ(requests(), (std::vector<std::wstring>{L"control Other 1", L"start Other"}));
  EXPECT_EQ(services[L"Tomcat"].status.currentState, SERVICE_STOPPED);
  EXPECT_EQ(files.count(FsCall::DeleteFile, L"locked-c"), 2);  // the attempt and its forced repeat
  EXPECT_TRUE(pathExists(machine.path("app/inner")));
  auto failure = [](const std::string& path, const std::string& service, uint32_t code) {
    return w("Unable delete file " + path + " even stop service " + service + ": ") + *systemMessageText(code);
  };
  EXPECT_EQ(log->count(LOG_ERROR, failure(c, "", ERROR_SHARING_VIOLATION)), 1);
  EXPECT_EQ(log->count(LOG_ERROR, failure(dir, "Third", ERROR_ACCESS_DENIED)), 1);
}

TEST_F(ForcedRemovalTest, EntriesRegisteredWhileTheRemovalRunsSurvive) {
  const std::string war = machine.makeFile("a.war");
  const RemovalEntry mine = path("1", war, L"Tomcat");
  const RemovalEntry theirs = path("2", machine.makeFile("b.war"), L"Tomcat");
  machine.writeEntries({mine});
  // Another process registers a path while the service is being stopped.
  services.add(L"Tomcat", SERVICE_RUNNING).onControl = [&](fake::Service& s, uint32_t) {
    s.status.currentState = SERVICE_STOPPED;
    machine.writeEntries({mine, theirs});
  };
  FaultyFileSystem files;
  files.failWhen(FsCall::DeleteFile, L"a.war", ERROR_SHARING_VIOLATION, 0, 2);
  run(L"Tomcat", false, files);
  EXPECT_FALSE(pathExists(war));
  EXPECT_EQ(machine.entries(), std::vector<RemovalEntry>{theirs});
}

}  // namespace

}  // namespace wc
