#include "base/system/dynamic_library.h"

#include <dlfcn.h>
#include <link.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "base/errors/win_error_codes.h"
#include "base/system/errno_posix.h"
#include "base/system/process.h"
#include "base/text/convert.h"

namespace wc {

namespace {
thread_local std::string lastMessage;
}

DynamicLibrary::~DynamicLibrary() { unload(); }

uint32_t DynamicLibrary::load(const std::wstring& path) {
  unload();
  std::string file = cstrLenient(path);
  // A bare name is searched for where the system's loader looks, as
  // LoadLibraryW does.
  const bool searched = file.find('/') == std::string::npos;
  struct stat info {};
  if (!searched && stat(file.c_str(), &info) != 0) {
    return errno == ENOENT || errno == ENOTDIR ? ERROR_MOD_NOT_FOUND : lastWindowsError();
  }
  void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    const char* message = dlerror();
    lastMessage = message ? message : "";
    if (S_ISDIR(info.st_mode)) return ERROR_ACCESS_DENIED;
    if (searched && lastMessage.find("No such file") != std::string::npos) return ERROR_MOD_NOT_FOUND;
    return lastMessage.find("invalid ELF header") != std::string::npos ||
                   lastMessage.find("file too short") != std::string::npos ||
                   lastMessage.find("wrong ELF class") != std::string::npos
               ? ERROR_BAD_EXE_FORMAT
               : ERROR_DLL_INIT_FAILED;
  }
  handle_ = handle;
  return 0;
}

uint32_t DynamicLibrary::unload() {
  if (!handle_) return 0;
  void* handle = handle_;
  handle_ = nullptr;
  if (dlclose(handle) != 0) {
    const char* message = dlerror();
    lastMessage = message ? message : "";
    return ERROR_INVALID_HANDLE;
  }
  return 0;
}

void* DynamicLibrary::symbol(const std::string& name, uint32_t* error) const {
  if (!handle_) {
    if (error) *error = ERROR_INVALID_HANDLE;
    return nullptr;
  }
  dlerror();
  void* address = dlsym(handle_, name.c_str());
  if (!address) {
    const char* message = dlerror();
    lastMessage = message ? message : "";
    if (error) *error = ERROR_PROC_NOT_FOUND;
  }
  return address;
}

std::wstring DynamicLibrary::fileName() const {
  if (!handle_) return programPath();
  link_map* map = nullptr;
  if (dlinfo(handle_, RTLD_DI_LINKMAP, &map) != 0 || !map || !map->l_name || !*map->l_name) return programPath();
  return wstrLenient(map->l_name);
}

std::string DynamicLibrary::lastLoaderMessage() { return lastMessage; }

std::vector<void*> findSymbolInLoadedModules(const std::string& symbol) {
  std::vector<std::string> names;
  dl_iterate_phdr(
      [](dl_phdr_info* info, size_t, void* data) {
        static_cast<std::vector<std::string>*>(data)->push_back(info->dlpi_name ? info->dlpi_name : "");
        return 0;
      },
      &names);
  std::vector<void*> found;
  for (const std::string& name : names) {
    // The program itself has the empty name; dlopen(nullptr) is the program.
    void* module = dlopen(name.empty() ? nullptr : name.c_str(), RTLD_LAZY | RTLD_NOLOAD);
    if (!module) continue;
    dlerror();
    void* address = dlsym(module, symbol.c_str());
    if (address) {
      // dlsym searches the module's dependencies too; keep only the symbol the
      // module itself defines.
      Dl_info where{};
      if (dladdr(address, &where) && where.dli_fname &&
          (name.empty() ? true : std::strcmp(where.dli_fname, name.c_str()) == 0)) {
        bool seen = false;
        for (void* f : found) seen = seen || f == address;
        if (!seen) found.push_back(address);
      }
    }
    dlclose(module);
  }
  return found;
}

}  // namespace wc
