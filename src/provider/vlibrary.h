#pragma once
// A loaded module and a library loaded by path, with the program's failure
// texts.

#include <string>

#include "base/system/dynamic_library.h"

namespace wc {

class VModule {
 public:
  virtual ~VModule() = default;
  // The module's file name as the system reports it.
  virtual std::wstring fileName() const;
  // Throws the OS-error exception "GetProcAddress(<name>)" (call point
  // "VModule::getProcAddress").
  void* getProcAddress(const std::wstring& name) const;

 protected:
  DynamicLibrary library_;
};

class VLibrary : public VModule {
 public:
  // Unloads; a failure is logged at level Error with the context "unload()".
  ~VLibrary() override;
  // Unloads whatever is loaded, then loads `path` (separators made the
  // platform's). Throws "LoadLibrary(<path>)" (call point "VLibrary::load").
  void load(const std::wstring& path);
  // Throws the OS-error exception "FreeLibrary(<path>)" on failure.
  void unload();
  const std::wstring& path() const { return path_; }

 private:
  std::wstring path_;
};

}  // namespace wc
