#include "redirector/vtextfile.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "base/errors/os_error.h"
#include "base/text/unicode.h"
#include "redirector/property_file.h"
#include "support/sandbox.h"

namespace {

using testing_support::pathExists;
using testing_support::readFile;
using testing_support::TempDir;
using testing_support::writeFile;
using Lines = std::vector<std::string>;
using namespace std::string_literals;

std::wstring wide(const std::string& path) { return utf8ToWideLenient(path); }

class TextFileTest : public ::testing::Test {
 protected:
  std::string path(const std::string& name = "file.properties") const { return dir_ / name; }

  Lines load(const std::string& bytes) {
    writeFile(path(), bytes);
    PropertyFile file;
    file.load(wide(path()));
    return file.lines();
  }

  std::string loadAndSave(const std::string& bytes) {
    writeFile(path(), bytes);
    PropertyFile file;
    file.load(wide(path()));
    file.save(wide(path("out")));
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
    SCOPED_TRACE(c.bytes);
    EXPECT_EQ(load(c.bytes), c.lines);
    EXPECT_EQ(loadAndSave(c.bytes), c.saved);
  }
}

TEST_F(TextFileTest, ReadChunkBordersAddNoLines) {
  // The CR is the last byte of the first 4096-byte chunk, the LF the first of
  // the second.
  const std::string first(4095, 'x');
  EXPECT_EQ(load(first + "\r\nsecond"), (Lines{first, "second"}));
  // A run of breaks over the border, and lines that straddle one or two.
  const std::string shorter(4094, 'y');
  const std::string longer(9000, 'w');
  EXPECT_EQ(load(shorter + "\r\n\n\r" + "z\r\n" + longer + "\nend"), (Lines{shorter, "z", longer, "end"}));
}

TEST_F(TextFileTest, SaveReplacesTheWholeFile) {
  writeFile(path(), std::string(10000, 'q'));
  const std::string huge(200000, 'h');  // larger than any write buffer
  PropertyFile file;
  file.appendLine("short");
  file.appendLine(huge);
  file.save(wide(path()));
  EXPECT_EQ(readFile(path()), "short\r\n" + huge + "\r\n");
}

TEST_F(TextFileTest, WalkStoresAndErasesInPlace) {
  PropertyFile file;
  for (const char* line : {"#head", "a=1", "drop=x", "b=2", "drop=y", "c#note", "drop"}) file.appendLine(line);
  Lines seen;
  file.walk([&](PropertyLine& line) {
    seen.push_back(line.key);
    if (line.key == "drop") return LineEdit::Erase;
    if (line.key == "b") {
      line.value = "20";
      return LineEdit::Store;
    }
    if (line.key == "c") {
      line.key = "renamed";
      return LineEdit::Store;
    }
    line.value = "ignored: the line is kept";
    return LineEdit::Keep;
  });
  EXPECT_EQ(seen, (Lines{"", "a", "drop", "b", "drop", "c", ""}));
  EXPECT_EQ(file.lines(), (Lines{"#head", "a=1", "b=20", "renamed#note", "drop"}));
  file.append(PropertyLine("k", ""));
  EXPECT_EQ(file.lines().back(), "k");
}

TEST_F(TextFileTest, WalkThatThrowsLeavesTheListWhole) {
  PropertyFile file;
  for (const char* line : {"a=1", "erase=1", "b=2", "stop=1", "c=3"}) file.appendLine(line);
  EXPECT_THROW(file.walk([](PropertyLine& line) {
    if (line.key == "erase") return LineEdit::Erase;
    if (line.key == "stop") throw std::runtime_error("stop");
    return LineEdit::Keep;
  }),
               std::runtime_error);
  EXPECT_EQ(file.lines(), (Lines{"a=1", "b=2", "stop=1", "c=3"}));
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
  file.load(wide(path()));
  file.walk([](PropertyLine& line) {
    if (line.key != "worker.ajp13.port") return LineEdit::Keep;
    line.value = "9008";
    return LineEdit::Store;
  });
  file.save(wide(path()));
  std::string expected = original;
  expected.replace(expected.find("8009"), 4, "9008");
  EXPECT_EQ(readFile(path()), expected);
}

TEST_F(TextFileTest, LargeFilesLoadAsTheyWereWrittenWhateverTheReadSizes) {
  // Lines and breaks across every power-of-two border up to a few MiB, where
  // reads and buffer growth could cut them.
  std::string bytes;
  Lines expected;
  for (size_t border = 4096; border <= (size_t{4} << 20); border *= 2) {
    const std::string filler(border - bytes.size() - 1, static_cast<char>('a' + expected.size() % 26));
    bytes += filler + "\r\n";  // CR the last byte before the border, LF the first after it
    expected.push_back(filler);
  }
  bytes += "tail without a break";
  expected.push_back("tail without a break");
  EXPECT_EQ(load(bytes), expected);
  EXPECT_EQ(loadAndSave(bytes), bytes + "\r\n");
}

TEST_F(TextFileTest, LoadReplacesEverythingHeldBefore) {
  writeFile(path(), "a=1\r\nb=2\r\n");
  PropertyFile file;
  file.appendLine("appended");
  file.load(wide(path()));
  file.walk([](PropertyLine& line) {
    line.value = "stored";
    return LineEdit::Store;
  });
  writeFile(path("other"), "c=3\n");
  file.load(wide(path("other")));
  EXPECT_EQ(file.lines(), (Lines{"c=3"}));
}

TEST_F(TextFileTest, StoredAndAppendedLinesKeepTheirTextAsTheFileGrows) {
  writeFile(path(), "k0=v\r\nplain\r\n");
  PropertyFile file;
  file.load(wide(path()));
  Lines expected = {"k0=stored", "plain"};
  file.walk([](PropertyLine& line) {
    if (line.key != "k0") return LineEdit::Keep;
    line.value = "stored";
    return LineEdit::Store;
  });
  // Short texts sit inside their string objects, long ones on the heap; both
  // must stay where the lines point however many lines follow.
  for (int i = 0; i < 2000; ++i) {
    std::string text = "k";
    text += std::to_string(i) + (i % 2 ? "=s" : "=a long value that does not fit in a small string");
    expected.push_back(text);
    if (i % 3)
      file.appendLine(text);
    else
      file.append(PropertyLine(text));
  }
  EXPECT_EQ(file.lines(), expected);
  file.save(wide(path("out")));
  std::string saved;
  for (const std::string& line : expected) saved += line + "\r\n";
  EXPECT_EQ(readFile(path("out")), saved);
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
        if (line.key == "w1") return LineEdit::Erase;
        if (line.key == "w2") {
          line.value = "v";
          return LineEdit::Store;
        }
        return LineEdit::Keep;
      });
  EXPECT_EQ(offered, (std::vector<std::string>{"", "w1", "x", "w2", "", "w3", "y"}));
  EXPECT_EQ(presented, (Lines{"w1=a", "w2#note", "w3=c"}));
  EXPECT_EQ(file.lines(), (Lines{"#w=comment", "x=b", "w2=v#note", "plain w", "w3=c", "y=w"}));
}

// The failure of `action`, which must be of class Exception.
template <class Exception, class Action>
Exception failureOf(Action action) {
  try {
    action();
  } catch (const Exception& e) {
    return e;
  }
  ADD_FAILURE() << "no exception of the expected class";
  return Exception(0, L"", vcallpoint{});
}

TEST_F(TextFileTest, MissingFileFailsToOpenForReading) {
  PropertyFile file;
  file.appendLine("stale");
  const std::string missing = path("missing.properties");
  auto e = failureOf<VFileNotFoundException>([&] { file.load(wide(missing)); });
  EXPECT_EQ(e.message(),
            L"The system cannot find the file specified. (Error code 2) at Open file '" + wide(missing) + L"' to read");
  ASSERT_EQ(e.callPoints().size(), 1u);
  EXPECT_EQ(e.callPoints()[0].function, "vtextfile<class vkeyvalue<35> >::load");
  EXPECT_TRUE(file.empty());
}

TEST_F(TextFileTest, UnwritableTargetFailsToOpenForWriting) {
  PropertyFile file;
  file.appendLine("a=b");
  const std::string target = path("no-such-dir/file.properties");
  auto e = failureOf<vosexception>([&] { file.save(wide(target)); });
  EXPECT_EQ(e.code(), ERROR_PATH_NOT_FOUND);
  EXPECT_NE(e.message().find(L"at Open file '" + wide(target) + L"' to write"), std::wstring::npos) << e.message();
  ASSERT_EQ(e.callPoints().size(), 1u);
  EXPECT_EQ(e.callPoints()[0].function, "vtextfile<class vkeyvalue<35> >::save");
}

TEST_F(TextFileTest, FailedReadsAndWritesNameTheFile) {
  // /dev/full takes no bytes; a process's memory cannot be read at offset 0.
  if (!pathExists("/dev/full") || !pathExists("/proc/self/mem")) GTEST_SKIP() << "no /dev/full or /proc here";
  PropertyFile file;
  file.appendLine("a=b");
  auto written = failureOf<vosexception>([&] { file.save(L"/dev/full"); });
  EXPECT_NE(written.message().find(L"at Write to file '/dev/full'"), std::wstring::npos) << written.message();
  EXPECT_EQ(written.callPoints().at(0).function, "vtextfile<class vkeyvalue<35> >::save");

  auto read = failureOf<vosexception>([&] { file.load(L"/proc/self/mem"); });
  EXPECT_NE(read.message().find(L"at Read from file '/proc/self/mem'"), std::wstring::npos) << read.message();
  EXPECT_EQ(read.callPoints().at(0).function, "vtextfile<class vkeyvalue<35> >::load");
}

}  // namespace
