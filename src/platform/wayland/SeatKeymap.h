#pragma once

#include <cstdint>
#include <memory>

struct wl_keyboard;

namespace nimbrook {

class WaylandConnection;
class XkbKeymap;

// The keyboard map in force on the compositor's seat, asked afresh for each paste (the user
// may have switched layouts since).
class SeatKeymap final {
public:
    // The seat keyboard's map; where the seat has no keyboard (a headless compositor) or
    // hands over no readable map, the one the environment's XKB_DEFAULT_* settings name, as
    // the compositor itself would use. Null only when no map compiles at all.
    static std::unique_ptr<XkbKeymap> current(WaylandConnection& connection);

private:
    static void onKeymap(void* data, wl_keyboard* keyboard, std::uint32_t format, std::int32_t fd,
                         std::uint32_t size);
};

}  // namespace nimbrook
