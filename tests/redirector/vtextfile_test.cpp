#include "redirector/vtextfile.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "base/errors/os_error.h"
#include "base/files/atomic_write.h"
#include "base/files/file.h"
#include "base/log/log.h"
#include "base/system/path_separator.h"
#include "redirector/property_file.h"
#include "support/failures.h"
#include "support/faulty_file_system.h"
#include "support/sandbox.h"
#include "support/service_fakes.h"

namespace wc {

namespace {

using namespace testing_support;
using Lines = std::vector<std::string>;
using namespace std::string_literals;

class TextFileTest : public ::testing::Test {
 protected:
  std::string path(const std::string& name = "file.properties") const { return dir_ / name; }

  // Loads `bytes` into `file` and returns what a save of it writes.
  std::string loadAndSave(const std::string& bytes, PropertyFile& file) {
    writeFile(path(), bytes);
    file.load(w(path()));
    file.save(context, w(path("out")));
    return readFile(path("out"));
  }

  TempDir dir_;
};

TEST_F(TextFileTest, RoundTripsGiveCrLfAfterEveryLine) {
  const struct {
    std::string bytes;
    Lines lines;
    std::string saved;
  } cases[] = {
      {"", {}, ""},
      {"a\r\n\r\n\r\nb", {"a", "b"}, "a\r\nb\r\n"},
      {"\r\na", {"", "a"}, "\r\na\r\n"},
      {"a\nb", {"a", "b"}, "a\r\nb\r\n"},
      // Bytes are kept as they are: no byte order mark, no code page.
      {"\xEF\xBB\xBFk=v\nname=\xC3\xA9t\xE9\nnul=a\0b"s,
       {"\xEF\xBB\xBFk=v", "name=\xC3\xA9t\xE9", "nul=a\0b"s},
       "\xEF\xBB\xBFk=v\r\nname=\xC3\xA9t\xE9\r\nnul=a\0b\r\n"s},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bytes.substr(0, 40));
    PropertyFile file;
    EXPECT_EQ(loadAndSave(c.bytes, file), c.saved);
    EXPECT_EQ(file.lines(), c.lines);
  }
}

TEST_F(TextFileTest, LargeFilesLoadAndSaveAsTheyWereWrittenWhateverTheBufferSizes) {
  // Lines and breaks across every power-of-two border up to a few MiB, where
  // reads and buffer growth could cut them.
  std::string bytes = "k=v\r\n";
  Lines expected = {"k=v"};
  for (size_t border = 4096; border <= (size_t{4} << 20); border *= 2) {
    const std::string filler(border - bytes.size() - 1, static_cast<char>('a' + expected.size() % 26));
    bytes += filler + "\r\n";  // CR the last byte before the border, LF the first after it
    expected.push_back(filler);
  }
  bytes += "tail without a break";
  expected.push_back("tail without a break");
  PropertyFile file;
  EXPECT_EQ(loadAndSave(bytes, file), bytes + "\r\n");
  EXPECT_EQ(file.lines(), expected);

  // A stored line before a long stretch, and a line longer than any write buffer.
  file.walkKeysStartingWith(
      {"k"}, [](std::string_view) { return true; },
      [](PropertyLine& line) {
        line.value = "stored";
        return LineEdit::Store;
      });
  const std::string huge(300000, 'h');
  file.appendLine(huge);
  file.save(context, w(path()));
  EXPECT_TRUE(readFile(path()) == "k=stored" + bytes.substr(3) + "\r\n" + huge + "\r\n");
}

TEST_F(TextFileTest, WalkStoresAndErasesInPlaceAndOneThatThrowsLeavesTheListWhole) {
  PropertyFile file;
  for (const char* line : {"#head", "a=1", "drop=x", "b=2", "drop=y", "c#note", "drop"}) file.appendLine(line);
  Lines seen;
  file.walk([&](PropertyLine& line) {
    seen.push_back(line.key);
    if (line.key == "drop") return LineEdit::Erase;
    if (line.key == "b") line.value = "20";
    if (line.key == "c") line.key = "renamed";
    if (line.key == "b" || line.key == "renamed") return LineEdit::Store;
    line.value = "ignored: the line is kept";
    return LineEdit::Keep;
  });
  EXPECT_EQ(seen, (Lines{"", "a", "drop", "b", "drop", "c", ""}));
  EXPECT_EQ(file.lines(), (Lines{"#head", "a=1", "b=20", "renamed#note", "drop"}));
  file.append(PropertyLine("k", ""));
  EXPECT_EQ(file.lines().back(), "k");

  EXPECT_THROW(file.walk([](PropertyLine& line) {
    if (line.key == "a") return LineEdit::Erase;
    if (line.key == "renamed") throw std::runtime_error("stop");
    return LineEdit::Keep;
  }),
               std::runtime_error);
  EXPECT_EQ(file.lines(), (Lines{"#head", "b=20", "renamed#note", "drop", "k"}));
}

TEST_F(TextFileTest, UneditedLinesSurviveAnEditByteForByte) {
  const std::string original =
      "# workers of the panel\r\n"
      "worker.list=ajp13\r\n"
      "  custom.key = spaced value # not a comment\r\n"
      "weird line without separators\r\n"
      "#x=y\r\n"
      "worker.ajp13.port=8009\r\n"
      "k=\r\n";  // would compose to "k" if it were touched
  writeFile(path(), original);
  PropertyFile file;
  file.load(w(path()));
  file.walk([](PropertyLine& line) {
    if (line.key == "worker.ajp13.port") line.value = "9008";
    return line.key == "worker.ajp13.port" ? LineEdit::Store : LineEdit::Keep;
  });
  file.save(context, w(path()));
  std::string expected = original;
  expected.replace(expected.find("8009"), 4, "9008");
  EXPECT_EQ(readFile(path()), expected);
}

TEST_F(TextFileTest, KeyFilteredWalkPresentsOnlyWantedLinesAndKeepsTheRest) {
  PropertyFile file;
  for (const char* line : {"#w=comment", "w1=a", "x=b", "w2#note", "plain w", "w3=c", "y=w"}) file.appendLine(line);
  std::vector<std::string> offered;
  Lines presented;
  file.walk(
      [&](std::string_view key) {
        offered.emplace_back(key);
        return !key.empty() && key[0] == 'w';
      },
      [&](PropertyLine& line) {
        presented.push_back(line.text);
        if (line.key == "w2") line.value = "v";
        return line.key == "w1" ? LineEdit::Erase : line.key == "w2" ? LineEdit::Store : LineEdit::Keep;
      });
  EXPECT_EQ(offered, (std::vector<std::string>{"", "w1", "x", "w2", "", "w3", "y"}));
  EXPECT_EQ(presented, (Lines{"w1=a", "w2#note", "w3=c"}));
  EXPECT_EQ(file.lines(), (Lines{"#w=comment", "x=b", "w2=v#note", "plain w", "w3=c", "y=w"}));
}

TEST_F(TextFileTest, FailuresNameTheFile) {
  PropertyFile file;
  file.appendLine("stale");
  const std::string missing = path("missing.properties");
  auto e = failureOf<VFileNotFoundException>([&] { file.load(w(missing)); });
  EXPECT_EQ(e.message(), osErrorText(ERROR_FILE_NOT_FOUND, (L"Open file '" + w(missing) + L"' to read").c_str()));
  ASSERT_EQ(e.callPoints().size(), 1u);
  EXPECT_EQ(e.callPoints()[0].function, "vtextfile<class vkeyvalue<35> >::load");
  EXPECT_TRUE(file.empty());

  file.appendLine("a=b");
  const std::string target = path("no-such-dir/file.properties");
  auto os = failureOf<vosexception>([&] { file.save(context, w(target)); });
  EXPECT_EQ(os.code(), ERROR_PATH_NOT_FOUND);
  EXPECT_TRUE(holds(os.message(), L"at Open file '" + w(target) + L"' to write"));
  ASSERT_EQ(os.callPoints().size(), 1u);
  EXPECT_EQ(os.callPoints()[0].function, "vtextfile<class vkeyvalue<35> >::save");
}

// A save that fails leaves the loaded file as it was: the edits noted beside
// it are saved by the next try. Should another process replace or rewrite the
// file meanwhile, the next try copies nothing from it.
TEST_F(TextFileTest, AfterAFailedSaveTheNextOneCopiesTheFileOnlyIfItIsStillTheOneLoaded) {
  FaultyFileSystem fs;
  const Context refusing = testContext(fs);
  auto loadEditAndFailToSave = [&](PropertyFile& file) {
    writeFile(path(), "a=1\r\nb=2\r\n");
    file.load(w(path()));
    file.walkKeysStartingWith(
        {"b"}, [](std::string_view) { return true; },
        [](PropertyLine& line) {
          line.value = "3";
          return LineEdit::Store;
        });
    fs.failWhen(FsCall::MoveFile, L".tmp", ERROR_WRITE_PROTECT, 0, 1);
    EXPECT_THROW(file.save(refusing, w(path())), vosexception);
    EXPECT_EQ(readFile(path()), "a=1\r\nb=2\r\n");
  };
  {
    PropertyFile file;
    loadEditAndFailToSave(file);
    file.save(context, w(path()));
    EXPECT_EQ(readFile(path()), "a=1\r\nb=3\r\n");
  }
  for (const bool replaced : {true, false}) {
    PropertyFile file;
    loadEditAndFailToSave(file);
    if (replaced) {
      replaceFileAtomically(context, w(path()), "c=9\r\nd=0\r\n");  // another file of the same size
    } else {
      writeFile(path(), "a=1\r\n");  // the same file, cut short
    }
    const std::string now = readFile(path());
    auto e = failureOf<vosexception>([&] { file.save(context, w(path())); });
    EXPECT_EQ(e.code(), ERROR_FILE_INVALID);
    EXPECT_TRUE(holds(e.message(), L"at Read from file '" + w(path()) + L"'"));
    EXPECT_EQ(readFile(path()), now);
    EXPECT_THROW(file.save(context, w(path())), vosexception);  // and stays refused
    EXPECT_EQ(namesIn(dir_.path()).size(), 1u);                 // no temporary file left
  }
}

// The redirector may hold a file open while a command saves it; no reader
// ever finds it cut short.
TEST_F(TextFileTest, ASaveReplacesTheFileWholeOrWritesOneHeldOpenInPlaceWithAWarning) {
  writeFile(path(), "worker.list=ajp13\r\n");
  PropertyFile file;
  file.load(w(path()));
  file.appendLine("worker.a_test.port=8009");
  fake::CapturedLog log;
  {
    // Shares reading and writing, not deletion: Windows refuses to replace
    // the file; POSIX renames over it.
    File holder;
    ASSERT_EQ(holder.open(w(path()), FILE_ACCESS_READ, FILE_SHARE_READ_ACCESS | FILE_SHARE_WRITE_ACCESS,
                          FileDisposition::OpenExisting),
              0u);
    file.save(context, w(path()));
  }
  EXPECT_EQ(readFile(path()), "worker.list=ajp13\r\nworker.a_test.port=8009\r\n");
  const bool refused = pathSeparator() == L'\\';
  EXPECT_EQ(log->count(LOG_WARNING, w(path())), refused ? 1 : 0);
  EXPECT_EQ(namesIn(dir_.path()).size(), 1u);  // no temporary file left

  // Nothing holds it now: replaced, no warning.
  file.appendLine("x=y");
  file.save(context, w(path()));
  EXPECT_EQ(log->count(LOG_WARNING, L""), refused ? 1 : 0);
  EXPECT_EQ(readFile(path()), "worker.list=ajp13\r\nworker.a_test.port=8009\r\nx=y\r\n");
}

}  // namespace

}  // namespace wc
