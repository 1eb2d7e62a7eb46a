#pragma once
// One repair hcpcheck --fix made: what it prints one "fixed:" line for.

#include <string>

namespace wc {

struct Repair {
  std::wstring kind;  // the kind of finding it repaired (finding.h)
  std::wstring host;  // the host in display form; empty when no host is concerned
  std::wstring done;  // what was done, one sentence without a final stop

  bool operator==(const Repair&) const = default;
};

}  // namespace wc
