// The exported slot of this module. Default visibility keeps it in the dynamic
// symbol table of a shared library (and of a program linked to export its
// symbols), where the other modules of the process look for it.

#include "base/log/execute_context.h"

extern "C" {
__attribute__((visibility("default"))) ExecuteContext* m_ExecuteContext_4D93FADE_7B9E_4286_AE07_54AF471F7E22 = nullptr;
}
