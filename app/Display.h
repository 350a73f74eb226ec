// Whether a window can be shown at all, asked before Qt is started (Qt aborts without one).
#pragma once

namespace vantrel {

// A display server is named (X11 or Wayland), or a Qt platform plugin is chosen by hand.
bool DisplayAvailable();

}  // namespace vantrel
