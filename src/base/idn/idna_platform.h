#pragma once
// What the platform offers to turn domain names into Unicode: ICU's UTS #46
// conversion (the system's ICU, loaded on first use, where the system has
// one) and an IDNA2003 conversion (ICU's on POSIX, the system's IdnToUnicode
// on Windows). UTF-8 in, UTF-8 out.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace wc {

// An ICU UTS #46 instance (UIDNA).
class Uts46Instance;
struct Uts46InstanceCloser {
  void operator()(Uts46Instance* instance) const;
};
using Uts46InstancePtr = std::unique_ptr<Uts46Instance, Uts46InstanceCloser>;

// False when the system has no ICU (Windows before 10 version 1703, Wine, a
// POSIX system without the ICU the program was built against).
bool hasUts46();
// uidna_openUTS46 with `options`; null with `status` (an ICU error code) set
// when ICU refuses.
Uts46InstancePtr openUts46(uint32_t options, int32_t& status);

struct Uts46Outcome {
  std::string unicode;
  int32_t status = 0;   // ICU error code; above 0 is a failure
  uint32_t errors = 0;  // UIDNA_ERROR_* bits
};
Uts46Outcome uts46NameToUnicode(const Uts46Instance& instance, const std::string& name);

// u_errorName.
std::wstring icuErrorName(int32_t status);

struct Idna2003Outcome {
  std::string unicode;
  // What went wrong: ICU's error name, or the system's text for its error.
  std::optional<std::wstring> failure;
};
// At most 256 UTF-16 units of result; a longer one is a failure.
Idna2003Outcome idna2003NameToUnicode(const std::string& name, bool useStd3Rules);

}  // namespace wc
