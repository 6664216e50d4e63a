#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <xcb/xcb.h>

#include "platform/x11/X11EventWait.h"
#include "platform/x11/X11Offer.h"
#include "platform/x11/X11SelectionConversion.h"

namespace nimbrook {

// The CLIPBOARD selection (never PRIMARY) read on an X connection and a thread of its own.
// Each change of owner (an XFixes event) is read whole, within the conversion's limits, and
// only then published: other threads learn of a change once its content is in memory, and
// never wait for the owner. An owner replaced while it is read is dropped and the new one
// read instead, so no offer mixes two owners (the secret check of one, the text of the next).
class X11ClipboardReader final {
public:
    // Connects to $DISPLAY; without it or its XFixes extension isConnected() is false and the
    // offer never changes. An offer that carries the target `ownType` is this program's own.
    // `onPublished` runs on the reader's thread each time latest() has moved on.
    X11ClipboardReader(const std::string& ownType, X11SelectionConversion::Limits limits,
                       std::function<void()> onPublished = {});
    ~X11ClipboardReader();
    X11ClipboardReader(const X11ClipboardReader&) = delete;
    X11ClipboardReader& operator=(const X11ClipboardReader&) = delete;

    bool isConnected() const { return thread_.joinable(); }
    // The newest offer read whole; an empty one with change count 0 before any change. Any
    // thread may ask: it waits at most for the reader to swap a pointer.
    std::shared_ptr<const X11Offer> latest() const;
    // Waits, at most `bound`, until no change of owner that this reader has been told of is
    // still being read (published or dropped).
    void awaitRead(std::chrono::milliseconds bound) const;

private:
    struct Atoms {
        xcb_atom_t clipboard, targets, incr, property, utf8, utf8Plain, plain, text, png, tiff,
            secretHint, own;
    };

    bool connect(const std::string& ownType);
    xcb_window_t newWindow(std::uint32_t events);
    void run();
    void note(const xcb_generic_event_t& event);
    std::optional<X11Offer> read();
    void readContent(const std::vector<xcb_atom_t>& offered, X11Offer& offer);
    // The answer for `target`, nullopt when refused or when the offer is lost (lost_ says).
    std::optional<X11SelectionConversion::Result> fetch(xcb_atom_t target);
    void publish(X11Offer offer);
    void setReading(bool reading);

    X11SelectionConversion::Limits limits_;
    const std::function<void()> onPublished_;
    xcb_connection_t* connection_ = nullptr;
    std::unique_ptr<X11EventWait> events_;
    std::unique_ptr<X11SelectionConversion> conversion_;
    Atoms atoms_{};
    std::uint8_t xfixesEvent_ = 0;
    xcb_window_t root_ = XCB_WINDOW_NONE;
    xcb_window_t watcher_ = XCB_WINDOW_NONE;
    // The reader's thread alone uses these.
    xcb_window_t requestor_ = XCB_WINDOW_NONE;
    xcb_window_t owner_ = XCB_WINDOW_NONE;
    std::int64_t changes_ = 0;
    bool pending_ = false;
    std::optional<X11SelectionConversion::Outcome> lost_;

    mutable std::mutex mutex_;
    std::shared_ptr<const X11Offer> latest_ = std::make_shared<const X11Offer>();
    bool reading_ = false;
    mutable std::condition_variable readDone_;
    std::thread thread_;
};

}  // namespace nimbrook
