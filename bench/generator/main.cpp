// wcbench-gen: writes the state of a panel server with many hosts, for the
// benchmark or for looking at by hand.
//
//   wcbench-gen --hosts=N --root=SANDBOX_ROOT --out=DIR [--aliases-per-host=2] [--consistent]

#include <cstdio>
#include <exception>
#include <stdexcept>
#include <string>

#include "generator/state_generator.h"

int main(int argc, char** argv) {
  bench::StateShape shape;
  std::string out;
  try {
    for (int i = 1; i < argc; ++i) {
      std::string arg = argv[i];
      auto value = [&](const std::string& name) -> const char* {
        return arg.rfind(name + "=", 0) == 0 ? argv[i] + name.size() + 1 : nullptr;
      };
      if (const char* v = value("--hosts"))
        shape.hosts = std::stoi(v);
      else if (const char* v = value("--aliases-per-host"))
        shape.aliasesPerHost = std::stoi(v);
      else if (const char* v = value("--root"))
        shape.sandboxRoot = v;
      else if (const char* v = value("--out"))
        out = v;
      else if (arg == "--consistent")
        shape.consistent = true;
      else
        throw std::runtime_error("unknown argument '" + arg + "'");
    }
    if (out.empty() || shape.sandboxRoot.empty()) throw std::runtime_error("--root and --out are required");
    bench::generateState(shape, out);
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(
        stderr,
        "wcbench-gen: %s\nUsage: wcbench-gen --hosts=N --root=DIR --out=DIR [--aliases-per-host=N] [--consistent]\n",
        e.what());
    return 1;
  }
}
