// The demo for a person: its forms in real windows on an X display, to use by hand.
#pragma once

#include <vector>

#include "platform/vcl/form.h"

namespace demo {

// Shows the forms (the first in front) on the X display $DISPLAY names and runs until a person
// ends it with a window's close button. Frees the forms. Returns the program's exit code: 0,
// or 2 when there is no display to show them on (the reason is printed).
int RunLive(const std::vector<vcl::TForm*>& Forms);

}  // namespace demo
