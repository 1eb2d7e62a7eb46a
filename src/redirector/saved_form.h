#pragma once
// Whether a loaded text already has the line breaks that saving its lines
// would write: CR LF after every line, no blank line after the first, no CR or
// LF on its own. Only the break after the last line may be missing. Such a
// text saves as itself (plus that last break), so the stretches an edit does
// not touch can be written as they were read.

#include <string_view>

namespace wc {

bool isInSavedForm(std::string_view text);

// The same check of a text read in stretches. Each byte is judged with the
// two after it, so the last two bytes of a stretch that does not end the text
// are left for the next stretch, which must begin with them.
bool keepsSavedForm(std::string_view stretch, bool beginsText, bool endsText);

}  // namespace wc
