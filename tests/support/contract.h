#pragma once
// Contract tests run one table of scenarios against a fake and against the
// real service it stands for, as the instances of a typed test; each machine
// type names its instance with `kName` ("Fake", "Real", ...).

#include <string>

namespace wc {

namespace testing_support {

struct MachineNames {
  template <class Machine>
  static std::string GetName(int) {
    return Machine::kName;
  }
};

}  // namespace testing_support

}  // namespace wc
