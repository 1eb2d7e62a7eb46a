#pragma once
// The base library's failure type: a wide message plus the call points of the
// guarded operations it passed on its way up, innermost first.

#include <cstdint>
#include <string>
#include <vector>

namespace wc {

struct vcallpoint {
  std::wstring context;  // filled context format of the operation, may be empty
  std::string function;  // qualified name, e.g. "TomcatManager::addAlias"
  uint32_t line = 0;     // source line of the guard or throw
};

// Builds a call point of the current source line.
#define VCALLPOINT(context, function) (vcallpoint{(context), (function), static_cast<uint32_t>(__LINE__)})

// No virtual functions on purpose: copying a subclass through a vexception
// reference yields a plain vexception, which is how a guard makes handlers for
// subclasses stop matching once the failure has left the guarded body.
class vexception {
 public:
  vexception() = default;
  explicit vexception(std::wstring message) : message_(std::move(message)) {}
  vexception(std::wstring message, vcallpoint callPoint) : message_(std::move(message)) {
    callPoints_.push_back(std::move(callPoint));
  }

  vexception& addCallPoint(vcallpoint callPoint) {
    callPoints_.push_back(std::move(callPoint));
    return *this;
  }

  // The message, then "\n   at context(function line N)" per call point.
  std::wstring fullText() const;

  const std::wstring& message() const { return message_; }
  const std::vector<vcallpoint>& callPoints() const { return callPoints_; }

 protected:
  std::wstring message_;
  std::vector<vcallpoint> callPoints_;
};

// An argument the operation cannot work with.
class ArgumentException : public vexception {
 public:
  using vexception::vexception;
};

// The code of a processor or OS fault, thrown only by the fault translator.
struct cwrpexception {
  uint32_t code = 0;
};

// "C structured exception: 0x<code in lower-case hex>".
std::wstring structuredExceptionText(const cwrpexception& e);

// Thrown where a working buffer cannot be allocated.
[[noreturn]] void throwOutOfMemory();

}  // namespace wc
