#include "redirector/isapi_redirector_config.h"

#include <gtest/gtest.h>

#include <functional>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "base/errors/os_error.h"
#include "base/errors/strict_convert.h"
#include "base/text/unicode.h"
#include "support/failures.h"
#include "support/sandbox.h"
#include "support/test_context.h"

namespace wc {

using testing_support::context;

namespace {

using testing_support::pathExists;
using testing_support::readFile;
using testing_support::TempDir;
using testing_support::writeFile;
using Edit = std::function<void(IsapiRedirectorConfig&)>;

// Joins lines with CR LF after each, the way every saved file looks.
std::string crlf(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

class RedirectorConfigTest : public ::testing::Test {
 protected:
  RedirectorConfigTest()
      : workers_(dir_ / "workers.properties"),
        uriMap_(dir_ / "uriworkermap.properties"),
        config_(context, utf8ToWideLenient(workers_), utf8ToWideLenient(uriMap_)) {}

  // Each edit runs on a file that holds `before` and must leave `after`.
  struct Case {
    const char* what;
    std::string before;
    Edit edit;
    std::string after;
  };
  void check(const std::string& file, const std::vector<Case>& cases) {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.what);
      writeFile(file, c.before);
      c.edit(config_);
      EXPECT_EQ(readFile(file), c.after);
    }
  }

  TempDir dir_;
  std::string workers_;
  std::string uriMap_;
  IsapiRedirectorConfig config_;
};

TEST_F(RedirectorConfigTest, WorkerEditsTouchOnlyTheirKeysInPlace) {
  const std::string added =
      crlf({"worker.list=ajp13,Ab_test", "worker.Ab_test.port=9008", "worker.Ab_test.host=127.0.0.1",
            "worker.Ab_test.type=ajp13", "worker.Ab_test.lbfactor=1"});
  check(workers_,
        {{"add on the install contents", "worker.list=ajp13\r\n", [](auto& c) { c.addWorker(L"Ab.test"); }, added},
         {"add again", added, [](auto& c) { c.addWorker(L"Ab.test"); }, added},
         {"remove it again", added, [](auto& c) { c.removeWorker(L"Ab.test"); }, "worker.list=ajp13\r\n"},
         {"add over existing keys",
          "# hand-written header\nworker.a_test.port=8009\ncustom.setting = keep me # really\n"
          "worker.list=ajp13,,other\nworker.a_test.port=7000\nworker.a_test.type=lb\nworker.A_test.host=case matters\n"
          "worker.a_test.lbfactor =blanks matter\nworker.other.port=1234\n",
          [](auto& c) { c.addWorker(L"a.test"); },
          crlf({"# hand-written header", "worker.a_test.port=9008", "custom.setting = keep me # really",
                "worker.list=ajp13,other,a_test",
                "worker.a_test.port=7000",  // only the first line of a key is touched
                "worker.a_test.type=ajp13", "worker.A_test.host=case matters", "worker.a_test.lbfactor =blanks matter",
                "worker.other.port=1234", "worker.a_test.host=127.0.0.1", "worker.a_test.lbfactor=1"})},
         {"add without a list", "# empty\r\n", [](auto& c) { c.addWorker(L"b.test"); },
          crlf({"# empty", "worker.list=b_test", "worker.b_test.port=9008", "worker.b_test.host=127.0.0.1",
                "worker.b_test.type=ajp13", "worker.b_test.lbfactor=1"})},
         {"remove every occurrence",
          crlf({"#c", "worker.list=x_test,y_test", "worker.x_test.port=9008", "worker.x_testing.port=9008",
                "worker.y_test.port=9008", "worker.x_test.host=127.0.0.1", "worker.x_test.port=1", "worker.list=x_test",
                "worker.x_test.type=ajp13", "worker.x_test.lbfactor=1", "worker.x_test.extra=kept"}),
          [](auto& c) { c.removeWorker(L"x.test"); },
          crlf({"#c", "worker.list=y_test", "worker.x_testing.port=9008", "worker.y_test.port=9008",
                "worker.list",  // an emptied list keeps its key
                "worker.x_test.extra=kept"})},
         {"rename",
          crlf({"worker.list=ajp13,o_test,p_test", "worker.o_test.port=9008", "worker.o_test.host=10.0.0.1", "# note",
                "worker.o_test.type=ajp13", "worker.o_test.lbfactor=5", "worker.o_test.extra=1", "worker.list=o_test"}),
          [](auto& c) { c.renameWorker(L"o_test", L"n_test"); },
          crlf({"worker.list=ajp13,n_test,p_test", "worker.n_test.port=9008", "worker.n_test.host=127.0.0.1", "# note",
                "worker.n_test.type=ajp13", "worker.n_test.lbfactor=5", "worker.o_test.extra=1",
                "worker.list=n_test"})}});
}

TEST_F(RedirectorConfigTest, MountEditsTouchOnlyTheirKeysInPlace) {
  // Non-ASCII application names are written in the code page.
  const std::string cafe = cstr(L"Caf\u00E9");
  check(uriMap_,
        {{"add appends in order", "", [](auto& c) { c.addWebAppMounts(L"Ab.test", {L"x.test"}, L"Shop"); },
          crlf({"/ab.test/Shop=Ab_test", "/ab.test/Shop/*=Ab_test", "/x.test/Shop=Ab_test", "/x.test/Shop/*=Ab_test"})},
         {"add over existing keys",
          crlf({"# mounts", "/x.test/Shop/*=stale", "/ab.test/Shop=other_worker", "/ab.test/Shop=second",
                "/ab.test/Shop2=other_worker"}),
          [](auto& c) { c.addWebAppMounts(L"AB.TEST", {L"X.Test"}, L"Shop"); },
          crlf({"# mounts", "/x.test/Shop/*=AB_TEST", "/ab.test/Shop=AB_TEST", "/ab.test/Shop=second",
                "/ab.test/Shop2=other_worker", "/ab.test/Shop/*=AB_TEST", "/x.test/Shop=AB_TEST"})},
         {"add with wildcard aliases and a non-ASCII name", "",
          // A wildcard alias comes with its "www." twin in a host's alias list.
          [](auto& c) {
            c.addWebAppMounts(L"Ab.test", {L"*.x.test", L"www.*.x.test"}, L"Caf\u00E9");
          },
          crlf({"/ab.test/" + cafe + "=Ab_test", "/ab.test/" + cafe + "/*=Ab_test", "/*.x.test/" + cafe + "=Ab_test",
                "/*.x.test/" + cafe + "/*=Ab_test", "/www.*.x.test/" + cafe + "=Ab_test",
                "/www.*.x.test/" + cafe + "/*=Ab_test"})},
         {"remove every occurrence",
          crlf({"/a.test/app=a_test", "/a.test/app/*=a_test", "/a.test/app2=a_test", "#/a.test/app=x",
                "/x.test/app=whatever", "/a.test/App=a_test", "/a.test/app=dup", "/y.test/app=a_test"}),
          [](auto& c) { c.removeWebAppMounts(L"a.test", {L"x.test"}, L"app"); },
          crlf({"/a.test/app2=a_test", "#/a.test/app=x", "/a.test/App=a_test", "/y.test/app=a_test"})},
         // The first host mount with a worker names the worker of every copy.
         {"alias mounts copy the host's",
          crlf({"/h.test/one=", "/h.test/one/*=h_test", "/other.test/x=o", "/h.test/two=later", "/al.test/one=old",
                "/h.testing/three=no"}),
          [](auto& c) {
            c.addAliasMounts(L"H.Test", {L"AL.test", L"www.al.test"});
          },
          crlf({"/h.test/one=", "/h.test/one/*=h_test", "/other.test/x=o", "/h.test/two=later", "/al.test/one=h_test",
                "/h.testing/three=no", "/al.test/one/*=h_test", "/al.test/two=h_test", "/www.al.test/one=h_test",
                "/www.al.test/one/*=h_test", "/www.al.test/two=h_test"})},
         {"alias mounts of a host without mounts", crlf({"# nothing here", "/other.test/x=o"}),
          [](auto& c) { c.addAliasMounts(L"h.test", {L"a.test"}); }, crlf({"# nothing here", "/other.test/x=o"})},
         {"alias removal keeps longer names",
          crlf({"/x.test/app=w", "/x.testing/app=w", "/x.test/app/*=w", "/x.test=w", "# /x.test/ comment",
                "/a.test/x.test/=w", "/www.x.test/app=w"}),
          [](auto& c) {
            c.removeAliasMounts({L"X.test", L"www.x.test"});
          },
          crlf({"/x.testing/app=w", "/x.test=w", "# /x.test/ comment", "/a.test/x.test/=w"})},
         {"rename moves the host's mounts", crlf({"/o.test/app=o_test", "/o.test/app/*=o_test"}),
          [](auto& c) { c.renameHostMounts(L"o.test", {}, L"n.test", {L"m.test"}, L"n_test"); },
          crlf({"/n.test/app=n_test", "/n.test/app/*=n_test", "/m.test/app=n_test", "/m.test/app/*=n_test"})},
         {"rename drops old alias mounts",
          crlf({"# top", "/O.test/case=kept", "/old-alias.test/app=o_test", "/o.test/a=o_test", "/keep.test/a=k",
                "/o.test/b/*=o_test", "/o.testing/a=kept"}),
          [](auto& c) {
            c.renameHostMounts(L"O.Test", {L"Old-Alias.test"}, L"N.test", {L"M1.test", L"m2.test"}, L"N_test");
          },
          crlf({"# top", "/O.test/case=kept", "/keep.test/a=k", "/o.testing/a=kept", "/n.test/a=N_test",
                "/n.test/b/*=N_test", "/m1.test/a=N_test", "/m1.test/b/*=N_test", "/m2.test/a=N_test",
                "/m2.test/b/*=N_test"})}});
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

// The same rule as the command line's: what it refuses is never written.
TEST_F(RedirectorConfigTest, NamesTheFilesCannotHoldAreRefusedWithoutChange) {
  writeFile(workers_, "worker.list=ajp13\n");
  writeFile(uriMap_, "/a.test/app=a_test\n");
  for (const wchar_t* host : {L"", L"a=b", L"a#b", L"a,b", L"a/b", L"a\r\nb", L"..", L"a b", L"b\u00FCcher.test"}) {
    EXPECT_THROW(config_.addWorker(host), ArgumentException);
    EXPECT_THROW(config_.removeWorker(host), ArgumentException);
  }
  const Edit refused[] = {
      [](auto& c) { c.renameWorker(L"a", L"b,c"); },
      [](auto& c) { c.renameWorker(L"a", L"b.c"); },
      [](auto& c) {
        c.addWebAppMounts(L"a.test", {L"ok.test", L"bad#alias"}, L"app");
      },
      [](auto& c) { c.addWebAppMounts(L"a.test", {}, L"a=pp"); },
      [](auto& c) { c.addWebAppMounts(L"a.test", {}, L""); },
      [](auto& c) { c.removeWebAppMounts(L"a.test", {L""}, L"app"); },
      [](auto& c) {
        c.addAliasMounts(L"a.test", {L"ok.test", L"b/c"});
      },
      [](auto& c) {
        c.removeAliasMounts({L"a.test", L"x\ny"});
      },
      [](auto& c) { c.renameHostMounts(L"a.test", {}, L"b.test", {}, L""); },
      [](auto& c) { c.addWebAppMounts(L"a.test", {}, L"../app"); },
      [](auto& c) { c.addWebAppMounts(L"a.test", {L"www.*.b/c"}, L"app"); },
      [](auto& c) { c.addAliasMounts(L"a.test", {L"\u00E9.test"}); },
  };
  for (const Edit& edit : refused) EXPECT_THROW(edit(config_), ArgumentException);
  EXPECT_EQ(readFile(workers_), "worker.list=ajp13\n");
  EXPECT_EQ(readFile(uriMap_), "/a.test/app=a_test\n");
  EXPECT_EQ(testing_support::failureOf<ArgumentException>([&] { config_.addWorker(L"a\n#b"); }).message(),
            L"Host name 'a\\n#b' cannot be written to the redirector files: only ASCII letters, "
            L"digits, '-', '_' and '.' may be used (internationalised names in their \"xn--\" form)");
}

// A run of edits with saves held writes each file once, at the end: edits
// build on each other in memory, and one that fails leaves the files alone.
TEST_F(RedirectorConfigTest, HeldEditsBuildOnEachOtherAndReachTheFilesOnlyWhenSaved) {
  writeFile(workers_, crlf({"# kept", "worker.list=ajp13", "worker.old_test.port=9008"}));
  writeFile(uriMap_, crlf({"/old.test/app=old_test", "/a.test/app=x_test", "/a.test/app=a_test"}));
  const std::string workersBefore = readFile(workers_);
  const std::string uriMapBefore = readFile(uriMap_);
  config_.holdSaves();
  config_.removeWorker(L"old.test");
  config_.addWorker(L"a.test");
  config_.addWorker(L"b.test");
  config_.removeMountLines({{"/old.test/app", "old_test"}, {"/a.test/app", "x_test"}});  // a_test's line stays
  config_.addAliasMounts(L"a.test", {L"www.a.test"});
  EXPECT_EQ(readFile(workers_), workersBefore);
  EXPECT_EQ(readFile(uriMap_), uriMapBefore);
  config_.saveHeldEdits();
  EXPECT_EQ(
      readFile(workers_),
      crlf({"# kept", "worker.list=ajp13,a_test,b_test", "worker.a_test.port=9008", "worker.a_test.host=127.0.0.1",
            "worker.a_test.type=ajp13", "worker.a_test.lbfactor=1", "worker.b_test.port=9008",
            "worker.b_test.host=127.0.0.1", "worker.b_test.type=ajp13", "worker.b_test.lbfactor=1"}));
  EXPECT_EQ(readFile(uriMap_), crlf({"/a.test/app=a_test", "/www.a.test/app=a_test"}));

  // Saves are not held any more; a new hold that fails part-way writes nothing.
  const std::string workersSaved = readFile(workers_);
  config_.holdSaves();
  config_.removeWorker(L"a.test");
  EXPECT_THROW(config_.addWebAppMounts(L"a.test", {}, L"a=pp"), ArgumentException);
  EXPECT_EQ(readFile(workers_), workersSaved);
}

// --add-alias adds the alias and its twin in one edit: on any file the result
// is that of one edit per name, in order, also where a name is the host itself
// and where mount lines have empty values, no '=' or another line end.
TEST_F(RedirectorConfigTest, AddingAliasMountsTogetherEqualsOneNameAfterTheOther) {
  TempDir otherDir;
  const std::string otherMap = otherDir / "uriworkermap.properties";
  IsapiRedirectorConfig oneByOne(context, utf8ToWideLenient(otherDir / "workers.properties"),
                                 utf8ToWideLenient(otherMap));
  struct Names {
    const wchar_t* host;
    std::vector<std::wstring> aliases;
  } namesCases[] = {{L"h.test", {L"a.test", L"www.a.test"}},
                    {L"h.test", {L"h.test", L"www.h.test"}},
                    {L"www.h.test", {L"h.test", L"www.h.test"}}};
  const char* const prefixes[] = {"/h.test/", "/www.h.test/", "/a.test/", "/www.a.test/", "/H.test/", "/x/"};
  const char* const rests[] = {"app", "app/*", "b", "", "app=", "app "};
  const char* const values[] = {"=h_test", "=", "=other", "", "= h_test", "=h_test=x"};
  const char* const ends[] = {"\r\n", "\n", "\r"};
  std::mt19937 random(20261207);
  auto pick = [&random](const auto& options) { return options[random() % std::size(options)]; };
  for (int round = 0; round < 150; ++round) {
    std::string text = round % 7 == 0 ? "# mounts\r\n" : "";
    for (int line = random() % 8; line > 0; --line) {
      text += std::string(pick(prefixes)) + pick(rests) + pick(values) + pick(ends);
    }
    if (round % 5 == 0 && !text.empty()) text.pop_back();  // no line end at the end
    const Names& names = namesCases[round % std::size(namesCases)];
    writeFile(uriMap_, text);
    writeFile(otherMap, text);
    config_.addAliasMounts(names.host, names.aliases);
    for (const std::wstring& alias : names.aliases) oneByOne.addAliasMounts(names.host, {alias});
    ASSERT_EQ(readFile(uriMap_), readFile(otherMap)) << "from:\n" << text;
  }
}

}  // namespace

}  // namespace wc
