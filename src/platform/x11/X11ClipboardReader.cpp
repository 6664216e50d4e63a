#include "platform/x11/X11ClipboardReader.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>
#include <utility>

#include <xcb/xfixes.h>

#include "platform/Pasteboard.h"
#include "platform/UnicodeText.h"

namespace nimbrook {
namespace {

using Outcome = X11SelectionConversion::Outcome;

// Most specific first; TEXT and STRING are the old ICCCM names, the owner's choice of type
// (STRING: Latin-1) saying how the bytes read.
constexpr std::size_t textTargetCount = 5;

std::string latin1ToUtf8(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size());
    for (const char byte : bytes) {
        const auto code = static_cast<unsigned char>(byte);
        if (code < 0x80) {
            text += byte;
        } else {
            text += static_cast<char>(0xc0 | (code >> 6));
            text += static_cast<char>(0x80 | (code & 0x3f));
        }
    }
    return text;
}

// The atoms of a TARGETS answer, which must be 32-bit values; any other form names none.
std::vector<xcb_atom_t> atomsIn(const X11SelectionConversion::Result& targets) {
    std::vector<xcb_atom_t> atoms;
    if (targets.format == 32) {
        atoms.resize(targets.bytes.size() / sizeof(xcb_atom_t));
        std::memcpy(atoms.data(), targets.bytes.data(), atoms.size() * sizeof(xcb_atom_t));
    }
    return atoms;
}

}  // namespace

X11ClipboardReader::X11ClipboardReader(const std::string& ownType,
                                       X11SelectionConversion::Limits limits,
                                       std::function<void()> onPublished)
    : limits_(limits), onPublished_(std::move(onPublished)) {
    if (connect(ownType)) {
        thread_ = std::thread([this] { run(); });
    }
}

X11ClipboardReader::~X11ClipboardReader() {
    if (events_) {
        events_->wake();
    }
    if (thread_.joinable()) {
        thread_.join();
    }
    conversion_.reset();
    events_.reset();
    if (connection_ != nullptr) {
        xcb_disconnect(connection_);
    }
}

bool X11ClipboardReader::connect(const std::string& ownType) {
    int screenNumber = 0;
    connection_ = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection_) != 0) {
        return false;
    }
    const auto* xfixes = xcb_get_extension_data(connection_, &xcb_xfixes_id);
    if (xfixes == nullptr || xfixes->present == 0) {
        return false;
    }
    // The server speaks XFixes to a client only once it has said which version it knows.
    std::free(xcb_xfixes_query_version_reply(
        connection_, xcb_xfixes_query_version(connection_, XCB_XFIXES_MAJOR_VERSION, 0), nullptr));
    xfixesEvent_ = xfixes->first_event + XCB_XFIXES_SELECTION_NOTIFY;

    const std::array<std::string_view, 12> names{"CLIPBOARD",
                                                 "TARGETS",
                                                 "INCR",
                                                 "NIMBROOK_CLIPBOARD",
                                                 "UTF8_STRING",
                                                 "text/plain;charset=utf-8",
                                                 "text/plain",
                                                 "TEXT",
                                                 "image/png",
                                                 "image/tiff",
                                                 Pasteboard::secretHintType,
                                                 ownType};
    std::array<xcb_intern_atom_cookie_t, names.size()> cookies{};
    for (std::size_t i = 0; i < names.size(); ++i) {
        cookies[i] = xcb_intern_atom(connection_, 0, static_cast<std::uint16_t>(names[i].size()),
                                     names[i].data());
    }
    std::array<xcb_atom_t, names.size()> atoms{};
    for (std::size_t i = 0; i < names.size(); ++i) {
        const XcbPointer<xcb_intern_atom_reply_t> reply(
            xcb_intern_atom_reply(connection_, cookies[i], nullptr));
        atoms[i] = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    }
    atoms_ = {atoms[0], atoms[1], atoms[2], atoms[3], atoms[4],  atoms[5],
              atoms[6], atoms[7], atoms[8], atoms[9], atoms[10], atoms[11]};

    auto screens = xcb_setup_roots_iterator(xcb_get_setup(connection_));
    for (int i = 0; i < screenNumber && screens.rem > 1; ++i) {
        xcb_screen_next(&screens);
    }
    root_ = screens.data->root;
    watcher_ = newWindow(0);
    requestor_ = newWindow(XCB_EVENT_MASK_PROPERTY_CHANGE);
    xcb_xfixes_select_selection_input(connection_, watcher_, atoms_.clipboard,
                                      XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
    xcb_flush(connection_);

    events_ = std::make_unique<X11EventWait>(*connection_);
    conversion_ = std::make_unique<X11SelectionConversion>(X11SelectionConversion::Setup{
        .connection = *connection_,
        .events = *events_,
        .selection = atoms_.clipboard,
        .property = atoms_.property,
        .incr = atoms_.incr,
        .limits = limits_,
        .stillWanted =
            [this](const xcb_generic_event_t& event) {
                note(event);
                return !pending_;
            },
    });
    return atoms_.clipboard != XCB_ATOM_NONE && atoms_.property != XCB_ATOM_NONE;
}

xcb_window_t X11ClipboardReader::newWindow(std::uint32_t events) {
    const xcb_window_t window = xcb_generate_id(connection_);
    xcb_create_window(connection_, XCB_COPY_FROM_PARENT, window, root_, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK,
                      &events);
    return window;
}

std::shared_ptr<const X11Offer> X11ClipboardReader::latest() const {
    const std::lock_guard lock(mutex_);
    return latest_;
}

void X11ClipboardReader::awaitRead(std::chrono::milliseconds bound) const {
    std::unique_lock lock(mutex_);
    readDone_.wait_for(lock, bound, [this] { return !reading_; });
}

void X11ClipboardReader::run() {
    while (auto event = events_->next(X11EventWait::Clock::time_point::max())) {
        note(*event);
        while (pending_ && !events_->isWoken()) {
            pending_ = false;
            auto offer = read();
            if (offer && !pending_) {
                publish(std::move(*offer));
            }
        }
        setReading(false);
    }
}

void X11ClipboardReader::setReading(bool reading) {
    {
        const std::lock_guard lock(mutex_);
        reading_ = reading;
    }
    if (!reading) {
        readDone_.notify_all();
    }
}

void X11ClipboardReader::note(const xcb_generic_event_t& event) {
    if ((event.response_type & 0x7f) != xfixesEvent_) {
        return;
    }
    const auto& notify = reinterpret_cast<const xcb_xfixes_selection_notify_event_t&>(event);
    if (notify.selection == atoms_.clipboard) {
        owner_ = notify.owner;
        ++changes_;
        pending_ = true;
        setReading(true);
    }
}

// A password manager's offer is read no further than its mark, and the program's own no
// further than its targets: neither leaves any of its content in this process's memory.
std::optional<X11Offer> X11ClipboardReader::read() {
    lost_.reset();
    X11Offer offer;
    if (owner_ == XCB_WINDOW_NONE) {
        return offer;
    }
    const auto offered = [&] {
        const auto targets = fetch(atoms_.targets);
        return targets ? atomsIn(*targets) : std::vector<xcb_atom_t>();
    }();
    const auto offers = [&](xcb_atom_t target) {
        return target != XCB_ATOM_NONE && std::ranges::find(offered, target) != offered.end();
    };
    if (!lost_ && offers(atoms_.secretHint)) {
        const auto hint = fetch(atoms_.secretHint);
        offer.isSecret = hint && Pasteboard::marksSecret(hint->bytes);
    }
    if (!lost_ && !offer.isSecret) {
        if (offers(atoms_.own)) {
            offer.isOwn = true;
        } else {
            readContent(offered, offer);
        }
    }
    if (lost_ == Outcome::superseded) {
        return std::nullopt;
    }
    // An owner given up on leaves nothing: what it sent before may be half an offer.
    return lost_ ? X11Offer{} : offer;
}

void X11ClipboardReader::readContent(const std::vector<xcb_atom_t>& offered, X11Offer& offer) {
    const auto offers = [&](xcb_atom_t target) {
        return target != XCB_ATOM_NONE && std::ranges::find(offered, target) != offered.end();
    };
    const auto bytesOf = [&](xcb_atom_t target) -> std::optional<std::string> {
        auto result = offers(target) && !lost_ ? fetch(target) : std::nullopt;
        return result ? std::optional(std::move(result->bytes)) : std::nullopt;
    };
    offer.png = bytesOf(atoms_.png);
    // The monitor takes TIFF only where PNG is missing or empty.
    if (!offer.png || offer.png->empty()) {
        offer.tiff = bytesOf(atoms_.tiff);
    }
    const std::array<xcb_atom_t, textTargetCount> textTargets{
        atoms_.utf8, atoms_.utf8Plain, atoms_.plain, XCB_ATOM_STRING, atoms_.text};
    for (const xcb_atom_t target : textTargets) {
        if (lost_ || !offers(target)) {
            continue;
        }
        if (const auto text = fetch(target)) {
            offer.text = text->type == XCB_ATOM_STRING ? latin1ToUtf8(text->bytes)
                                                       : UnicodeText::repairedUtf8(text->bytes);
            return;
        }
    }
}

std::optional<X11SelectionConversion::Result> X11ClipboardReader::fetch(xcb_atom_t target) {
    auto result = conversion_->convert(requestor_, target);
    switch (result.outcome) {
        case Outcome::delivered:
            return result;
        case Outcome::refused:
            return std::nullopt;
        case Outcome::abandoned:
        case Outcome::superseded:
            // The owner may still answer, or write the next piece, to the window it was given:
            // the next conversion gets a fresh one.
            xcb_destroy_window(connection_, requestor_);
            requestor_ = newWindow(XCB_EVENT_MASK_PROPERTY_CHANGE);
            break;
    }
    lost_ = result.outcome;
    return std::nullopt;
}

void X11ClipboardReader::publish(X11Offer offer) {
    offer.changeCount = changes_;
    auto published = std::make_shared<const X11Offer>(std::move(offer));
    {
        const std::lock_guard lock(mutex_);
        latest_.swap(published);
    }
    if (onPublished_) {
        onPublished_();
    }
}

}  // namespace nimbrook
