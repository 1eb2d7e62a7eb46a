#include <windows.h>
// psapi.h needs the types of windows.h first.
#include <psapi.h>

#include <algorithm>

#include "base/errors/os_error.h"
#include "base/system/dynamic_library.h"
#include "base/system/module_file_name_win32.h"
#include "base/system/process.h"
#include "base/text/convert.h"

namespace wc {

namespace {

thread_local std::string lastMessage;

uint32_t failed(DWORD error) {
  lastMessage = cstrLenient(systemMessageText(error).value_or(L"Unknown error"));
  return error;
}

HMODULE moduleOf(void* handle) { return static_cast<HMODULE>(handle); }

}  // namespace

DynamicLibrary::~DynamicLibrary() { unload(); }

uint32_t DynamicLibrary::load(const std::wstring& path) {
  unload();
  HMODULE module = LoadLibraryW(path.c_str());
  if (!module) return failed(GetLastError());
  handle_ = module;
  return 0;
}

uint32_t DynamicLibrary::unload() {
  if (!handle_) return 0;
  HMODULE module = moduleOf(handle_);
  handle_ = nullptr;
  if (!FreeLibrary(module)) return failed(GetLastError());
  return 0;
}

void* DynamicLibrary::symbol(const std::string& name, uint32_t* error) const {
  if (!handle_) {
    if (error) *error = ERROR_INVALID_HANDLE;
    return nullptr;
  }
  void* address = reinterpret_cast<void*>(GetProcAddress(moduleOf(handle_), name.c_str()));
  if (!address) {
    const uint32_t code = failed(GetLastError());
    if (error) *error = code;
  }
  return address;
}

std::wstring DynamicLibrary::fileName() const {
  if (!handle_) return programPath();
  std::wstring name = moduleFileName(moduleOf(handle_));
  return name.empty() ? programPath() : name;
}

std::string DynamicLibrary::lastLoaderMessage() { return lastMessage; }

std::vector<void*> findSymbolInLoadedModules(const std::string& symbol) {
  // The list may grow between the two calls: ask until it fits.
  std::vector<HMODULE> modules(64);
  for (;;) {
    DWORD needed = 0;
    const DWORD size = static_cast<DWORD>(modules.size() * sizeof(HMODULE));
    if (!EnumProcessModules(GetCurrentProcess(), modules.data(), size, &needed)) return {};
    const size_t count = needed / sizeof(HMODULE);
    if (needed <= size) {
      modules.resize(count);
      break;
    }
    modules.resize(count + 16);
  }
  // The program's module comes first in the list, as on POSIX.
  std::vector<void*> found;
  for (HMODULE module : modules) {
    void* address = reinterpret_cast<void*>(GetProcAddress(module, symbol.c_str()));
    if (address && std::find(found.begin(), found.end(), address) == found.end()) found.push_back(address);
  }
  return found;
}

}  // namespace wc
