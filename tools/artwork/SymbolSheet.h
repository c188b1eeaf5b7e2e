#pragma once
// A contact sheet of the system symbol artwork, for looking at it: every symbol
// large (on a grey square showing its own box) and at its real size at 3x.

#include "tools/artwork/Canvas.h"

namespace kavro::artwork {

Canvas drawSymbolSheet();

}  // namespace kavro::artwork
