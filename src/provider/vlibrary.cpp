#include "provider/vlibrary.h"

#include "base/errors/os_error.h"
#include "base/errors/strict_convert.h"
#include "base/errors/vguard.h"
#include "base/log/log.h"
#include "base/system/path_separator.h"

namespace wc {

std::wstring VModule::fileName() const { return library_.fileName(); }

void* VModule::getProcAddress(const std::wstring& name) const {
  uint32_t error = 0;
  void* address = library_.symbol(cstr(name), &error);
  if (!address) throwOsError(L"GetProcAddress(" + name + L")", error, VCALLPOINT(L"", "VModule::getProcAddress"));
  return address;
}

VLibrary::~VLibrary() {
  try {
    vguard("VLibrary::~VLibrary", __LINE__, L"unload()", [&] { unload(); });
  } catch (const vexception& e) {
    logException(LOG_ERROR, e);
  }
}

void VLibrary::load(const std::wstring& path) {
  unload();
  std::wstring normalised = toPlatformSeparators(path);
  if (uint32_t error = library_.load(normalised)) {
    throwOsError(L"LoadLibrary(" + normalised + L")", error, VCALLPOINT(L"", "VLibrary::load"));
  }
  path_ = normalised;
}

void VLibrary::unload() {
  if (!library_.loaded()) return;
  if (uint32_t error = library_.unload()) {
    throwOsError(L"FreeLibrary(" + path_ + L")", error, VCALLPOINT(L"", "VLibrary::unload"));
  }
}

}  // namespace wc
