#pragma once
// The RunTime family: process and handle functions throw subclasses of
// std::runtime_error with a narrow message, chosen by the OS error code.

#include <cstdint>
#include <stdexcept>
#include <string>

#include "base/text/vaformat.h"

namespace wc {

namespace RunTime {

#define WC_DECLARE_RUNTIME_EXCEPTION(Name)   \
  class Name : public std::runtime_error {   \
   public:                                   \
    using std::runtime_error::runtime_error; \
  };
WC_DECLARE_RUNTIME_EXCEPTION(PathNotFoundException)       // 2, 3
WC_DECLARE_RUNTIME_EXCEPTION(AccessDeniedException)       // 5
WC_DECLARE_RUNTIME_EXCEPTION(InvalidHandleException)      // 6
WC_DECLARE_RUNTIME_EXCEPTION(InvalidPathException)        // 15, 26, 34, 123, 161, 267
WC_DECLARE_RUNTIME_EXCEPTION(SharingViolationException)   // 32, 33, 36
WC_DECLARE_RUNTIME_EXCEPTION(AlreadyExistsException)      // 80, 183
WC_DECLARE_RUNTIME_EXCEPTION(DirectoryNotEmptyException)  // 145
WC_DECLARE_RUNTIME_EXCEPTION(NoneMappedException)         // 1332
#undef WC_DECLARE_RUNTIME_EXCEPTION

// The system text for a code; "IDispatch error #N" or "Unknown error 0x.."
// when the system has none.
std::wstring systemErrorText(uint32_t code);

// Throws the class chosen by `code` with the narrow message
// "<text>: (<code>) <system text>", or std::runtime_error(text) for code 0.
[[noreturn]] void throwErrorText(const std::wstring& text, uint32_t code);

template <class... Args>
[[noreturn]] void throwError(const wchar_t* format, uint32_t code, const Args&... args) {
  throwErrorText(vaformat(format, args...), code);
}

}  // namespace RunTime

}  // namespace wc
