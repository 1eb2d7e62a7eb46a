#include "redirector/property_file_entries.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "support/failures.h"
#include "support/sandbox.h"

namespace wc {

namespace {

using namespace testing_support;
using Entries = std::vector<std::tuple<std::string, std::string, size_t>>;

TEST(PropertyFileEntries, AFileReadInPiecesGivesTheEntriesOfItsWholeText) {
  // Some pieces long, with lines and runs of breaks of every kind cut by the
  // pieces' ends, lines without a key, and one line longer than a piece.
  std::string text = "# header\r\n\r\n";
  const char* const breaks[] = {"\r\n", "\n", "\r", "\r\n\r\n", "\n\r"};
  for (size_t i = 0; text.size() < 2 * kTextPiece + 4096; ++i) {
    text += i % 7 == 0 ? "no key here" : "/h" + std::to_string(i) + ".test/app" + std::string(i % 13, 'x') + "=w";
    text += breaks[i % 5];
    if (i == 5000) text += "long=" + std::string(kTextPiece + 100, 'v') + "\r\n";
  }
  text += "last=without break";
  TempDir dir;
  writeFile(dir / "map.properties", text);

  Entries whole;
  forEachPropertyEntry(text, [&](const PropertyEntry& e) { whole.emplace_back(e.key, e.value, e.line); });
  Entries streamed;
  forEachPropertyEntryIn(w(dir / "map.properties"), "test",
                         [&](const PropertyEntry& e) { streamed.emplace_back(e.key, e.value, e.line); });
  ASSERT_GT(whole.size(), 30000u);
  EXPECT_EQ(streamed, whole);
  EXPECT_EQ(std::get<0>(streamed.back()), "last");

  const std::wstring missing = failureTextOf([&] { forEachPropertyEntryIn(w(dir / "none"), "test", [](auto&) {}); });
  EXPECT_NE(missing.find(L"Open file '" + w(dir / "none") + L"' to read"), std::wstring::npos) << missing;
}

}  // namespace

}  // namespace wc
