#pragma once
// The parameters that follow the command name: a map from name to value, the
// check against what a command declares, and single values with defaults.

#include <map>
#include <string>

#include "base/text/strings.h"

namespace wc {

// Ordinal, case-sensitive order of names by their UTF-16 code units, the same
// on every platform.
using ParameterMap = std::map<std::wstring, std::wstring, Utf16Less>;

// One argument after another: the name up to the first '=', the value after it
// (further '=' included); no '=' gives an empty value; the last occurrence wins.
ParameterMap parseParameters(int count, const std::wstring* arguments);

// A declaration list is one block of NUL-terminated names closed by an empty
// name, e.g. L"--vhost-name\0--webapp-name\0"; null declares nothing.
using DeclarationList = const wchar_t*;

class Params {
 public:
  explicit Params(const ParameterMap& map) : map_(map) {}

  // Throws "Missing required parameter <name>. <listing>" for the first
  // required name absent, else "Unexpected parameter <name>. <listing>" for the
  // first given name (in map order) that is neither declared nor
  // "--internal-package-name".
  void check(DeclarationList required, DeclarationList optional) const;
  // The value; the default when absent; absent and required: reportMissingParameter.
  std::wstring getValue(const std::wstring& name, bool required, const std::wstring& defaultValue = L"") const;
  bool hasParameter(const std::wstring& name) const { return map_.count(name) != 0; }
  [[noreturn]] void reportMissingParameter(const std::wstring& name, DeclarationList required = nullptr,
                                           DeclarationList optional = nullptr) const;
  // "Possible parameters:\n    --a\n    [--b]", or empty without names.
  static std::wstring describeParameters(DeclarationList required, DeclarationList optional);

 private:
  const ParameterMap& map_;
};

}  // namespace wc
