// hcpreg on Windows: the arguments arrive as UTF-16 through wmain, and the
// output is the same UTF-8 bytes as on Linux.

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <iostream>

#include "hcpreg_tool.h"

std::wstring settingsStoreLocation() { return L"the registry of this machine (HKEY_LOCAL_MACHINE in its 32-bit view)"; }

int wmain(int argc, wchar_t** argv) {
  // Lines end in "\n" alone, as the Linux tool writes them, and a console
  // shows the UTF-8 text as text.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  SetConsoleOutputCP(CP_UTF8);
  std::vector<std::wstring> args(argv + 1, argv + argc);
  ToolConsole console{std::cin, std::cout, std::cerr};
  return runHcpreg(args, console);
}
