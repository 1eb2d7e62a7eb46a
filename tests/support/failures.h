#pragma once
// What the tests of every area ask of a failure and of a text: the vexception
// a call ends with, whether a text holds a part, and a wide string from a
// UTF-8 literal.

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

#include "base/errors/vexception.h"
#include "base/text/unicode.h"

namespace wc {

namespace testing_support {

// The failure of class E that `call` ends with (sliced to a vexception unless
// E is asked for). A call that ends normally or with another class fails the
// test: the first with a note, both by an exception out of the test body.
template <class E = vexception, class Call>
E failureOf(Call&& call) {
  try {
    std::forward<Call>(call)();
  } catch (const E& e) {
    return e;
  }
  ADD_FAILURE() << "the call ended without a failure";
  throw std::logic_error("the call ended without a failure");
}

// Whether `text` holds `part`, with the whole text in the failure note.
inline ::testing::AssertionResult holds(const std::wstring& text, const std::wstring& part) {
  if (text.find(part) != std::wstring::npos) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "'" << wideToUtf8Lenient(text) << "' lacks '" << wideToUtf8Lenient(part)
                                       << "'";
}

// The full text (message and call points) of the failure `call` ends with.
template <class Call>
std::wstring failureTextOf(Call&& call) {
  return failureOf(std::forward<Call>(call)).fullText();
}

// A wide string from UTF-8 (paths and texts in tests are written in UTF-8).
inline std::wstring w(std::string_view utf8) { return utf8ToWideLenient(utf8); }

}  // namespace testing_support

}  // namespace wc
