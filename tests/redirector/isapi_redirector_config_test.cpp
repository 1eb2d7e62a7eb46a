#include "redirector/isapi_redirector_config.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/errors/os_error.h"
#include "base/text/unicode.h"
#include "support/sandbox.h"

namespace {

using testing_support::pathExists;
using testing_support::readFile;
using testing_support::TempDir;
using testing_support::writeFile;

// Joins lines with CR LF after each, the way every saved file looks.
std::string crlf(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

// For texts too large for a readable diff: where they part, with a little
// context, or nothing when they are equal.
std::string firstDifference(const std::string& actual, const std::string& expected) {
  size_t at = 0;
  while (at < actual.size() && at < expected.size() && actual[at] == expected[at]) ++at;
  if (at == actual.size() && at == expected.size()) return "";
  const size_t from = at < 40 ? 0 : at - 40;
  return "at byte " + std::to_string(at) + ": actual '" + actual.substr(from, 80) + "', expected '" +
         expected.substr(from, 80) + "'";
}

class RedirectorConfigTest : public ::testing::Test {
 protected:
  RedirectorConfigTest()
      : workers_(dir_ / "workers.properties"),
        uriMap_(dir_ / "uriworkermap.properties"),
        config_(utf8ToWideLenient(workers_), utf8ToWideLenient(uriMap_)) {}

  TempDir dir_;
  std::string workers_;
  std::string uriMap_;
  IsapiRedirectorConfig config_;
};

// ---- workers.properties -------------------------------------------------

using WorkersTest = RedirectorConfigTest;

TEST_F(WorkersTest, AddWorkerOnTheInstallContentsOnceAndRemoveItAgain) {
  writeFile(workers_, "worker.list=ajp13\r\n");
  config_.addWorker(L"Ab.test");
  const std::string added =
      crlf({"worker.list=ajp13,Ab_test", "worker.Ab_test.port=9008", "worker.Ab_test.host=127.0.0.1",
            "worker.Ab_test.type=ajp13", "worker.Ab_test.lbfactor=1"});
  EXPECT_EQ(readFile(workers_), added);
  config_.addWorker(L"Ab.test");
  EXPECT_EQ(readFile(workers_), added);
  config_.removeWorker(L"Ab.test");
  EXPECT_EQ(readFile(workers_), "worker.list=ajp13\r\n");
}

TEST_F(WorkersTest, AddWorkerRewritesExistingKeysInPlace) {
  writeFile(workers_,
            "# hand-written header\n"
            "worker.a_test.port=8009\n"
            "custom.setting = keep me # really\n"
            "worker.list=ajp13,,other\n"
            "worker.a_test.port=7000\n"
            "worker.a_test.type=lb\n"
            "worker.A_test.host=case matters\n"
            "worker.a_test.lbfactor =blanks matter\n"
            "worker.other.port=1234\n");
  config_.addWorker(L"a.test");
  EXPECT_EQ(readFile(workers_), crlf({"# hand-written header", "worker.a_test.port=9008",
                                      "custom.setting = keep me # really", "worker.list=ajp13,other,a_test",
                                      "worker.a_test.port=7000",  // only the first line of a key is touched
                                      "worker.a_test.type=ajp13", "worker.A_test.host=case matters",
                                      "worker.a_test.lbfactor =blanks matter", "worker.other.port=1234",
                                      "worker.a_test.host=127.0.0.1", "worker.a_test.lbfactor=1"}));
}

TEST_F(WorkersTest, AddWorkerWithoutAListStartsOneWithTheWorkerAlone) {
  writeFile(workers_, "# empty\r\n");
  config_.addWorker(L"b.test");
  EXPECT_EQ(readFile(workers_),
            crlf({"# empty", "worker.list=b_test", "worker.b_test.port=9008", "worker.b_test.host=127.0.0.1",
                  "worker.b_test.type=ajp13", "worker.b_test.lbfactor=1"}));
}

TEST_F(WorkersTest, RemoveWorkerErasesEveryOccurrenceAndKeepsOthers) {
  writeFile(workers_, crlf({"#c", "worker.list=x_test,y_test", "worker.x_test.port=9008", "worker.x_testing.port=9008",
                            "worker.y_test.port=9008", "worker.x_test.host=127.0.0.1", "worker.x_test.port=1",
                            "worker.list=x_test", "worker.x_test.type=ajp13", "worker.x_test.lbfactor=1",
                            "worker.x_test.extra=kept"}));
  config_.removeWorker(L"x.test");
  EXPECT_EQ(readFile(workers_), crlf({"#c", "worker.list=y_test", "worker.x_testing.port=9008",
                                      "worker.y_test.port=9008", "worker.list",  // an emptied list keeps its key
                                      "worker.x_test.extra=kept"}));
}

TEST_F(WorkersTest, RenameWorkerRenamesKeysAndListInPlace) {
  writeFile(workers_, crlf({"worker.list=ajp13,o_test,p_test", "worker.o_test.port=9008", "worker.o_test.host=10.0.0.1",
                            "# note", "worker.o_test.type=ajp13", "worker.o_test.lbfactor=5", "worker.o_test.extra=1",
                            "worker.list=o_test"}));
  config_.renameWorker(L"o_test", L"n_test");
  EXPECT_EQ(readFile(workers_), crlf({"worker.list=ajp13,n_test,p_test", "worker.n_test.port=9008",
                                      "worker.n_test.host=127.0.0.1", "# note", "worker.n_test.type=ajp13",
                                      "worker.n_test.lbfactor=5", "worker.o_test.extra=1", "worker.list=n_test"}));
}

TEST_F(WorkersTest, NamesTheFileCannotHoldAreRefusedWithoutChange) {
  const std::string original = "worker.list=ajp13\n";
  writeFile(workers_, original);
  // The same rule as the command line's: what it refuses is never written.
  for (const wchar_t* host : {L"", L"a=b", L"a#b", L"a,b", L"a/b", L"a\r\nb", L"..", L"a b", L"b\u00FCcher.test"}) {
    EXPECT_THROW(config_.addWorker(host), ArgumentException);
    EXPECT_THROW(config_.removeWorker(host), ArgumentException);
  }
  EXPECT_THROW(config_.renameWorker(L"a", L"b,c"), ArgumentException);
  EXPECT_THROW(config_.renameWorker(L"a", L"b.c"), ArgumentException);
  EXPECT_EQ(readFile(workers_), original);
  try {
    config_.addWorker(L"a\n#b");
    FAIL();
  } catch (const ArgumentException& e) {
    EXPECT_EQ(e.message(),
              L"Host name 'a\\n#b' cannot be written to the redirector files: only ASCII letters, "
              L"digits, '-', '_' and '.' may be used (internationalised names in their \"xn--\" form)");
  }
}

TEST_F(WorkersTest, TenThousandWorkersAreAddedAndRemoved) {
  std::string list = "worker.list=ajp13";
  std::string expectedList = list;
  std::string body;
  std::string expectedBody;
  for (int i = 0; i < 10000; ++i) {
    std::string w = "h";
    w += std::to_string(i) + "_test";
    list += "," + w;
    if (i != 5000) expectedList += "," + w;
    for (const char* suffix : {".port=9008", ".host=127.0.0.1", ".type=ajp13", ".lbfactor=1"}) {
      body += "worker." + w + suffix + "\r\n";
      if (i != 5000) expectedBody += "worker." + w + suffix + "\r\n";
    }
  }
  writeFile(workers_, list + "\r\n" + body);
  config_.removeWorker(L"h5000.test");
  config_.addWorker(L"new.test");
  EXPECT_EQ(firstDifference(readFile(workers_), expectedList + ",new_test\r\n" + expectedBody +
                                                    crlf({"worker.new_test.port=9008", "worker.new_test.host=127.0.0.1",
                                                          "worker.new_test.type=ajp13", "worker.new_test.lbfactor=1"})),
            "");
}

// ---- uriworkermap.properties --------------------------------------------

using MountsTest = RedirectorConfigTest;

TEST_F(MountsTest, AddWebAppMountsAppendsInOrder) {
  writeFile(uriMap_, "");
  config_.addWebAppMounts(L"Ab.test", {L"x.test"}, L"Shop");
  EXPECT_EQ(readFile(uriMap_), crlf({"/ab.test/Shop=Ab_test", "/ab.test/Shop/*=Ab_test", "/x.test/Shop=Ab_test",
                                     "/x.test/Shop/*=Ab_test"}));
}

TEST_F(MountsTest, AddWebAppMountsRewritesExistingKeysInPlace) {
  writeFile(uriMap_, crlf({"# mounts", "/x.test/Shop/*=stale", "/ab.test/Shop=other_worker", "/ab.test/Shop=second",
                           "/ab.test/Shop2=other_worker"}));
  config_.addWebAppMounts(L"AB.TEST", {L"X.Test"}, L"Shop");
  EXPECT_EQ(readFile(uriMap_),
            crlf({"# mounts", "/x.test/Shop/*=AB_TEST", "/ab.test/Shop=AB_TEST", "/ab.test/Shop=second",
                  "/ab.test/Shop2=other_worker", "/ab.test/Shop/*=AB_TEST", "/x.test/Shop=AB_TEST"}));
}

TEST_F(MountsTest, RemoveWebAppMountsErasesEveryOccurrenceOfTheKeys) {
  writeFile(uriMap_, crlf({"/a.test/app=a_test", "/a.test/app/*=a_test", "/a.test/app2=a_test", "#/a.test/app=x",
                           "/x.test/app=whatever", "/a.test/App=a_test", "/a.test/app=dup", "/y.test/app=a_test"}));
  config_.removeWebAppMounts(L"a.test", {L"x.test"}, L"app");
  EXPECT_EQ(readFile(uriMap_),
            crlf({"/a.test/app2=a_test", "#/a.test/app=x", "/a.test/App=a_test", "/y.test/app=a_test"}));
}

TEST_F(MountsTest, AddAliasMountsCopiesTheHostsMounts) {
  // The first host mount with a worker names the worker of every copy.
  writeFile(uriMap_, crlf({"/h.test/one=", "/h.test/one/*=h_test", "/other.test/x=o", "/h.test/two=later",
                           "/al.test/one=old", "/h.testing/three=no"}));
  config_.addAliasMounts(L"H.Test", {L"AL.test", L"www.al.test"});
  EXPECT_EQ(readFile(uriMap_),
            crlf({"/h.test/one=", "/h.test/one/*=h_test", "/other.test/x=o", "/h.test/two=later", "/al.test/one=h_test",
                  "/h.testing/three=no", "/al.test/one/*=h_test", "/al.test/two=h_test", "/www.al.test/one=h_test",
                  "/www.al.test/one/*=h_test", "/www.al.test/two=h_test"}));
}

TEST_F(MountsTest, AddAliasMountsOfAHostWithoutMountsChangesNothing) {
  const std::string original = crlf({"# nothing here", "/other.test/x=o"});
  writeFile(uriMap_, original);
  config_.addAliasMounts(L"h.test", {L"a.test"});
  EXPECT_EQ(readFile(uriMap_), original);
}

TEST_F(MountsTest, RemoveAliasMountsKeepsLongerNames) {
  writeFile(uriMap_, crlf({"/x.test/app=w", "/x.testing/app=w", "/x.test/app/*=w", "/x.test=w", "# /x.test/ comment",
                           "/a.test/x.test/=w", "/www.x.test/app=w"}));
  config_.removeAliasMounts({L"X.test", L"www.x.test"});
  EXPECT_EQ(readFile(uriMap_), crlf({"/x.testing/app=w", "/x.test=w", "# /x.test/ comment", "/a.test/x.test/=w"}));
}

TEST_F(MountsTest, RenameHostMountsMovesTheHostsMounts) {
  writeFile(uriMap_, crlf({"/o.test/app=o_test", "/o.test/app/*=o_test"}));
  config_.renameHostMounts(L"o.test", {}, L"n.test", {L"m.test"}, L"n_test");
  EXPECT_EQ(readFile(uriMap_),
            crlf({"/n.test/app=n_test", "/n.test/app/*=n_test", "/m.test/app=n_test", "/m.test/app/*=n_test"}));
}

TEST_F(MountsTest, RenameHostMountsDropsOldAliasMountsAndKeepsTheRest) {
  writeFile(uriMap_, crlf({"# top", "/O.test/case=kept", "/old-alias.test/app=o_test", "/o.test/a=o_test",
                           "/keep.test/a=k", "/o.test/b/*=o_test", "/o.testing/a=kept"}));
  config_.renameHostMounts(L"O.Test", {L"Old-Alias.test"}, L"N.test", {L"M1.test", L"m2.test"}, L"N_test");
  EXPECT_EQ(readFile(uriMap_), crlf({"# top", "/O.test/case=kept", "/keep.test/a=k", "/o.testing/a=kept",
                                     "/n.test/a=N_test", "/n.test/b/*=N_test", "/m1.test/a=N_test",
                                     "/m1.test/b/*=N_test", "/m2.test/a=N_test", "/m2.test/b/*=N_test"}));
}

TEST_F(RedirectorConfigTest, MissingFilesFailTheAddingEditsOnly) {
  EXPECT_THROW(config_.addWorker(L"a.test"), VFileNotFoundException);
  EXPECT_THROW(config_.renameWorker(L"a_test", L"b_test"), VFileNotFoundException);
  EXPECT_THROW(config_.addWebAppMounts(L"a.test", {}, L"app"), VFileNotFoundException);
  EXPECT_THROW(config_.addAliasMounts(L"a.test", {L"b.test"}), VFileNotFoundException);
  EXPECT_THROW(config_.renameHostMounts(L"a.test", {}, L"b.test", {}, L"b_test"), VFileNotFoundException);
  EXPECT_NO_THROW(config_.removeWorker(L"a.test"));
  EXPECT_NO_THROW(config_.removeWebAppMounts(L"a.test", {L"b.test"}, L"app"));
  EXPECT_NO_THROW(config_.removeAliasMounts({L"b.test"}));
  EXPECT_FALSE(pathExists(workers_) || pathExists(uriMap_));
}

TEST_F(MountsTest, NamesTheFileCannotHoldAreRefusedWithoutChange) {
  const std::string original = "/a.test/app=a_test\n";
  writeFile(uriMap_, original);
  EXPECT_THROW(config_.addWebAppMounts(L"a.test", {L"ok.test", L"bad#alias"}, L"app"), ArgumentException);
  EXPECT_THROW(config_.addWebAppMounts(L"a.test", {}, L"a=pp"), ArgumentException);
  EXPECT_THROW(config_.addWebAppMounts(L"a.test", {}, L""), ArgumentException);
  EXPECT_THROW(config_.removeWebAppMounts(L"a.test", {L""}, L"app"), ArgumentException);
  EXPECT_THROW(config_.addAliasMounts(L"a.test", {L"ok.test", L"b/c"}), ArgumentException);
  EXPECT_THROW(config_.removeAliasMounts({L"a.test", L"x\ny"}), ArgumentException);
  EXPECT_THROW(config_.renameHostMounts(L"a.test", {}, L"b.test", {}, L""), ArgumentException);
  EXPECT_THROW(config_.addWebAppMounts(L"a.test", {}, L"../app"), ArgumentException);
  EXPECT_THROW(config_.addWebAppMounts(L"a.test", {L"www.*.b/c"}, L"app"), ArgumentException);
  EXPECT_THROW(config_.addAliasMounts(L"a.test", {L"\u00E9.test"}), ArgumentException);
  EXPECT_EQ(readFile(uriMap_), original);
}

TEST_F(MountsTest, WildcardAliasesAndNonAsciiApplicationNamesAreWritten) {
  writeFile(uriMap_, "");
  // A wildcard alias comes with its "www." twin in a host's alias list.
  config_.addWebAppMounts(L"Ab.test", {L"*.x.test", L"www.*.x.test"}, L"Caf\u00E9");
  EXPECT_EQ(readFile(uriMap_), crlf({"/ab.test/Caf\xC3\xA9=Ab_test", "/ab.test/Caf\xC3\xA9/*=Ab_test",
                                     "/*.x.test/Caf\xC3\xA9=Ab_test", "/*.x.test/Caf\xC3\xA9/*=Ab_test",
                                     "/www.*.x.test/Caf\xC3\xA9=Ab_test", "/www.*.x.test/Caf\xC3\xA9/*=Ab_test"}));
}

TEST_F(MountsTest, LargeMapIsEditedCorrectly) {
  // 200,000 lines: 1,000 hosts with 100 applications each, two mounts apiece.
  std::string map;
  for (int h = 0; h < 1000; ++h) {
    const std::string host = "h" + std::to_string(h) + ".test";
    for (int a = 0; a < 100; ++a) {
      const std::string key = "/" + host + "/app" + std::to_string(a);
      map += key + "=w\r\n" + key + "/*=w\r\n";
    }
  }
  writeFile(uriMap_, map);

  std::vector<std::wstring> manyAliases;
  for (int h = 0; h < 1000; h += 2) manyAliases.push_back(L"h" + std::to_wstring(h) + L".test");
  config_.removeWebAppMounts(L"h1.test", manyAliases, L"app7");  // 1,002 keys over 200,000 lines
  config_.removeAliasMounts({L"h999.test"});
  config_.renameHostMounts(L"h3.test", {L"h5.test"}, L"n.test", {}, L"n_test");
  config_.addAliasMounts(L"h7.test", {L"alias.test"});

  const std::string text = readFile(uriMap_);
  size_t lines = 0;
  for (char c : text) lines += c == '\n';
  // -2*501 (app7 under h1 and every even host), -200 (h999), -200 (h5),
  // h3's 200 lines move to n.test, +200 copies for alias.test.
  EXPECT_EQ(lines, 200000u - 1002 - 200 - 200 + 200);
  EXPECT_EQ(text.find("/h1.test/app7="), std::string::npos);
  EXPECT_EQ(text.find("/h998.test/app7/*="), std::string::npos);
  EXPECT_NE(text.find("\r\n/h997.test/app7=w\r\n"), std::string::npos);
  EXPECT_EQ(text.find("/h999.test/"), std::string::npos);
  EXPECT_EQ(text.find("/h3.test/"), std::string::npos);
  EXPECT_EQ(text.find("/h5.test/"), std::string::npos);
  EXPECT_NE(text.find("\r\n/n.test/app99/*=n_test\r\n/alias.test/app0=w\r\n"), std::string::npos);
  EXPECT_NE(text.find("\r\n/alias.test/app99/*=w\r\n"), std::string::npos);
}

}  // namespace
