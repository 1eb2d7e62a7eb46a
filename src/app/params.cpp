#include "app/params.h"

#include <vector>

#include "base/errors/vexception.h"

namespace wc {

namespace {

std::vector<std::wstring> namesOf(DeclarationList list) {
  std::vector<std::wstring> names;
  for (const wchar_t* name = list; name && *name; name += std::wstring_view(name).size() + 1) names.emplace_back(name);
  return names;
}

bool declares(DeclarationList list, const std::wstring& name) {
  for (const std::wstring& declared : namesOf(list)) {
    if (declared == name) return true;
  }
  return false;
}

}  // namespace

ParameterMap parseParameters(int count, const std::wstring* arguments) {
  ParameterMap map;
  for (int i = 0; i < count; ++i) {
    const std::wstring& argument = arguments[i];
    size_t equals = argument.find(L'=');
    if (equals == std::wstring::npos)
      map[argument] = L"";
    else
      map[argument.substr(0, equals)] = argument.substr(equals + 1);
  }
  return map;
}

void Params::check(DeclarationList required, DeclarationList optional) const {
  for (const std::wstring& name : namesOf(required)) {
    if (!hasParameter(name)) {
      throw vexception(L"Missing required parameter " + name + L". " + describeParameters(required, optional),
                       VCALLPOINT(L"", "Params::check"));
    }
  }
  for (const auto& entry : map_) {
    const std::wstring& name = entry.first;
    if (name == L"--internal-package-name" || declares(required, name) || declares(optional, name)) continue;
    throw vexception(L"Unexpected parameter " + name + L". " + describeParameters(required, optional),
                     VCALLPOINT(L"", "Params::check"));
  }
}

std::wstring Params::getValue(const std::wstring& name, bool required, const std::wstring& defaultValue) const {
  auto it = map_.find(name);
  if (it != map_.end()) return it->second;
  if (required) reportMissingParameter(name);
  return defaultValue;
}

void Params::reportMissingParameter(const std::wstring& name, DeclarationList required,
                                    DeclarationList optional) const {
  throw vexception(L"Missing required parameter " + name + L". " + describeParameters(required, optional),
                   VCALLPOINT(L"", "Params::reportMissingParameter"));
}

std::wstring Params::describeParameters(DeclarationList required, DeclarationList optional) {
  std::wstring text;
  for (const std::wstring& name : namesOf(required)) {
    text += text.empty() ? L"Possible parameters:\n" : L"\n";
    text += L"    " + name;
  }
  for (const std::wstring& name : namesOf(optional)) {
    text += text.empty() ? L"Possible parameters:\n" : L"\n";
    text += L"    [" + name + L"]";
  }
  return text;
}

}  // namespace wc
