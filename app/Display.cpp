#include "app/Display.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#ifdef VANTREL_HAVE_XCB
#include <xcb/xcb.h>
#endif

namespace vantrel {

namespace {

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

bool StartsWith(const std::string& text, const char* start) {
    return text.rfind(start, 0) == 0;
}

bool XServerReachable() {
    if (Environment("DISPLAY").empty()) return false;
#ifdef VANTREL_HAVE_XCB
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const bool reached = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return reached;
#else
    return true;
#endif
}

// The compositor's socket: $WAYLAND_DISPLAY, relative to $XDG_RUNTIME_DIR unless absolute.
bool WaylandReachable() {
    const std::string name = Environment("WAYLAND_DISPLAY");
    if (name.empty()) return false;
    const std::string path =
        name.front() == '/' ? name : Environment("XDG_RUNTIME_DIR") + "/" + name;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof(address.sun_path)) return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (socket < 0) return false;
    const bool reached =
        ::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
    ::close(socket);
    return reached;
}

constexpr const char* Headless =
    "; use the command-line tool vantrel-report to read type libraries without one";

}  // namespace

std::string DisplayProblem() {
#if defined(__linux__) || defined(__FreeBSD__)
    const std::string platform = Environment("QT_QPA_PLATFORM");
    const bool wantsX = StartsWith(platform, "xcb");
    const bool wantsWayland = StartsWith(platform, "wayland");
    if (!platform.empty() && !wantsX && !wantsWayland) return {};
    if (!wantsWayland && XServerReachable()) return {};
    if (!wantsX && WaylandReachable()) return {};
    const std::string display = Environment("DISPLAY");
    const std::string wayland = Environment("WAYLAND_DISPLAY");
    if (display.empty() && wayland.empty()) return std::string("vantrel: no display found") + Headless;
    return "vantrel: the display \"" + (display.empty() || wantsWayland ? wayland : display) +
           "\" can't be reached" + Headless;
#else
    return {};
#endif
}

}  // namespace vantrel
