#include <iterator>

#include "base/idn/display_form.h"

namespace wc {

namespace {

struct ErrorBit {
  uint32_t bit;
  const wchar_t* line;
};

// The UIDNA_ERROR_* values of ICU, in their order.
constexpr ErrorBit kErrorBits[] = {
    {0x1, L"A non-final domain name label (or the whole domain name) is empty.\n"},
    {0x2, L"A domain name label is longer than 63 bytes.\n"},
    {0x4, L"A domain name is longer than 255 bytes in its storage form.\n"},
    {0x8, L"A label starts with a hyphen-minus ('-').\n"},
    {0x10, L"A label ends with a hyphen-minus ('-').\n"},
    {0x20, L"A label contains hyphen-minus ('-') in the third and fourth positions.\n"},
    {0x40, L"A label starts with a combining mark.\n"},
    {0x80, L"A label or domain name contains disallowed characters.\n"},
    {0x100, L"A label starts with \"xn--\" but does not contain valid Punycode.\n"},
    {0x200, L"A label contains a dot=full stop.\n"},
    {0x400, L"An ACE label does not contain a valid label string.\n"},
    {0x800, L"A label does not meet the IDNA BiDi requirements (for right-to-left characters).\n"},
    {0x1000, L"A label does not meet the IDNA CONTEXTJ requirements.\n"},
    {0x2000, L"A label does not meet the IDNA CONTEXTO requirements for punctuation characters.\n"},
    {0x4000, L"A label does not meet the IDNA CONTEXTO requirements for digits.\n"},
};

}  // namespace

std::wstring idnaErrorBitsText(uint32_t errors) {
  std::wstring text;
  for (const ErrorBit& entry : kErrorBits) {
    if (errors & entry.bit) text += entry.line;
  }
  if (text.empty()) text = L"Unspecified or empty IDNA error bit set.";
  return text;
}

}  // namespace wc
