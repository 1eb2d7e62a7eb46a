#pragma once
// Errors reported by the operating system, as Windows error codes, and the
// exception classes chosen by code so that callers can catch one condition.

#include <cstdint>
#include <optional>
#include <string>

#include "base/errors/vexception.h"
#include "base/errors/win_error_codes.h"

namespace wc {

class vosexception : public vexception {
 public:
  // The message is osErrorText(code, where); `where` may be null.
  vosexception(uint32_t code, const wchar_t* where, vcallpoint callPoint);
  uint32_t code() const { return code_; }

 private:
  uint32_t code_ = 0;
};

#define WC_DECLARE_OS_EXCEPTION(Name) \
  class Name : public vosexception {  \
   public:                            \
    using vosexception::vosexception; \
  };
WC_DECLARE_OS_EXCEPTION(VFileNotFoundException)            // 2
WC_DECLARE_OS_EXCEPTION(VPathNotFoundException)            // 3
WC_DECLARE_OS_EXCEPTION(VAccessDeniedException)            // 5
WC_DECLARE_OS_EXCEPTION(VOutOfMemoryException)             // 14
WC_DECLARE_OS_EXCEPTION(VSharingViolationException)        // 32
WC_DECLARE_OS_EXCEPTION(VEOFException)                     // 38
WC_DECLARE_OS_EXCEPTION(VFileExistsException)              // 80
WC_DECLARE_OS_EXCEPTION(VInsufficientBufferException)      // 122
WC_DECLARE_OS_EXCEPTION(VAlreadyExistsException)           // 183
WC_DECLARE_OS_EXCEPTION(VServiceDoesNotExistException)     // 1060
WC_DECLARE_OS_EXCEPTION(VServiceMarkedForDeleteException)  // 1072
WC_DECLARE_OS_EXCEPTION(VServiceAlreadyExistsException)    // 1073
WC_DECLARE_OS_EXCEPTION(VPasswordTooShortException)        // 2245
#undef WC_DECLARE_OS_EXCEPTION

// Throws the vosexception subclass that fits `code`.
[[noreturn]] void throwOsError(const wchar_t* where, uint32_t code, vcallpoint callPoint);
[[noreturn]] void throwOsError(const std::wstring& where, uint32_t code, vcallpoint callPoint);

// "<system text> (Error code N) at <where>", or "Unknown error (Error code N)..."
// when the system has no text for the code.
std::wstring osErrorText(uint32_t code, const wchar_t* where);

// The system's message text for a code, trailing line breaks removed; nothing
// when the system has none. Platform seam: the Windows message table, or the
// English texts carried by the program on POSIX.
std::optional<std::wstring> systemMessageText(uint32_t code);

}  // namespace wc
