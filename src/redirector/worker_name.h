#pragma once
// The redirector's AJP worker of a virtual host.

#include <string>
#include <string_view>

namespace wc {

// The host name with every '.' replaced by '_'; letter case is kept, so host
// 'Ab.test' has the worker 'Ab_test'.
std::wstring workerName(std::wstring_view hostName);

}  // namespace wc
