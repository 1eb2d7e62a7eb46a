// hcpreg on Windows: the arguments arrive as UTF-16 through wmain, and the
// output is the same UTF-8 bytes as on Linux.

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <iostream>

#include "base/removal/system_context.h"
#include "hcpreg_tool.h"

namespace wc {

std::wstring settingsStoreLocation() { return L"the registry of this machine (HKEY_LOCAL_MACHINE in its 32-bit view)"; }

namespace {

// The console shows the UTF-8 text as text while the tool runs; the code page
// belongs to the console, so the one it had comes back afterwards.
class Utf8ConsoleOutput {
 public:
  Utf8ConsoleOutput() : previous_(GetConsoleOutputCP()) { SetConsoleOutputCP(CP_UTF8); }
  ~Utf8ConsoleOutput() {
    if (previous_) SetConsoleOutputCP(previous_);
  }
  Utf8ConsoleOutput(const Utf8ConsoleOutput&) = delete;
  Utf8ConsoleOutput& operator=(const Utf8ConsoleOutput&) = delete;

 private:
  UINT previous_;
};

}  // namespace

}  // namespace wc

using namespace wc;

int wmain(int argc, wchar_t** argv) {
  // Lines end in "\n" alone, as the Linux tool writes them.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  Utf8ConsoleOutput utf8;
  std::vector<std::wstring> args(argv + 1, argv + argc);
  ToolConsole console{std::cin, std::cout, std::cerr};
  int code = runHcpreg(systemContext(), args, console);
  std::cout.flush();
  std::cerr.flush();
  return code;
}
