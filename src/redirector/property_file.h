#pragma once
// The redirector's property files: key=value lines with '#' comments.

#include "redirector/vkeyvalue.h"
#include "redirector/vtextfile.h"

namespace wc {

using PropertyLine = vkeyvalue<'#'>;
using PropertyFile = vtextfile<PropertyLine>;

}  // namespace wc
