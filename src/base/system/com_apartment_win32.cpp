#include "base/system/com_apartment.h"

#include <objbase.h>
#include <windows.h>

#include "base/errors/com_error.h"

namespace wc {

ComApartment::ComApartment() {
  const HRESULT result = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  if (result == S_OK || result == S_FALSE) {
    uninitializeDue_ = true;
  } else if (result != RPC_E_CHANGED_MODE) {
    // Another mode already set up on this thread serves as well.
    throw ComError(static_cast<uint32_t>(result));
  }
}

ComApartment::~ComApartment() {
  if (uninitializeDue_) CoUninitialize();
}

}  // namespace wc
