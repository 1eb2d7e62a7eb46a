#include "base/removal/removal_entry.h"

#include "base/errors/vexception.h"
#include "base/removal/sequential_guid.h"
#include "base/text/vaformat.h"

namespace wc {

std::wstring uriTypeToString(UriType type) {
  switch (type) {
    case UriType::Path:
      return L"Path";
    case UriType::User:
      return L"User";
  }
  throw vexception(vaformat(L"Unable convert URI type to string %X", static_cast<uint32_t>(type)),
                   VCALLPOINT(L"", "uriTypeToString"));
}

UriType uriTypeFromString(const std::wstring& text) {
  if (text == L"Path") return UriType::Path;
  if (text == L"User") return UriType::User;
  throw vexception(L"Wrong URI type: " + text, VCALLPOINT(L"", "uriTypeFromString"));
}

RemovalEntry newPathEntry(const std::wstring& path, const std::wstring& service) {
  return RemovalEntry{createSequentialGuid(), path, UriType::Path, service};
}

}  // namespace wc
