#include "platform/x11/X11SelectionConversion.h"

#include <algorithm>
#include <limits>
#include <string_view>
#include <vector>

namespace nimbrook {
namespace {

using Clock = X11EventWait::Clock;
using Outcome = X11SelectionConversion::Outcome;
using Result = X11SelectionConversion::Result;

Result endedAs(Outcome outcome) {
    Result result;
    result.outcome = outcome;
    return result;
}

std::uint8_t typeOf(const xcb_generic_event_t& event) {
    return event.response_type & 0x7f;
}

std::string_view valueOf(const xcb_get_property_reply_t& reply) {
    return {static_cast<const char*>(xcb_get_property_value(&reply)),
            static_cast<std::size_t>(xcb_get_property_value_length(&reply))};
}

}  // namespace

X11SelectionConversion::Result X11SelectionConversion::convert(xcb_window_t window,
                                                               xcb_atom_t target) const {
    const auto end = Clock::now() + setup_.limits.total;
    xcb_connection_t& connection = setup_.connection;
    xcb_delete_property(&connection, window, setup_.property);
    xcb_convert_selection(&connection, window, setup_.selection, target, setup_.property,
                          XCB_CURRENT_TIME);
    xcb_flush(&connection);
    bool refused = false;
    const auto outcome = await(end, [&](const xcb_generic_event_t& event) {
        if (typeOf(event) != XCB_SELECTION_NOTIFY) {
            return false;
        }
        const auto& notify = reinterpret_cast<const xcb_selection_notify_event_t&>(event);
        if (notify.requestor != window || notify.selection != setup_.selection ||
            notify.target != target) {
            return false;
        }
        refused = notify.property == XCB_ATOM_NONE;
        return true;
    });
    if (outcome) {
        return endedAs(*outcome);
    }
    if (refused) {
        return endedAs(Outcome::refused);
    }
    return readProperty(window, end);
}

std::optional<X11SelectionConversion::Outcome> X11SelectionConversion::await(
    Clock::time_point end, const Predicate& isAwaited) const {
    // The stall counts from the last sign of the owner, which is this wait's start.
    const auto stallEnd = std::min(end, Clock::now() + setup_.limits.stall);
    while (auto event = setup_.events.next(stallEnd)) {
        if (isAwaited(*event)) {
            return std::nullopt;
        }
        if (!setup_.stillWanted(*event)) {
            return Outcome::superseded;
        }
    }
    return Outcome::abandoned;
}

X11SelectionConversion::Result X11SelectionConversion::readProperty(xcb_window_t window,
                                                                    Clock::time_point end) const {
    // First only its type and size: an owner may have appended far more than is taken.
    const auto head = property(window, false, 4);
    if (!head || head->type == XCB_ATOM_NONE) {
        return endedAs(Outcome::refused);
    }
    if (head->type == setup_.incr) {
        const auto value = valueOf(*head);
        std::uint32_t announced = 0;
        if (head->format == 32 && value.size() >= sizeof announced) {
            std::copy_n(value.data(), sizeof announced, reinterpret_cast<char*>(&announced));
        }
        return readIncrementally(window, announced, end);
    }
    const std::size_t size = valueOf(*head).size() + head->bytes_after;
    if (size > setup_.limits.maximumBytes) {
        xcb_delete_property(&setup_.connection, window, setup_.property);
        return endedAs(Outcome::abandoned);
    }
    const auto whole = property(window, true, size);
    if (!whole || whole->bytes_after != 0) {
        return endedAs(Outcome::abandoned);
    }
    return {Outcome::delivered, std::string(valueOf(*whole)), whole->type, whole->format};
}

// The owner announces a lower bound of the size; each deletion of the property asks for the
// next piece, and an empty piece ends the transfer. The pieces stay in the replies they came
// in until the end, so that a transfer given up at the maximum never held more.
X11SelectionConversion::Result X11SelectionConversion::readIncrementally(
    xcb_window_t window, std::uint32_t announced, Clock::time_point end) const {
    const std::size_t maximum = setup_.limits.maximumBytes;
    if (announced > maximum) {
        return endedAs(Outcome::abandoned);
    }
    xcb_delete_property(&setup_.connection, window, setup_.property);
    xcb_flush(&setup_.connection);
    std::vector<XcbPointer<xcb_get_property_reply_t>> pieces;
    std::size_t received = 0;
    for (;;) {
        const auto outcome = await(end, [&](const xcb_generic_event_t& event) {
            const auto& notify = reinterpret_cast<const xcb_property_notify_event_t&>(event);
            return typeOf(event) == XCB_PROPERTY_NOTIFY && notify.window == window &&
                   notify.atom == setup_.property && notify.state == XCB_PROPERTY_NEW_VALUE;
        });
        if (outcome) {
            return endedAs(*outcome);
        }
        auto piece = property(window, true, maximum - received + 1);
        if (!piece) {
            return endedAs(Outcome::abandoned);
        }
        const std::size_t size = valueOf(*piece).size();
        if (piece->bytes_after != 0 || received + size > maximum) {
            return endedAs(Outcome::abandoned);
        }
        if (size == 0) {
            break;
        }
        received += size;
        pieces.push_back(std::move(piece));
    }
    Result result = endedAs(Outcome::delivered);
    result.bytes.reserve(received);
    for (auto& piece : pieces) {
        result.bytes += valueOf(*piece);
        result.type = piece->type;
        result.format = piece->format;
        piece.reset();
    }
    return result;
}

XcbPointer<xcb_get_property_reply_t> X11SelectionConversion::property(xcb_window_t window,
                                                                      bool remove,
                                                                      std::size_t bytes) const {
    const auto words = static_cast<std::uint32_t>(
        std::min<std::size_t>((bytes + 3) / 4, std::numeric_limits<std::uint32_t>::max()));
    const auto cookie = xcb_get_property(&setup_.connection, remove ? 1 : 0, window,
                                         setup_.property, XCB_GET_PROPERTY_TYPE_ANY, 0, words);
    xcb_generic_error_t* error = nullptr;
    XcbPointer<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(&setup_.connection, cookie, &error));
    std::free(error);
    return reply;
}

}  // namespace nimbrook
