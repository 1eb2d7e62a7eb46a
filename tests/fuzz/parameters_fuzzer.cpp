// The command line: any bytes as the arguments behind the command name, one
// argument per NUL-separated piece (UTF-8, invalid bytes as U+FFFD). The
// arguments survive quoting and splitting, the parameter map holds the last
// value of each name, the checks of the commands report the first missing
// name before the first unexpected one, and the loggable command line shows
// every argument as given except password values, which never appear.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/params.h"
#include "base/errors/vexception.h"
#include "base/system/process.h"
#include "base/text/unicode.h"
#include "frame/command_line_mask.h"
#include "fuzz_check.h"

namespace wc {

using fuzzing::check;

namespace {

using Arguments = std::vector<std::wstring>;

const std::wstring kProgram = L"wcadmin";

Arguments argumentsOf(std::string_view bytes) {
  Arguments arguments;
  for (const std::string& piece : fuzzing::splitOn(bytes, '\0', true)) arguments.push_back(utf8ToWideLenient(piece));
  return arguments;
}

std::string describe(const Arguments& arguments) {
  std::string text;
  for (const std::wstring& argument : arguments) text += "[" + fuzzing::narrow(argument) + "]";
  return text;
}

// Declarations of the commands that check their parameters.
struct Declaration {
  DeclarationList required;
  DeclarationList optional;
};
const Declaration kDeclarations[] = {
    {L"--vhost-name\0--manager-login\0--password\0", L"--coyote-connector-port\0--warp-connector-port\0"},
    {L"--vhost-name\0", nullptr},
    {L"--vhost-name\0", L"--aliases\0"},
    {L"--old-name\0--new-name\0", L"--aliases\0"},
    {L"--vhost-name\0--webapp-name\0", L"--aliases\0"},
    {L"--vhost-name\0", L"--started-only\0"},
    {L"--vhost-name\0--old-alias\0--new-alias\0", L"--restart\0"},
    {nullptr, nullptr},
};

std::vector<std::wstring> namesOf(DeclarationList list) {
  std::vector<std::wstring> names;
  for (const wchar_t* name = list; name && *name; name += std::wstring_view(name).size() + 1) names.emplace_back(name);
  return names;
}

bool contains(const std::vector<std::wstring>& names, const std::wstring& name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

void checkParameterMap(const Arguments& arguments, const ParameterMap& map) {
  size_t names = 0;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::wstring& argument = arguments[i];
    const size_t equals = argument.find(L'=');
    const std::wstring name = argument.substr(0, equals);
    const std::wstring value = equals == std::wstring::npos ? L"" : argument.substr(equals + 1);
    auto found = map.find(name);
    check(found != map.end(), "every argument's name is in the map", describe(arguments));
    bool later = false;
    for (size_t j = i + 1; j < arguments.size() && !later; ++j)
      later = arguments[j].substr(0, arguments[j].find(L'=')) == name;
    if (!later) {
      check(found->second == value, "a name holds the value of its last occurrence", describe(arguments));
      ++names;
    }
  }
  check(map.size() == names, "the map holds the given names and no other", describe(arguments));
}

void checkDeclarations(const ParameterMap& map, const Arguments& arguments) {
  const Params params(map);
  for (const Declaration& declaration : kDeclarations) {
    const std::vector<std::wstring> required = namesOf(declaration.required);
    const std::vector<std::wstring> optional = namesOf(declaration.optional);
    std::wstring expected;
    for (const std::wstring& name : required) {
      if (!map.count(name)) {
        expected = L"Missing required parameter " + name + L". ";
        break;
      }
    }
    if (expected.empty()) {
      for (const auto& [name, value] : map) {
        if (name != L"--internal-package-name" && !contains(required, name) && !contains(optional, name)) {
          expected = L"Unexpected parameter " + name + L". ";
          break;
        }
      }
    }
    try {
      params.check(declaration.required, declaration.optional);
      check(expected.empty(), "a check fails on a missing or unexpected name", describe(arguments));
    } catch (const vexception& e) {
      check(!expected.empty(), "a check passes when every name is declared and present", fuzzing::narrow(e.message()));
      const std::wstring listing = Params::describeParameters(declaration.required, declaration.optional);
      check(e.message() == expected + listing, "a failed check names the first offending parameter",
            fuzzing::narrow(e.message()) + " / expected " + fuzzing::narrow(expected));
    }
    for (const std::wstring& name : optional) {
      auto found = map.find(name);
      check(params.getValue(name, false, L"default") == (found == map.end() ? L"default" : found->second),
            "an optional value or its default", fuzzing::narrow(name));
    }
  }
}

// The argument as the log shows it before quoting.
std::wstring maskedForm(const std::wstring& argument) {
  const std::vector<std::wstring> pieces = fuzzing::splitOn(std::wstring_view(argument), L'=', false);
  if (pieces.empty()) return argument;
  if (pieces[0].find(L"password") == std::wstring::npos && pieces[0].find(L"pwd") == std::wstring::npos) {
    return argument;
  }
  std::wstring shown = pieces[0];
  for (size_t i = 1; i < pieces.size(); ++i) shown += L"=*";
  return shown;
}

void checkMaskedLine(const std::wstring& line, const Arguments& arguments) {
  const std::wstring masked = maskPasswords(line);
  // An empty argument shows as nothing, so it cannot be split back out.
  Arguments expected{kProgram};
  for (const std::wstring& argument : arguments) {
    std::wstring shown = maskedForm(argument);
    if (!shown.empty()) expected.push_back(shown);
  }
  const Arguments reread = splitCommandLine(masked);
  check(reread == expected, "the logged command line shows the arguments with passwords masked",
        fuzzing::narrow(masked) + " read back as " + describe(reread) + ", expected " + describe(expected));
  for (const std::wstring& argument : arguments) {
    // Every argument shown with an '=' is shown in double quotes.
    const std::wstring shown = maskedForm(argument);
    if (shown.find(L'=') != std::wstring::npos) {
      const std::wstring quoted = quoteArgument(shown);
      check(quoted.size() >= 2 && quoted.front() == L'"' && quoted.back() == L'"',
            "an argument with '=' is shown in double quotes", fuzzing::narrow(quoted));
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const Arguments arguments = argumentsOf(std::string_view(reinterpret_cast<const char*>(data), size));

  // Quoted and joined as the system passes them on, the arguments split back.
  std::wstring line = kProgram;
  for (const std::wstring& argument : arguments) line += L" " + quoteForCommandLine(argument);
  Arguments expected{kProgram};
  expected.insert(expected.end(), arguments.begin(), arguments.end());
  check(splitCommandLine(line) == expected, "quoted arguments split back as given", describe(arguments));

  const ParameterMap map = parseParameters(static_cast<int>(arguments.size()), arguments.data());
  checkParameterMap(arguments, map);
  checkDeclarations(map, arguments);
  checkMaskedLine(line, arguments);
  return 0;
}

}  // namespace wc
