#include "base/errors/os_error.h"

#include "base/text/vaformat.h"

namespace wc {

vosexception::vosexception(uint32_t code, const wchar_t* where, vcallpoint callPoint)
    : vexception(osErrorText(code, where), std::move(callPoint)), code_(code) {}

void throwOsError(const wchar_t* where, uint32_t code, vcallpoint cp) {
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
      throw VFileNotFoundException(code, where, std::move(cp));
    case ERROR_PATH_NOT_FOUND:
      throw VPathNotFoundException(code, where, std::move(cp));
    case ERROR_ACCESS_DENIED:
      throw VAccessDeniedException(code, where, std::move(cp));
    case ERROR_OUTOFMEMORY:
      throw VOutOfMemoryException(code, where, std::move(cp));
    case ERROR_SHARING_VIOLATION:
      throw VSharingViolationException(code, where, std::move(cp));
    case ERROR_HANDLE_EOF:
      throw VEOFException(code, where, std::move(cp));
    case ERROR_FILE_EXISTS:
      throw VFileExistsException(code, where, std::move(cp));
    case ERROR_INSUFFICIENT_BUFFER:
      throw VInsufficientBufferException(code, where, std::move(cp));
    case ERROR_ALREADY_EXISTS:
      throw VAlreadyExistsException(code, where, std::move(cp));
    case ERROR_SERVICE_DOES_NOT_EXIST:
      throw VServiceDoesNotExistException(code, where, std::move(cp));
    case ERROR_SERVICE_MARKED_FOR_DELETE:
      throw VServiceMarkedForDeleteException(code, where, std::move(cp));
    case ERROR_SERVICE_EXISTS:
      throw VServiceAlreadyExistsException(code, where, std::move(cp));
    case NERR_PasswordTooShort:
      throw VPasswordTooShortException(code, where, std::move(cp));
    default:
      throw vosexception(code, where, std::move(cp));
  }
}

void throwOsError(const std::wstring& where, uint32_t code, vcallpoint cp) {
  throwOsError(where.c_str(), code, std::move(cp));
}

std::wstring osErrorText(uint32_t code, const wchar_t* where) {
  std::wstring tail = vaformat(L" (Error code %lu)", code);
  if (where) {
    tail += L" at ";
    tail += where;
  }
  std::optional<std::wstring> text = systemMessageText(code);
  if (!text) return L"Unknown error" + tail;
  while (!text->empty() && (text->back() == L'\r' || text->back() == L'\n')) text->pop_back();
  return *text + tail;
}

}  // namespace wc
