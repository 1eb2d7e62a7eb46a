#include "redirector/saved_form.h"

#include <cstddef>

namespace {

// 0xFF when the byte pair breaks the form: a CR not followed by LF, an LF
// not preceded by CR, or a CR right after a CR LF (a blank line). Byte masks
// and no branches, so that the compiler checks many pairs at once.
inline unsigned char breaksForm(unsigned char byte, unsigned char next) {
  const auto mask = [](bool is) { return static_cast<unsigned char>(-static_cast<int>(is)); };
  return static_cast<unsigned char>((mask(byte == '\r') ^ mask(next == '\n')) |
                                    (mask(byte == '\n') & mask(next == '\r')));
}

}  // namespace

bool isInSavedForm(std::string_view text) {
  const size_t size = text.size();
  if (size == 0) return true;
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  if (bytes[0] == '\n' || bytes[size - 1] == '\r') return false;
  // Blocks of a fixed length, each checked in full, then the rest pair by pair.
  constexpr size_t kBlock = 256;
  size_t pair = 0;
  for (; pair + kBlock < size; pair += kBlock) {
    unsigned char broken = 0;
    for (size_t i = pair; i < pair + kBlock; ++i) broken |= breaksForm(bytes[i], bytes[i + 1]);
    if (broken) return false;
  }
  for (; pair + 1 < size; ++pair) {
    if (breaksForm(bytes[pair], bytes[pair + 1])) return false;
  }
  return true;
}
