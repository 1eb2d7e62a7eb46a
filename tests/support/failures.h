#pragma once
// What the tests of every area ask of a failure and of a text: the vexception
// a call ends with, and a wide string from a UTF-8 literal.

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

#include "base/errors/vexception.h"
#include "base/text/unicode.h"

namespace testing_support {

// The vexception that `call` ends with; a test failure when it ends normally
// (the returned exception then says so).
template <class Call>
vexception failureOf(Call&& call) {
  try {
    std::forward<Call>(call)();
  } catch (const vexception& e) {
    return e;
  }
  ADD_FAILURE() << "the call ended without a failure";
  return vexception(L"<no failure>");
}

// The exception of type E that `call` ends with, for checking the kind of
// failure too; another exception leaves the test, and a normal end fails it.
template <class E, class Call>
E failureAs(Call&& call) {
  try {
    std::forward<Call>(call)();
  } catch (const E& e) {
    return e;
  }
  ADD_FAILURE() << "the call ended without a failure";
  throw std::logic_error("the call ended without a failure");
}

// The full text (message and call points) of the failure `call` ends with.
template <class Call>
std::wstring failureTextOf(Call&& call) {
  return failureOf(std::forward<Call>(call)).fullText();
}

// A wide string from UTF-8 (paths and texts in tests are written in UTF-8).
inline std::wstring w(std::string_view utf8) { return utf8ToWideLenient(utf8); }

}  // namespace testing_support
