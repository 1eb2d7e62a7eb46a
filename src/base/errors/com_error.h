#pragma once
// A failed COM-style call: the portable stand-in for the platform's COM error
// object. The XML layer raises it for DOM failures; the guards convert it.

#include <cstdint>
#include <string>

namespace wc {

class ComError {
 public:
  explicit ComError(uint32_t hresult, std::wstring description = {}, bool interop = false)
      : hresult_(hresult), description_(std::move(description)), interop_(interop) {}
  uint32_t hresult() const { return hresult_; }
  // The error-info description; empty when there is none.
  const std::wstring& description() const { return description_; }
  // True when the error info came from a managed-code component.
  bool interop() const { return interop_; }
  // The standard message text for the HRESULT.
  std::wstring errorMessage() const;

 private:
  uint32_t hresult_;
  std::wstring description_;
  bool interop_;
};

class vexception;
// "<message> (COM Error XXXXXXXX[, Description: d])\n   at <context>", with one
// call point of empty context.
vexception comErrorException(const ComError& error, const std::wstring& context, const char* function, uint32_t line);

}  // namespace wc
