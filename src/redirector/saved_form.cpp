#include "redirector/saved_form.h"

#include <cstddef>

namespace wc {

namespace {

inline unsigned char byteMask(bool is) { return static_cast<unsigned char>(-static_cast<int>(is)); }

// 0xFF when the bytes at `at` break the form: a CR not followed by LF, an LF
// not preceded by CR, or a CR two bytes after a CR, which with the first two
// rules is a CR right after a CR LF (a blank line). Byte masks and no
// branches, so that the compiler checks many positions at once.
inline unsigned char breaksForm(const unsigned char* at) {
  const unsigned char cr = byteMask(at[0] == '\r');
  return static_cast<unsigned char>((cr ^ byteMask(at[1] == '\n')) | (cr & byteMask(at[2] == '\r')));
}

}  // namespace

bool isInSavedForm(std::string_view text) { return keepsSavedForm(text, true, true); }

bool keepsSavedForm(std::string_view stretch, bool beginsText, bool endsText) {
  const size_t size = stretch.size();
  if (size == 0) return true;
  const auto* bytes = reinterpret_cast<const unsigned char*>(stretch.data());
  if ((beginsText && bytes[0] == '\n') || (endsText && bytes[size - 1] == '\r')) return false;
  // Blocks of a fixed length, each checked in full, then the rest one by one.
  constexpr size_t kBlock = 256;
  size_t at = 0;
  for (; at + kBlock + 2 <= size; at += kBlock) {
    unsigned char broken = 0;
    for (size_t i = at; i < at + kBlock; ++i) broken |= breaksForm(bytes + i);
    if (broken) return false;
  }
  for (; at + 2 < size; ++at) {
    if (breaksForm(bytes + at)) return false;
  }
  // The last pair of the text has no third byte.
  return !endsText || size < 2 || (bytes[size - 2] == '\r') == (bytes[size - 1] == '\n');
}

}  // namespace wc
