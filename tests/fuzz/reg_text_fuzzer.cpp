// The settings file: any bytes as a .reg text. A text is either refused with
// RegFormatError or read into a store; a store written out reads back to the
// same store, and writing that again gives the same text.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/registry/reg_format.h"
#include "base/registry/reg_store.h"
#include "base/registry/value_data.h"
#include "fuzz_check.h"

namespace wc {

using fuzzing::check;
using namespace registry;

namespace {

std::string describeKey(const RegKeyRecord& key) { return fuzzing::narrow(rootName(key.root) + L"\\" + key.path); }

void checkSameStore(const RegStore& expected, const RegStore& actual, const std::string& text) {
  check(expected.keys().size() == actual.keys().size(), "a written store reads back with the same keys", text);
  for (size_t k = 0; k < expected.keys().size(); ++k) {
    const RegKeyRecord& a = expected.keys()[k];
    const RegKeyRecord& b = actual.keys()[k];
    check(a.root == b.root && a.path == b.path, "a written store reads back with the same key names in order",
          describeKey(a) + " became " + describeKey(b));
    check(a.values.size() == b.values.size(), "a written key reads back with the same values", describeKey(a));
    for (size_t v = 0; v < a.values.size(); ++v) {
      const RegValue& x = a.values[v];
      const RegValue& y = b.values[v];
      const std::string where = describeKey(a) + " value \"" + fuzzing::narrow(x.name) + "\"";
      check(x.name == y.name, "a written value reads back with its name", where);
      check(x.type == y.type, "a written value reads back with its type", where);
      check(x.data == y.data, "a written value reads back with its bytes", where);
    }
  }
}

// What the store's queries answer agrees with its records.
void checkQueries(const RegStore& store) {
  for (const RegKeyRecord& key : store.keys()) {
    check(store.keyExists(key.root, key.path), "a named key exists", describeKey(key));
    check(store.findKey(key.root, key.path) != nullptr, "a named key is found", describeKey(key));
    check(normalizedKeyPath(key.path) == key.path, "a stored key path is normalized", describeKey(key));
    for (const RegValue& value : key.values) {
      const RegValue* found = RegStore::findValue(key, value.name);
      check(found == &value, "a value is found by its own name", describeKey(key));
      // Decoding never fails, whatever the bytes.
      (void)decodeString(value.data);
      (void)decodeMultiString(value.data);
      if (value.data.size() == 4) check(decodeDword(value.data).has_value(), "four bytes decode as a DWORD");
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);

  RegStore store;
  try {
    store = loadRegText(input);
  } catch (const RegFormatError& e) {
    check(e.line() >= 1, "a format error names a line", fuzzing::narrow(e.message()));
    check(!e.message().empty(), "a format error says why");
    return 0;
  }
  checkQueries(store);

  const std::string written = formatRegText(store);
  RegStore reread;
  try {
    reread = loadRegText(written);
  } catch (const RegFormatError& e) {
    fuzzing::fail("a written store reads back", fuzzing::narrow(e.message()) + "\n" + written);
  }
  checkSameStore(store, reread, written);
  check(formatRegText(reread) == written, "writing a store that was read back gives the same text", written);
  return 0;
}

}  // namespace wc
