#pragma once
// The commands of the program, in the order in which their names are tested.

#include <string>
#include <vector>

#include "app/params.h"

namespace wc {

class TomcatManager;

struct CommandRow {
  // One name, or two spellings of one command (the second may be null).
  const wchar_t* name;
  const wchar_t* secondName;
  // False: check is not called and any argument is accepted and ignored.
  bool checked;
  DeclarationList required;
  DeclarationList optional;
  // Reads the values and calls the operation; prints a listing's result.
  void (*run)(TomcatManager& manager, const Params& params);
};

const std::vector<CommandRow>& commandTable();

// The line a row adds to the list of possible commands: three blanks before a
// name, four before each of two spellings.
std::wstring commandListEntry(const CommandRow& row);

}  // namespace wc
