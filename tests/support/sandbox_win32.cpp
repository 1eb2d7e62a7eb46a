#include "support/sandbox.h"

#include <stdlib.h>

#include <algorithm>
#include <stdexcept>

#include "base/registry/reg_format.h"
#include "base/registry/settings_store.h"
#include "base/text/convert.h"

// After the project's headers: the macros of the Windows headers carry the
// same names as the registry's constants.
#include <windows.h>

namespace wc {

namespace testing_support {

namespace {

// The panel's settings: a sandbox starts without any, as on POSIX.
void clearPanelSettings() {
  registry::SettingsStore& store = registry::systemSettingsStore();
  store.deleteTree(registry::Root::LocalMachine, L"SOFTWARE\\Halvo");
}

}  // namespace

TempDir::TempDir() {
  wchar_t folder[MAX_PATH + 1];
  const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
  if (length == 0 || length > MAX_PATH) throw std::runtime_error("GetTempPathW failed");
  static unsigned counter = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::wstring candidate = std::wstring(folder) + L"wcadmin-test-" + std::to_wstring(GetCurrentProcessId()) +
                                   L"-" + std::to_wstring(++counter);
    if (CreateDirectoryW(candidate.c_str(), nullptr)) {
      path_ = cstrLenient(candidate);
      // Paths the tests join with '/' stay in one form.
      std::replace(path_.begin(), path_.end(), '\\', '/');
      return;
    }
    if (GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
  throw std::runtime_error("cannot create a temporary directory");
}

ScopedEnv::ScopedEnv(const std::string& name, const std::string& value) : name_(name) {
  if (const char* old = getenv(name.c_str())) {
    had_ = true;
    old_ = old;
  }
  _putenv_s(name.c_str(), value.c_str());
  SetEnvironmentVariableW(wstrLenient(name).c_str(), wstrLenient(value).c_str());
}

ScopedEnv::~ScopedEnv() {
  _putenv_s(name_.c_str(), had_ ? old_.c_str() : "");
  SetEnvironmentVariableW(wstrLenient(name_).c_str(), had_ ? wstrLenient(old_).c_str() : nullptr);
}

Sandbox::Sandbox() : env_("HCP_SYSTEM_ROOT", dir_.path()) { clearPanelSettings(); }

Sandbox::~Sandbox() { clearPanelSettings(); }

void Sandbox::writeRegistry(const std::string& body) const {
  clearPanelSettings();
  const std::string text = cstrLenient(registry::kRegHeader) + "\n\n" + body;
  if (uint32_t code = registry::systemSettingsStore().applyEdits(registry::parseRegText(text)))
    throw std::runtime_error("cannot write the settings into the registry (error " + std::to_string(code) + ")");
}

bool pathExists(const std::string& path) {
  return GetFileAttributesW(wstrLenient(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace testing_support

}  // namespace wc
