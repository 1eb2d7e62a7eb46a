#pragma once
// The first of a few bytes in a text, sixteen bytes compared at once (GCC's
// and Clang's vector types; SSE2 on x86-64): the property files' readers look
// for line breaks and separators in hundreds of thousands of short lines,
// where a library search per byte kind would cost a call each.

#include <bit>
#include <cstdint>
#include <cstring>

namespace wc {

// The first byte at or after `p` that is one of `Bytes`, or `end`.
template <char... Bytes>
const char* firstOfBytes(const char* p, const char* end) {
  using SignedBytes16 = signed char __attribute__((vector_size(16)));
  for (; end - p >= 16; p += 16) {
    SignedBytes16 bytes;
    std::memcpy(&bytes, p, 16);
    // A lane is all ones where the byte is one of them.
    const SignedBytes16 flags = ((bytes == static_cast<signed char>(Bytes)) | ...);
    uint64_t halves[2];
    std::memcpy(halves, &flags, 16);
    if (halves[0] | halves[1])
      return p + (halves[0] ? std::countr_zero(halves[0]) / 8 : 8 + std::countr_zero(halves[1]) / 8);
  }
  for (; p < end; ++p) {
    if (((*p == Bytes) || ...)) return p;
  }
  return end;
}

}  // namespace wc
