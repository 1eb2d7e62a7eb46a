#pragma once
// The dispatcher's check of the names a command carries in its parameters,
// before any operation runs; the rules themselves are those of
// names/name_rules.h. The names in an aliases file are checked by the
// operation that reads the file.

#include "app/params.h"

namespace wc {

// Throws "Invalid <what> '<value>' in <parameter>: <problem>" for the first
// name parameter of the command whose value breaks its rule.
void checkCommandNames(const Params& params);

}  // namespace wc
