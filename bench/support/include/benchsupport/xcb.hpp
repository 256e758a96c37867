// An XCB connection that hears every top-level window mapped on the display
// (one for a whole run: an X server resets when its last client goes).
#pragma once

#include <xcb/xcb.h>

#include <cstdint>

namespace benchsupport {

// nullptr when there is no connection to the X server.
inline xcb_connection_t* listenToTopLevels() {
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        xcb_disconnect(c);
        return nullptr;
    }
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, screen->root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(c);
    return c;
}

}  // namespace benchsupport
