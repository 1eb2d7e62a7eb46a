#pragma once
// printf-style wide formatting for context strings and log messages, checked
// against the argument types at run time instead of trusting C varargs.
//
// Formats follow the Windows wide printf: %s takes a wide or a narrow string
// (a narrow one is widened from the ANSI code page), %d/%u/%x take integers of
// 32 bits unless "ll" or "I64" asks for 64, %c a character code, %p a pointer.
// A format that does not fit its arguments, or a text that would not fit in a
// buffer grown by doubling from 100 characters to 10,485,760, gives the text
// "Error on try call vaformat" instead; vaformat never throws for that.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>

namespace wc {

class FormatArg {
 public:
  enum class Kind { Signed, Unsigned, Double, Wide, Narrow, Pointer };

  template <class T, std::enable_if_t<std::is_integral_v<T> && std::is_signed_v<T>, int> = 0>
  FormatArg(T v) : kind_(Kind::Signed), signed_(v) {}
  template <class T, std::enable_if_t<std::is_integral_v<T> && !std::is_signed_v<T>, int> = 0>
  FormatArg(T v) : kind_(Kind::Unsigned), unsigned_(v) {}
  template <class T, std::enable_if_t<std::is_enum_v<T>, int> = 0>
  FormatArg(T v) : FormatArg(static_cast<std::underlying_type_t<T>>(v)) {}
  FormatArg(double v) : kind_(Kind::Double), double_(v) {}
  FormatArg(const wchar_t* v) : kind_(Kind::Wide), wide_(v ? std::wstring_view(v) : std::wstring_view()), null_(!v) {}
  FormatArg(const std::wstring& v) : kind_(Kind::Wide), wide_(v) {}
  FormatArg(std::wstring_view v) : kind_(Kind::Wide), wide_(v) {}
  FormatArg(const char* v) : kind_(Kind::Narrow), narrow_(v ? std::string_view(v) : std::string_view()), null_(!v) {}
  FormatArg(const std::string& v) : kind_(Kind::Narrow), narrow_(v) {}
  FormatArg(std::string_view v) : kind_(Kind::Narrow), narrow_(v) {}
  FormatArg(const void* v) : kind_(Kind::Pointer), pointer_(v) {}

  Kind kind() const { return kind_; }
  int64_t asSigned() const { return kind_ == Kind::Signed ? signed_ : static_cast<int64_t>(unsigned_); }
  uint64_t asUnsigned() const { return kind_ == Kind::Unsigned ? unsigned_ : static_cast<uint64_t>(signed_); }
  double asDouble() const { return double_; }
  std::wstring_view wide() const { return wide_; }
  std::string_view narrow() const { return narrow_; }
  const void* pointer() const { return pointer_; }
  bool isNull() const { return null_; }

 private:
  Kind kind_;
  int64_t signed_ = 0;
  uint64_t unsigned_ = 0;
  double double_ = 0;
  std::wstring_view wide_;
  std::string_view narrow_;
  const void* pointer_ = nullptr;
  bool null_ = false;
};

// The formatted text, or nothing when the format does not fit the arguments.
std::optional<std::wstring> formatArgs(std::wstring_view format, const FormatArg* args, size_t count);

// The text vaformat gives for `text` (or a format error): `text` itself when it
// fits in one of the buffers 100, 200, 400, ... characters below 10,485,760.
std::wstring vaformatResult(std::optional<std::wstring> text);

template <class... Args>
std::wstring vaformat(std::wstring_view format, const Args&... args) {
  const std::array<FormatArg, sizeof...(Args)> packed{FormatArg(args)...};
  return vaformatResult(formatArgs(format, packed.data(), packed.size()));
}

}  // namespace wc
