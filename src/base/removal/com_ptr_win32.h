#pragma once
// Owning pointers of the COM objects that the removal's Windows calls hand
// out: Release() once when the pointer goes.

#include "base/system/unique_handle.h"

namespace wc {

template <class Interface>
struct ComTraits {
  using Handle = Interface*;
  static Interface* invalid() { return nullptr; }
  static void close(Interface* object) { object->Release(); }
};
template <class Interface>
using ComPtr = UniqueHandle<ComTraits<Interface>>;

}  // namespace wc
