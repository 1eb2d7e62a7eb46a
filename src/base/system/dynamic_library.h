#pragma once
// Loading libraries at run time, in the shape of LoadLibraryW/GetProcAddress.
// Failures come back as Windows error codes.

#include <cstdint>
#include <string>
#include <vector>

namespace wc {

class DynamicLibrary {
 public:
  DynamicLibrary() = default;
  ~DynamicLibrary();  // unloads (errors ignored; call unload() to see them)
  DynamicLibrary(const DynamicLibrary&) = delete;
  DynamicLibrary& operator=(const DynamicLibrary&) = delete;

  // 0 or the error code (ERROR_MOD_NOT_FOUND for a missing file,
  // ERROR_BAD_EXE_FORMAT for one that is no library, ...). A name without a
  // directory is searched for where the system's loader looks.
  uint32_t load(const std::wstring& path);
  // 0 or the error code; nothing loaded is success.
  uint32_t unload();
  bool loaded() const { return handle_ != nullptr; }
  // The address of an exported symbol, or null with `*error` set
  // (ERROR_PROC_NOT_FOUND).
  void* symbol(const std::string& name, uint32_t* error) const;
  // The file name of the loaded module as the system reports it.
  std::wstring fileName() const;
  // The system's last loader message (dlerror on POSIX), for diagnostics.
  static std::string lastLoaderMessage();

 private:
  void* handle_ = nullptr;
};

// Looks `symbol` up in every module loaded in the process, program first;
// returns the addresses found, in module order.
std::vector<void*> findSymbolInLoadedModules(const std::string& symbol);

}  // namespace wc
