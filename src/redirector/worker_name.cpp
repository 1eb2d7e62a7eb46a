#include "redirector/worker_name.h"

std::wstring workerName(std::wstring_view hostName) {
  std::wstring name(hostName);
  for (wchar_t& c : name) {
    if (c == L'.') c = L'_';
  }
  return name;
}
