#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include <xcb/xcb.h>

#include "platform/Pasteboard.h"
#include "platform/x11/X11EventWait.h"

namespace nimbrook {

// Asks the owner of a selection for one target, into a property of a window of the reader's,
// and takes the answer, piece by piece when the owner sends it so (INCR). It waits only
// within its limits: an owner that stalls or sends too much is given up.
class X11SelectionConversion final {
public:
    enum class Outcome {
        delivered,
        // The owner said it has no such target.
        refused,
        // A deadline passed, more than the maximum came, or the connection ended.
        abandoned,
        // Another owner took the selection meanwhile: what this one sends is not wanted.
        superseded,
    };
    struct Result {
        Outcome outcome = Outcome::abandoned;
        std::string bytes;
        // The type and format the owner gave its answer.
        xcb_atom_t type = XCB_ATOM_NONE;
        std::uint8_t format = 0;
    };
    struct Limits {
        // The longest wait for the owner to move at all.
        std::chrono::milliseconds stall{2000};
        // The longest one target may take, however steadily it trickles.
        std::chrono::milliseconds total{10000};
        std::size_t maximumBytes = Pasteboard::maximumRepresentationBytes;
    };
    struct Setup {
        xcb_connection_t& connection;
        X11EventWait& events;
        xcb_atom_t selection = XCB_ATOM_NONE;
        xcb_atom_t property = XCB_ATOM_NONE;
        xcb_atom_t incr = XCB_ATOM_NONE;
        Limits limits;
        // Told each event that is not the conversion's own; false supersedes the conversion.
        std::function<bool(const xcb_generic_event_t&)> stillWanted;
    };

    explicit X11SelectionConversion(Setup setup) : setup_(std::move(setup)) {}

    // `window` must listen to its property changes. After an abandoned conversion the owner
    // may still write to it: the next conversion wants a fresh window.
    Result convert(xcb_window_t window, xcb_atom_t target) const;

private:
    using Predicate = std::function<bool(const xcb_generic_event_t&)>;

    // Nullopt once an event that `isAwaited` accepts came, else why the wait ended.
    std::optional<Outcome> await(X11EventWait::Clock::time_point end,
                                 const Predicate& isAwaited) const;
    Result readProperty(xcb_window_t window, X11EventWait::Clock::time_point end) const;
    Result readIncrementally(xcb_window_t window, std::uint32_t announced,
                             X11EventWait::Clock::time_point end) const;
    XcbPointer<xcb_get_property_reply_t> property(xcb_window_t window, bool remove,
                                                  std::size_t bytes) const;

    Setup setup_;
};

}  // namespace nimbrook
