#include "base/log/execute_context.h"

#include "base/system/dynamic_library.h"

namespace wc {

ExecuteContext* acquireExecuteContext(const std::vector<ExecuteContext**>& slots, ExecuteContext*& ownSlot) {
  for (ExecuteContext** slot : slots) {
    if (slot && *slot) {
      ExecuteContext* context = *slot;
      context->references.fetch_add(1);
      return context;
    }
  }
  auto* context = new ExecuteContext;
  ownSlot = context;
  return context;
}

void releaseExecuteContext(ExecuteContext* context, ExecuteContext*& ownSlot) {
  if (!context || context->references.fetch_sub(1) != 1) return;
  if (ownSlot == context) ownSlot = nullptr;
  delete[] context->sinkTable;
  delete context;
}

std::vector<ExecuteContext**> exportedExecuteContextSlots() {
  std::vector<ExecuteContext**> slots;
  for (void* address : findSymbolInLoadedModules(kExecuteContextSymbol)) {
    slots.push_back(static_cast<ExecuteContext**>(address));
  }
  return slots;
}

}  // namespace wc
