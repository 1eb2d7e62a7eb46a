#include "hcpreg_tool.h"

#include <cwctype>
#include <functional>
#include <map>
#include <optional>

#include "base/errors/os_error.h"
#include "base/files/atomic_write.h"
#include "base/files/file_exist.h"
#include "base/files/whole_file.h"
#include "base/registry/reg_format.h"
#include "base/registry/settings_store.h"
#include "base/registry/value_data.h"
#include "base/text/strings.h"
#include "base/text/unicode.h"
#include "key_argument.h"
#include "value_display.h"
#include "wc_version.h"

namespace wc {

using namespace registry;

namespace {

const wchar_t kUsage[] =
    L"Usage:\n"
    L"  hcpreg query KEY [/v NAME | /ve] [/s]\n"
    L"  hcpreg add KEY [/v NAME | /ve] [/t TYPE] [/d DATA] [/s SEPARATOR] [/f]\n"
    L"  hcpreg delete KEY [/v NAME | /ve | /va] [/f]\n"
    L"  hcpreg import FILE\n"
    L"  hcpreg export KEY FILE [/y]\n"
    L"  hcpreg --version\n"
    L"\n"
    L"KEY starts with HKLM\\ (HKEY_LOCAL_MACHINE\\) or HKCU\\ (HKEY_CURRENT_USER\\).\n"
    L"TYPE is REG_SZ (the default), REG_EXPAND_SZ, REG_DWORD, REG_QWORD, REG_MULTI_SZ,\n"
    L"REG_BINARY or REG_NONE. DWORD and QWORD data are decimal or 0x hex; REG_MULTI_SZ\n"
    L"items are separated by \\0 or by the /s separator; REG_BINARY data is hex digits.\n"
    L"/f and /y answer Yes to the questions before overwriting or deleting.\n"
    L"The store is ";

const wchar_t kNotFound[] = L"The system was unable to find the specified registry key or value.";
const wchar_t kDone[] = L"The operation completed successfully.";

// A command line the tool cannot run; reported with a pointer to the usage.
struct UsageError {
  std::wstring text;
};

// A failure with its whole message.
struct ToolError {
  std::wstring text;
};

void print(std::ostream& stream, const std::wstring& text) { stream << wideToUtf8Lenient(text) << std::flush; }

std::wstring errorText(const Context& context, uint32_t code) {
  if (code == ERROR_FILE_NOT_FOUND) return kNotFound;
  if (code == ERROR_REGISTRY_CORRUPT) {
    if (std::optional<std::wstring> problem = context.settings->problem()) return *problem;
  }
  return osErrorText(code, nullptr);
}

void check(const Context& context, uint32_t code) {
  if (code != 0) throw ToolError{errorText(context, code)};
}

struct Switch {
  const wchar_t* name;
  bool takesArgument;
};

struct Options {
  std::vector<std::wstring> positional;
  std::map<std::wstring, std::wstring> switches;  // lower-case name -> argument

  bool has(const wchar_t* name) const { return switches.count(name) != 0; }
  std::optional<std::wstring> argument(const wchar_t* name) const {
    auto it = switches.find(name);
    return it == switches.end() ? std::nullopt : std::optional<std::wstring>(it->second);
  }
};

struct Command {
  const wchar_t* name;
  std::vector<const wchar_t*> positionalNames;
  std::vector<Switch> switches;
  std::function<int(const Context&, const Options&, ToolConsole&)> run;
};

bool looksLikeSwitch(const std::wstring& arg) {
  if (arg.size() < 2 || (arg[0] != L'/' && arg[0] != L'-')) return false;
  for (size_t i = 1; i < arg.size(); ++i) {
    if (!iswalpha(arg[i])) return false;
  }
  return true;
}

Options parseOptions(const Command& command, const std::vector<std::wstring>& args) {
  Options options;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::wstring& arg = args[i];
    const Switch* known = nullptr;
    if (arg.size() > 1 && (arg[0] == L'/' || arg[0] == L'-')) {
      std::wstring name = lowerCase(arg.substr(1));
      for (const Switch& s : command.switches) {
        if (name == s.name) known = &s;
      }
    }
    if (!known) {
      if (looksLikeSwitch(arg)) throw UsageError{L"Unknown option " + arg + L" for " + command.name + L"."};
      options.positional.push_back(arg);
      continue;
    }
    if (options.has(known->name)) throw UsageError{L"Option " + arg + L" is given twice."};
    std::wstring value;
    if (known->takesArgument) {
      if (i + 1 >= args.size()) throw UsageError{L"Option " + arg + L" needs a value."};
      value = args[++i];
    }
    options.switches[known->name] = value;
  }
  const std::vector<const wchar_t*>& names = command.positionalNames;
  if (options.positional.size() < names.size()) {
    throw UsageError{std::wstring(names[options.positional.size()]) + L" is missing."};
  }
  if (options.positional.size() > names.size()) {
    throw UsageError{L"Unexpected argument " + options.positional[names.size()] + L"."};
  }
  return options;
}

KeyArgument keyOf(const std::wstring& text) {
  std::optional<KeyArgument> key = parseKeyArgument(text);
  if (!key) throw ToolError{L"Invalid key name " + text + L" (it starts with HKLM\\ or HKCU\\)."};
  return *key;
}

// The value an option selects: nothing for the key itself, "" for /ve.
std::optional<std::wstring> selectedValue(const Options& options) {
  if (options.has(L"v") && options.has(L"ve")) throw UsageError{L"/v and /ve cannot be given together."};
  if (options.has(L"ve")) return std::wstring();
  return options.argument(L"v");
}

bool confirmed(ToolConsole& console, const std::wstring& question) {
  print(console.out, question + L" (Yes/No)? ");
  std::string answer;
  if (!std::getline(console.in, answer)) answer.clear();
  print(console.out, L"\n");
  return !answer.empty() && (answer[0] == 'y' || answer[0] == 'Y');
}

void requireConfirmation(ToolConsole& console, bool force, const std::wstring& question) {
  if (!force && !confirmed(console, question)) throw ToolError{L"The operation was cancelled."};
}

// ---- query ----

struct QueryState {
  const Context& context;
  ToolConsole& console;
  std::optional<std::wstring> valueName;
  size_t matches = 0;
};

// Prints the key's values (or the one asked for); false when it has none of them.
bool printKeyValues(QueryState& state, const KeyArgument& key, const RegistryKey& open, bool always) {
  std::wstring lines;
  for (const std::wstring& name : open.valueNames()) {
    if (state.valueName && !equalsIgnoreCase(name, *state.valueName)) continue;
    uint32_t type = REG_NONE;
    std::string data;
    check(state.context, open.lookupRaw(name, type, data));
    lines += displayValueLine(name, type, data) + L"\n";
    ++state.matches;
  }
  if (lines.empty() && !always) return false;
  print(state.console.out, L"\n" + key.fullName() + L"\n" + lines);
  return !lines.empty();
}

void queryTree(QueryState& state, const KeyArgument& key) {
  RegistryKey open;
  check(state.context, tryOpen(state.context, key.root, key.path, KEY_READ, open));
  if (!state.valueName) ++state.matches;
  printKeyValues(state, key, open, !state.valueName);
  for (const std::wstring& name : open.subKeyNames()) queryTree(state, key.child(name));
}

int runQuery(const Context& context, const Options& options, ToolConsole& console) {
  KeyArgument key = keyOf(options.positional[0]);
  QueryState state{context, console, selectedValue(options)};
  if (options.has(L"s")) {
    queryTree(state, key);
    print(console.out, L"\nEnd of search: " + std::to_wstring(state.matches) + L" match(es) found.\n");
    return 0;
  }
  RegistryKey open;
  check(context, tryOpen(context, key.root, key.path, KEY_READ, open));
  if (state.valueName) {
    if (!printKeyValues(state, key, open, false)) throw ToolError{kNotFound};
    print(console.out, L"\n");
    return 0;
  }
  printKeyValues(state, key, open, true);
  std::wstring subKeys;
  for (const std::wstring& name : open.subKeyNames()) subKeys += key.child(name).fullName() + L"\n";
  print(console.out, L"\n" + subKeys);
  return 0;
}

// ---- add ----

std::optional<uint64_t> parseNumber(const std::wstring& text, uint64_t max) {
  if (text.empty()) return std::nullopt;
  bool hex = text.size() > 2 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X');
  uint64_t base = hex ? 16 : 10, value = 0;
  for (size_t i = hex ? 2 : 0; i < text.size(); ++i) {
    wchar_t c = text[i];
    uint64_t digit;
    if (c >= L'0' && c <= L'9')
      digit = c - L'0';
    else if (hex && c >= L'a' && c <= L'f')
      digit = c - L'a' + 10;
    else if (hex && c >= L'A' && c <= L'F')
      digit = c - L'A' + 10;
    else
      return std::nullopt;
    if (value > (max - digit) / base) return std::nullopt;
    value = value * base + digit;
  }
  return value;
}

std::string binaryData(const std::wstring& text) {
  std::string bytes;
  if (text.size() % 2 != 0) throw ToolError{L"REG_BINARY data needs an even number of hex digits."};
  for (size_t i = 0; i < text.size(); i += 2) {
    std::optional<uint64_t> byte = parseNumber(L"0x" + text.substr(i, 2), 0xFF);
    if (!byte) throw ToolError{L"REG_BINARY data must be hex digits, not \"" + text + L"\"."};
    bytes += static_cast<char>(*byte);
  }
  return bytes;
}

std::string multiStringData(const std::wstring& text, const std::wstring& separator) {
  std::vector<std::wstring> items;
  if (!text.empty()) {
    size_t start = 0;
    while (true) {
      size_t end = text.find(separator, start);
      items.push_back(text.substr(start, end - start));
      if (end == std::wstring::npos) break;
      start = end + separator.size();
    }
  }
  for (const std::wstring& item : items) {
    if (item.empty()) throw ToolError{L"REG_MULTI_SZ data cannot hold an empty item."};
  }
  return encodeMultiString(items);
}

// The bytes to store for the /t type and /d data.
std::string valueData(uint32_t type, const std::wstring& text, const Options& options) {
  switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ:
      return encodeString(text);
    case REG_DWORD:
    case REG_QWORD: {
      std::optional<uint64_t> number = text.empty() ? 0 : parseNumber(text, type == REG_DWORD ? 0xFFFFFFFFull : ~0ull);
      if (!number) {
        throw ToolError{L"Invalid " + typeName(type) + L" data \"" + text + L"\" (a number, decimal or 0x hex)."};
      }
      return type == REG_DWORD ? encodeDword(static_cast<uint32_t>(*number)) : encodeQword(*number);
    }
    case REG_MULTI_SZ: {
      std::wstring separator = options.argument(L"s").value_or(L"\\0");
      if (separator.size() != 1 && separator != L"\\0") throw ToolError{L"The /s separator must be one character."};
      return multiStringData(text, separator);
    }
    case REG_BINARY:
      return binaryData(text);
    case REG_NONE:
      return binaryData(text);
    default:
      throw ToolError{L"Values of type " + typeName(type) + L" cannot be added."};
  }
}

int runAdd(const Context& context, const Options& options, ToolConsole& console) {
  KeyArgument key = keyOf(options.positional[0]);
  std::optional<std::wstring> name = selectedValue(options);
  if (!name && (options.has(L"t") || options.has(L"d") || options.has(L"s"))) {
    throw UsageError{L"/t, /d and /s need /v or /ve."};
  }
  uint32_t type = REG_SZ;
  if (std::optional<std::wstring> typeText = options.argument(L"t")) {
    std::optional<uint32_t> known = typeFromName(*typeText);
    if (!known) throw ToolError{L"Unknown type " + *typeText + L"."};
    type = *known;
  }
  if (options.has(L"s") && type != REG_MULTI_SZ) throw UsageError{L"/s is only for REG_MULTI_SZ."};
  std::string data;
  if (name) data = valueData(type, options.argument(L"d").value_or(L""), options);

  RegistryKey open = create(context, key.root, key.path, KEY_ALL_ACCESS);
  if (name) {
    uint32_t oldType;
    std::string oldData;
    if (open.lookupRaw(*name, oldType, oldData) == 0) {
      std::wstring shown = name->empty() ? L"(Default)" : *name;
      requireConfirmation(console, options.has(L"f"), L"Value " + shown + L" exists, overwrite");
    }
    open.setRaw(*name, type, data);
  }
  print(console.out, std::wstring(kDone) + L"\n");
  return 0;
}

// ---- delete ----

int runDelete(const Context& context, const Options& options, ToolConsole& console) {
  KeyArgument key = keyOf(options.positional[0]);
  std::optional<std::wstring> name = selectedValue(options);
  bool all = options.has(L"va");
  if (all && name) throw UsageError{L"/va cannot be given with /v or /ve."};
  bool force = options.has(L"f");

  if (!name && !all) {
    if (key.path.empty()) throw ToolError{L"The root key " + key.fullName() + L" cannot be deleted."};
    RegistryKey open;
    check(context, tryOpen(context, key.root, key.path, KEY_READ, open));
    requireConfirmation(console, force, L"Permanently delete the registry key " + key.fullName());
    check(context, deleteKey(context, key.root, key.path));
  } else {
    RegistryKey open;
    check(context, tryOpen(context, key.root, key.path, KEY_ALL_ACCESS, open));
    if (all) {
      requireConfirmation(console, force, L"Delete all values under the registry key " + key.fullName());
      for (const std::wstring& value : open.valueNames()) {
        uint32_t error = open.deleteValue(value);
        if (error != ERROR_FILE_NOT_FOUND) check(context, error);
      }
    } else {
      uint32_t type;
      std::string data;
      check(context, open.lookupRaw(*name, type, data));
      std::wstring shown = name->empty() ? L"(Default)" : *name;
      requireConfirmation(console, force, L"Delete the registry value " + shown);
      check(context, open.deleteValue(*name));
    }
  }
  print(console.out, std::wstring(kDone) + L"\n");
  return 0;
}

// ---- import and export ----

int runImport(const Context& context, const Options& options, ToolConsole& console) {
  const std::wstring& file = options.positional[0];
  std::string text;
  try {
    text = readWholeFile(context, file);
  } catch (const vosexception& e) {
    throw ToolError{L"Cannot open the file " + file + L": " + systemMessageText(e.code()).value_or(e.message())};
  }
  std::vector<RegKeyEdit> edits;
  try {
    edits = parseRegText(text);
  } catch (const RegFormatError& e) {
    throw ToolError{file + L": " + e.message()};
  }
  check(context, context.settings->applyEdits(edits));
  print(console.out, std::wstring(kDone) + L"\n");
  return 0;
}

void collectTree(const Context& context, const KeyArgument& key, RegStore& store) {
  RegistryKey open;
  check(context, tryOpen(context, key.root, key.path, KEY_READ, open));
  RegKeyRecord& record = store.createKey(key.root, key.path);
  for (const std::wstring& name : open.valueNames()) {
    uint32_t type = REG_NONE;
    std::string data;
    if (open.lookupRaw(name, type, data) == 0) RegStore::setValue(record, name, type, data);
  }
  for (const std::wstring& name : open.subKeyNames()) collectTree(context, key.child(name), store);
}

int runExport(const Context& context, const Options& options, ToolConsole& console) {
  KeyArgument key = keyOf(options.positional[0]);
  const std::wstring& file = options.positional[1];
  RegStore tree;
  collectTree(context, key, tree);
  if (fileExist(context, file)) {
    requireConfirmation(console, options.has(L"y"), L"File " + file + L" already exists. Overwrite");
  }
  // A failed write leaves an older export as it was.
  replaceFileAtomically(context, file, formatRegText(tree));
  print(console.out, std::wstring(kDone) + L"\n");
  return 0;
}

const std::vector<Command>& commands() {
  static const std::vector<Command> table = {
      {L"query", {L"KEY"}, {{L"v", true}, {L"ve", false}, {L"s", false}}, runQuery},
      {L"add",
       {L"KEY"},
       {{L"v", true}, {L"ve", false}, {L"t", true}, {L"d", true}, {L"s", true}, {L"f", false}},
       runAdd},
      {L"delete", {L"KEY"}, {{L"v", true}, {L"ve", false}, {L"va", false}, {L"f", false}}, runDelete},
      {L"import", {L"FILE"}, {}, runImport},
      {L"export", {L"KEY", L"FILE"}, {{L"y", false}}, runExport},
  };
  return table;
}

bool asksForHelp(const std::vector<std::wstring>& args) {
  for (const std::wstring& arg : args) {
    if (arg == L"/?" || arg == L"-?" || arg == L"-h" || arg == L"--help") return true;
  }
  return false;
}

}  // namespace

int runHcpreg(const Context& context, const std::vector<std::wstring>& args, ToolConsole& console) {
  if (asksForHelp(args)) {
    print(console.out, kUsage + settingsStoreLocation() + L".\n");
    return 0;
  }
  if (args.size() == 1 && args[0] == L"--version") {
    print(console.out, L"hcpreg " WC_VERSION "\n");
    return 0;
  }
  try {
    if (args.empty()) throw UsageError{L"A command is missing."};
    const Command* command = nullptr;
    for (const Command& c : commands()) {
      if (equalsIgnoreCase(args[0], c.name)) command = &c;
    }
    if (!command) throw UsageError{L"Unknown command " + args[0] + L"."};
    return command->run(context, parseOptions(*command, args), console);
  } catch (const UsageError& e) {
    print(console.err, L"ERROR: " + e.text + L"\nType \"hcpreg /?\" for usage.\n");
  } catch (const ToolError& e) {
    print(console.err, L"ERROR: " + e.text + L"\n");
  } catch (const vosexception& e) {
    std::wstring text = e.message();
    if (e.code() == ERROR_REGISTRY_CORRUPT) {
      if (std::optional<std::wstring> problem = context.settings->problem()) text += L"\n" + *problem;
    }
    print(console.err, L"ERROR: " + text + L"\n");
  } catch (const vexception& e) {
    print(console.err, L"ERROR: " + e.message() + L"\n");
  }
  return 1;
}

}  // namespace wc
