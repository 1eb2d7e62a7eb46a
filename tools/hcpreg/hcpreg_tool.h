#pragma once
// hcpreg: edits the settings store from the command line in the manner of the
// Windows reg tool (query, add, delete, import, export).

#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "base/system/context.h"

namespace wc {

// Where the tool talks: results to `out`, "ERROR: ..." lines to `err`, and
// the answers to its Yes/No questions from `in`. Text is UTF-8.
struct ToolConsole {
  std::istream& in;
  std::ostream& out;
  std::ostream& err;
};

// Where the platform keeps the store, for the usage text; defined beside the
// platform's entry.
std::wstring settingsStoreLocation();

// Runs one command (the arguments after the program name): 0 on success, 1
// with a message on `err` otherwise.
int runHcpreg(const Context& context, const std::vector<std::wstring>& args, ToolConsole& console);

}  // namespace wc
