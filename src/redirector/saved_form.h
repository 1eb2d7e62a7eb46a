#pragma once
// Whether a loaded text already has the line breaks that saving its lines
// would write: CR LF after every line, no blank line after the first, no CR or
// LF on its own. Only the break after the last line may be missing. Such a
// text saves as itself (plus that last break), so the stretches an edit does
// not touch can be written as they were read.

#include <string_view>

namespace wc {

bool isInSavedForm(std::string_view text);

}  // namespace wc
