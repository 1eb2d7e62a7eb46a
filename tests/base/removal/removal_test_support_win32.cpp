#include "removal_test_support.h"

#include "base/removal/removal_task.h"
#include "base/system/com_apartment.h"

// After the project's headers: the macros of the Windows headers carry the
// same names as the project's constants.
#include <mstask.h>
#include <windows.h>

namespace wc {

void removal_test::deleteRemovalTask() {
  ComApartment com;
  ITaskScheduler* scheduler = nullptr;
  if (FAILED(CoCreateInstance(CLSID_CTaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskScheduler,
                              reinterpret_cast<void**>(&scheduler))))
    throw std::runtime_error("the Task Scheduler is not there");
  scheduler->Delete(kRemovalTaskName.c_str());
  scheduler->Release();
}

}  // namespace wc
