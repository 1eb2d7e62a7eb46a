// The exported slot of this module. A program or library exports it by name
// from its export table, where the other modules of the process look for it
// with GetProcAddress.

#include "base/log/execute_context.h"

extern "C" {
__declspec(dllexport) ExecuteContext* m_ExecuteContext_4D93FADE_7B9E_4286_AE07_54AF471F7E22 = nullptr;
}
