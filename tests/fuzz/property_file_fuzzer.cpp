// The redirector's key=value files: any bytes as workers.properties or
// uriworkermap.properties. Loading cuts the lines as documented however the
// bytes arrive, a line that is not edited survives every edit byte for byte,
// each edit leaves the keys it promises, and an edit that fails leaves the
// file exactly as it was.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/errors/vexception.h"
#include "base/log/log_manager.h"
#include "base/text/unicode.h"
#include "fuzz_check.h"
#include "panel/property_lines.h"
#include "redirector/isapi_redirector_config.h"
#include "redirector/property_file.h"

namespace wc {

using fuzzing::check;

namespace {

const Context context = processMachine();

using Lines = std::vector<std::string>;

// The documented cut, written out plainly: a break is a maximal run of CR and
// LF bytes; the text before the first break is a line even when empty; text
// after the last break is a line only when it is not empty.
Lines referenceLines(std::string_view bytes) {
  Lines lines;
  size_t pos = 0;
  while (pos < bytes.size()) {
    const size_t end = bytes.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) {
      lines.emplace_back(bytes.substr(pos));
      break;
    }
    lines.emplace_back(bytes.substr(pos, end - pos));
    pos = bytes.find_first_not_of("\r\n", end);
    if (pos == std::string_view::npos) break;
  }
  return lines;
}

// Feeds the bytes in pieces whose sizes come from the bytes themselves, so
// that breaks and lines straddle the pieces in ever new ways.
Lines splitInPieces(std::string_view bytes) {
  Lines lines;
  LineSplitter splitter(lines);
  size_t pos = 0;
  size_t seed = bytes.size();
  while (pos < bytes.size()) {
    seed = seed * 31 + static_cast<unsigned char>(bytes[pos]);
    const size_t piece = std::min<size_t>(1 + seed % 7, bytes.size() - pos);
    splitter.feed(bytes.substr(pos, piece));
    pos += piece;
  }
  splitter.finish();
  return lines;
}

void checkLineRecords(const Lines& lines) {
  for (const std::string& text : lines) {
    check(text.find_first_of("\r\n") == std::string::npos, "a loaded line holds no line break", text);
    PropertyLine line(text);
    check(line.text == text, "a parsed line keeps its text", text);
    // A line that reads as key=value or key#comment composes back to itself.
    if (!line.value.empty() || !line.comment.empty()) {
      PropertyLine composed = line;
      composed.compose();
      check(composed.text == text, "an unedited record composes back to its line", text);
      PropertyLine again(composed.text);
      check(again.key == line.key && again.value == line.value && again.comment == line.comment,
            "a composed record parses back to the same fields", text);
    }
  }
}

const std::wstring kHost = L"Example.Test";
const std::string kWorker = "Example_Test";
const std::string kHostMount = "/example.test/";
const std::wstring kAlias = L"www.example.test";
const std::string kAliasMount = "/www.example.test/";
const std::wstring kNewAlias = L"shop.example.test";
const std::string kNewAliasMount = "/shop.example.test/";
const std::wstring kApp = L"app";

Lines loadLines(const std::string& path) {
  PropertyFile file;
  file.load(utf8ToWideLenient(path));
  return file.lines();
}

std::string keyOf(const std::string& text) { return PropertyLine(text).key; }
std::string valueOf(const std::string& text) { return PropertyLine(text).value; }

// A line given a value keeps its comment, which then reads as part of the
// value: "key#c" with value v composes to "key=v#c".
bool hasValue(const std::string& text, const std::string& value) {
  const std::string actual = valueOf(text);
  return actual == value || actual.compare(0, value.size() + 1, value + "#") == 0;
}

std::optional<size_t> firstWithKey(const Lines& lines, const std::string& key) {
  for (size_t i = 0; i < lines.size(); ++i) {
    if (keyOf(lines[i]) == key) return i;
  }
  return std::nullopt;
}

std::vector<std::string> listItems(const std::string& value) {
  return fuzzing::splitOn(std::string_view(value), ',', false);
}

// The lines for which `dropped` is false, in order.
template <class Dropped>
Lines filtered(const Lines& lines, Dropped dropped) {
  Lines kept;
  for (const std::string& line : lines) {
    if (!dropped(line)) kept.push_back(line);
  }
  return kept;
}

std::string withCrLf(const Lines& lines) {
  std::string bytes;
  for (const std::string& line : lines) bytes += line + "\r\n";
  return bytes;
}

// Runs one edit on a fresh copy of the input. A failure must leave the file
// byte for byte as it was; `verify` judges the lines after a success.
template <class Edit, class Verify>
void runEdit(const char* fileName, std::string_view bytes, const Lines& before, Edit edit, Verify verify) {
  const std::string path = fuzzing::writeScratchFile(fileName, bytes);
  try {
    edit(utf8ToWideLenient(path));
  } catch (const vexception& e) {
    check(fuzzing::readWholeFile(path) == bytes, "a failed edit leaves the file untouched",
          fuzzing::narrow(e.message()));
    return;
  }
  const Lines after = loadLines(path);
  verify(before, after);
  // The edit wrote every line followed by CR LF, and nothing that reads back
  // differently (an empty line, a line break inside a line).
  check(fuzzing::readWholeFile(path) == withCrLf(after), "an edited file holds its lines, each ended by CR LF");
}

// Lines at the same index are equal unless the index is one of `touched`.
void checkUntouched(const Lines& before, const Lines& after, const std::vector<size_t>& touched, const char* what) {
  check(after.size() >= before.size(), what, "lines were lost");
  for (size_t i = 0; i < before.size(); ++i) {
    if (std::find(touched.begin(), touched.end(), i) != touched.end()) continue;
    check(after[i] == before[i], what, before[i] + " became " + after[i]);
  }
}

// Every key of `keys` is there, its first line has the value, and only the
// first lines of those keys changed; missing keys were appended.
void checkKeysSet(const Lines& before, const Lines& after, const std::vector<std::pair<std::string, std::string>>& keys,
                  const char* what) {
  std::vector<size_t> touched;
  size_t missing = 0;
  for (const auto& [key, value] : keys) {
    if (std::optional<size_t> at = firstWithKey(before, key))
      touched.push_back(*at);
    else
      ++missing;
    std::optional<size_t> now = firstWithKey(after, key);
    check(now.has_value(), what, "key missing afterwards: " + key);
    if (!value.empty()) check(hasValue(after[*now], value), what, key + " has " + valueOf(after[*now]));
  }
  check(after.size() == before.size() + missing, what, "unexpected number of lines");
  checkUntouched(before, after, touched, what);
}

void editWorkers(std::string_view bytes, const Lines& before) {
  runEdit(
      "workers.properties", bytes, before,
      [](const std::wstring& path) { IsapiRedirectorConfig(context, path, L"").addWorker(kHost); },
      [](const Lines& was, const Lines& now) {
        const std::string prefix = "worker." + kWorker;
        checkKeysSet(was, now,
                     {{"worker.list", ""},
                      {prefix + ".port", "9008"},
                      {prefix + ".host", "127.0.0.1"},
                      {prefix + ".type", "ajp13"},
                      {prefix + ".lbfactor", "1"}},
                     "addWorker");
        // The worker is an item of the list; a comment that the list line
        // had before it got its value runs on in the value.
        const std::string list = valueOf(now[*firstWithKey(now, "worker.list")]);
        const std::vector<std::string> items = listItems(list);
        const std::vector<std::string> uncommented = listItems(list.substr(0, list.find('#')));
        check(std::find(items.begin(), items.end(), kWorker) != items.end() ||
                  std::find(uncommented.begin(), uncommented.end(), kWorker) != uncommented.end(),
              "addWorker lists the worker", list);
      });

  runEdit(
      "workers.properties", bytes, before,
      [](const std::wstring& path) { IsapiRedirectorConfig(context, path, L"").removeWorker(kHost); },
      [](const Lines& was, const Lines& now) {
        const std::string prefix = "worker." + kWorker + ".";
        auto workerLine = [&](const std::string& line) {
          const std::string key = keyOf(line);
          return key == prefix + "port" || key == prefix + "host" || key == prefix + "type" ||
                 key == prefix + "lbfactor";
        };
        // A list left empty composes to its key alone, "worker.list".
        auto listOrWorker = [&](const std::string& line) {
          return keyOf(line) == "worker.list" || line == "worker.list" || workerLine(line);
        };
        check(std::none_of(now.begin(), now.end(), workerLine), "removeWorker erases the worker's keys");
        check(filtered(was, listOrWorker) == filtered(now, listOrWorker), "removeWorker keeps the other lines");
      });
}

std::vector<std::string> appMountKeys() {
  return {kHostMount + "app", kHostMount + "app/*", kAliasMount + "app", kAliasMount + "app/*"};
}

void editMounts(std::string_view bytes, const Lines& before) {
  runEdit(
      "uriworkermap.properties", bytes, before,
      [](const std::wstring& path) {
        IsapiRedirectorConfig(context, L"", path).addWebAppMounts(kHost, {kAlias}, kApp);
      },
      [](const Lines& was, const Lines& now) {
        std::vector<std::pair<std::string, std::string>> keys;
        for (const std::string& key : appMountKeys()) keys.emplace_back(key, kWorker);
        checkKeysSet(was, now, keys, "addWebAppMounts");
      });

  runEdit(
      "uriworkermap.properties", bytes, before,
      [](const std::wstring& path) {
        IsapiRedirectorConfig(context, L"", path).removeWebAppMounts(kHost, {kAlias}, kApp);
      },
      [](const Lines& was, const Lines& now) {
        const std::vector<std::string> keys = appMountKeys();
        auto mount = [&](const std::string& line) {
          return std::find(keys.begin(), keys.end(), keyOf(line)) != keys.end();
        };
        check(std::none_of(now.begin(), now.end(), mount), "removeWebAppMounts erases the mounts");
        check(filtered(was, mount) == now, "removeWebAppMounts keeps the other lines");
      });

  runEdit(
      "uriworkermap.properties", bytes, before,
      [](const std::wstring& path) { IsapiRedirectorConfig(context, L"", path).addAliasMounts(kHost, {kNewAlias}); },
      [](const Lines& was, const Lines& now) {
        // Only lines under the alias may change; the rest keep their place.
        check(now.size() >= was.size(), "addAliasMounts loses no line");
        std::string worker;
        for (size_t i = 0; i < was.size(); ++i) {
          const std::string key = keyOf(was[i]);
          if (key.compare(0, kNewAliasMount.size(), kNewAliasMount) != 0) {
            check(now[i] == was[i], "addAliasMounts keeps the other lines", was[i] + " became " + now[i]);
          }
          if (worker.empty() && key.compare(0, kHostMount.size(), kHostMount) == 0) worker = valueOf(was[i]);
        }
        // With a worker to point at, every mount of the host has its twin
        // under the alias, and the twin reads back as a mount of it.
        if (worker.empty()) return;
        for (const std::string& line : was) {
          const std::string key = keyOf(line);
          if (key.compare(0, kHostMount.size(), kHostMount) != 0) continue;
          const std::string twin = kNewAliasMount + key.substr(kHostMount.size());
          std::optional<size_t> at = firstWithKey(now, twin);
          check(at.has_value(), "addAliasMounts gives the alias every mount of the host",
                "no line with key " + twin + " for " + line);
          check(hasValue(now[*at], worker), "an alias mount points at the host's worker", now[*at]);
        }
      });

  runEdit(
      "uriworkermap.properties", bytes, before,
      [](const std::wstring& path) { IsapiRedirectorConfig(context, L"", path).removeAliasMounts({kAlias}); },
      [](const Lines& was, const Lines& now) {
        auto underAlias = [](const std::string& line) {
          return keyOf(line).compare(0, kAliasMount.size(), kAliasMount) == 0;
        };
        check(std::none_of(now.begin(), now.end(), underAlias), "removeAliasMounts erases the alias's mounts");
        check(filtered(was, underAlias) == now, "removeAliasMounts keeps the other lines");
      });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  const Lines expected = referenceLines(bytes);
  check(splitInPieces(bytes) == expected, "lines cut the same however the bytes arrive");

  const std::string path = fuzzing::writeScratchFile("input.properties", bytes);
  const Lines loaded = loadLines(path);
  check(loaded == expected, "a loaded file holds the documented lines");
  checkLineRecords(loaded);

  // A walk that keeps every line and a save give the same lines back.
  PropertyFile file;
  file.load(utf8ToWideLenient(path));
  size_t visited = 0;
  file.walk([&](PropertyLine&) {
    ++visited;
    return LineEdit::Keep;
  });
  check(visited == loaded.size() && file.lines() == loaded, "a walk that keeps every line changes nothing");
  file.save(context, utf8ToWideLenient(path));
  check(fuzzing::readWholeFile(path) == withCrLf(loaded), "an unedited file saves its lines, each ended by CR LF");
  check(loadLines(path) == loaded, "an unedited file saves and loads back to the same lines");

  editWorkers(bytes, loaded);
  editMounts(bytes, loaded);
  return 0;
}

}  // namespace wc
