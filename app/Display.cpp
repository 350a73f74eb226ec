#include "app/Display.h"

#include <cstdlib>

namespace vantrel {

namespace {
bool IsSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}
}  // namespace

bool DisplayAvailable() {
#if defined(__linux__) || defined(__FreeBSD__)
    return IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY") || IsSet("QT_QPA_PLATFORM");
#else
    return true;
#endif
}

}  // namespace vantrel
