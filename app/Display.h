// Whether a window can be shown at all, asked before Qt is started (Qt aborts without one).
#pragma once

#include <string>

namespace vantrel {

// Empty when a display server can be reached (X11 or Wayland), or a Qt platform plugin that
// needs none is chosen by hand; else one line saying what is missing.
std::string DisplayProblem();

}  // namespace vantrel
