#pragma once
// The operation guard. Whatever escapes the body becomes a vexception with one
// more call point (context, function, line) and is thrown on; the guard never
// logs and never swallows. Handlers for subclasses (VFileNotFoundException,
// ...) therefore belong inside the body, below the first guard.
//
//   return vguard("TomcatManager::addAlias", 490,
//                 [&] { return vaformat(L"addAlias(%s, %s)", display(host), display(alias)); },
//                 [&] { ... });
//
// The context is either a constant wide text or a callable that makes it; a
// callable runs only when a failure passes, so the happy path stays cheap.

#include <cstdint>
#include <functional>
#include <string>
#include <type_traits>
#include <utility>

#include "base/errors/se_translator.h"
#include "base/errors/vexception.h"

namespace wc {

// The vexception a guard throws for the exception being handled; call it only
// inside a catch block. Clauses in order: std::exception (what() widened),
// vexception (call point appended, copied as a plain vexception), ComError,
// cwrpexception, anything else ("Unexpected error"). A context that fails to
// build replaces the failure with its own.
vexception guardedException(const char* function, uint32_t line, const std::function<std::wstring()>& context);

namespace vguard_detail {
template <class Context>
std::function<std::wstring()> contextMaker(const Context& context) {
  if constexpr (std::is_invocable_v<const Context&>) {
    return [&context] { return std::wstring(context()); };
  } else {
    return [&context] { return std::wstring(context); };
  }
}
}  // namespace vguard_detail

template <class Context, class Body>
decltype(auto) vguard(const char* function, uint32_t line, const Context& context, Body&& body) {
  SeTranslatorScope translator;
  try {
    return std::forward<Body>(body)();
  } catch (...) {
    throw guardedException(function, line, vguard_detail::contextMaker(context));
  }
}

}  // namespace wc
