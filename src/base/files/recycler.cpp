#include "base/files/recycler.h"

#include <random>

#include "base/errors/os_error.h"
#include "base/files/directory.h"
#include "base/files/file_name.h"
#include "base/files/file_system.h"
#include "base/system/system_root.h"
#include "base/text/vaformat.h"

namespace wc {

std::wstring recyclerDirectory(const Context& context, const std::wstring& path) {
  std::wstring root;
  if (uint32_t error = context.files->volumeRoot(path, root)) {
    throwOsError(L"Find the volume of '" + path + L"'", error, VCALLPOINT(L"", "recyclerDirectory"));
  }
  const std::wstring sandbox = systemRoot();
  if (!systemRootIsReal() && isPathInside(path, sandbox) && sandbox.size() > root.size()) {
    root = sandbox;
  }
  const std::wstring recycler =
      VFileName::combine(VFileName::combine(root, L"Recycler"), L"{86066D57-9347-46a7-B4DB-971D9EF36D29}");
  const DirectoryAccess ownerOnly{true, 0700};
  VDirectory::createDirectory(context, recycler, &ownerOnly);
  return recycler;
}

std::wstring newGuidText() {
  static thread_local std::mt19937_64 generator{[] {
    std::random_device device;
    std::seed_seq seed{device(), device(), device(), device(), device(), device(), device(), device()};
    return std::mt19937_64(seed);
  }()};
  uint64_t high = generator();
  uint64_t low = generator();
  high = (high & ~0xF000ull) | 0x4000ull;            // version 4
  low = (low & ~(0xC0ull << 56)) | (0x80ull << 56);  // RFC 4122 variant
  return vaformat(L"{%08X-%04X-%04X-%04X-%012llX}", static_cast<uint32_t>(high >> 32),
                  static_cast<uint32_t>((high >> 16) & 0xFFFF), static_cast<uint32_t>(high & 0xFFFF),
                  static_cast<uint32_t>(low >> 48), low & 0xFFFFFFFFFFFFull);
}

std::wstring uniqueNameIn(const Context& context, const std::wstring& directory) {
  FileSystem& fs = *context.files;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::wstring candidate = VFileName::combine(directory, newGuidText());
    FileAttributes attributes;
    const uint32_t error = fs.getAttributes(candidate, attributes);
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return candidate;
  }
  throw vexception(vaformat(L"Unable to create temporary name in (%s)", directory), VCALLPOINT(L"", "uniqueNameIn"));
}

}  // namespace wc
