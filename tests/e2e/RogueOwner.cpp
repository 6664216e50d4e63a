// Owns the CLIPBOARD selection the way a broken or hostile X program does, speaking the
// protocol by hand, where a toolkit would behave:
//
//   nimbrook-e2e-rogue-owner silent                  never answers a request
//   nimbrook-e2e-rogue-owner incr <announced> <sent> answers a text by INCR, announcing
//                                                    <announced> bytes and sending <sent> in
//                                                    pieces of 1 MiB as fast as they are taken
//   nimbrook-e2e-rogue-owner random <text>           TARGETS of made-up atom numbers, the text's
//                                                    type among them
//   nimbrook-e2e-rogue-owner bytes <text>            TARGETS as a string, not as atoms
//   nimbrook-e2e-rogue-owner many <count> <text>     TARGETS of <count> made-up types, then the
//                                                    text's
//   nimbrook-e2e-rogue-owner flap <count> <text>     claims anew every 5 ms, <count> times, from
//                                                    two windows in turn, each claim with the
//                                                    text "<text> <n>"; then holds <text>
//
// Prints "owned" once it owns the clipboard, "asked <target>" for each request and "settled"
// once a flap is over; it ends when killed.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <poll.h>
#include <xcb/xcb.h>

namespace {

constexpr std::size_t pieceBytes = 1 << 20;

struct FreeDeleter {
    void operator()(void* pointer) const { std::free(pointer); }
};

// One INCR transfer under way: the requestor's property and what is left to send.
struct Transfer {
    xcb_window_t requestor;
    xcb_atom_t property;
    std::size_t left;
};

class RogueOwner final {
public:
    RogueOwner(std::string mode, std::vector<std::string> arguments)
        : mode_(std::move(mode)), arguments_(std::move(arguments)) {}

    int run();

private:
    xcb_atom_t atom(std::string_view name) {
        const auto cookie =
            xcb_intern_atom(connection_, 0, static_cast<std::uint16_t>(name.size()), name.data());
        const std::unique_ptr<xcb_intern_atom_reply_t, FreeDeleter> reply(
            xcb_intern_atom_reply(connection_, cookie, nullptr));
        return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    }
    xcb_window_t newWindow();
    void claim(xcb_window_t window, std::string text);
    void say(const std::string& line);
    void answer(const xcb_selection_request_event_t& request);
    std::vector<xcb_atom_t> targets();
    void sendPiece(const xcb_property_notify_event_t& notify);
    void flapOnce();

    std::string mode_;
    std::vector<std::string> arguments_;
    xcb_connection_t* connection_ = nullptr;
    xcb_window_t windows_[2]{};
    xcb_atom_t clipboard_ = 0;
    xcb_atom_t targets_ = 0;
    xcb_atom_t utf8_ = 0;
    xcb_atom_t incr_ = 0;
    std::string text_;
    std::vector<Transfer> transfers_;
    int claims_ = 0;
    int flaps_ = 0;
};

xcb_window_t RogueOwner::newWindow() {
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
    const xcb_window_t window = xcb_generate_id(connection_);
    xcb_create_window(connection_, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, screen->root_visual, 0, nullptr);
    return window;
}

void RogueOwner::claim(xcb_window_t window, std::string text) {
    text_ = std::move(text);
    xcb_set_selection_owner(connection_, window, clipboard_, XCB_CURRENT_TIME);
    xcb_flush(connection_);
    if (++claims_ == 1) {
        say("owned");
    }
}

void RogueOwner::say(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

std::vector<xcb_atom_t> RogueOwner::targets() {
    std::vector<xcb_atom_t> atoms{targets_};
    if (mode_ == "random") {
        // Far above any atom a fresh server has handed out, None and duplicates among them.
        for (std::uint32_t i = 0; i < 64; ++i) {
            atoms.push_back(i % 8 == 0 ? xcb_atom_t{XCB_ATOM_NONE} : 0x1f000000u + i * 7919u);
        }
        atoms.insert(atoms.begin() + 20, {utf8_, utf8_});
    } else if (mode_ == "many") {
        for (int i = 0; i < std::atoi(arguments_[0].c_str()); ++i) {
            atoms.push_back(atom("application/x-rogue-" + std::to_string(i)));
        }
        atoms.push_back(utf8_);
    } else {
        atoms.push_back(utf8_);
    }
    return atoms;
}

void RogueOwner::answer(const xcb_selection_request_event_t& request) {
    const std::unique_ptr<xcb_get_atom_name_reply_t, FreeDeleter> name(xcb_get_atom_name_reply(
        connection_, xcb_get_atom_name(connection_, request.target), nullptr));
    say("asked " + (name ? std::string(xcb_get_atom_name_name(name.get()),
                                       xcb_get_atom_name_name_length(name.get()))
                         : std::string("?")));
    if (mode_ == "silent") {
        return;
    }
    xcb_atom_t property = request.property == XCB_ATOM_NONE ? request.target : request.property;
    if (request.target == targets_ && mode_ == "bytes") {
        const std::string_view bytes = "TARGETS UTF8_STRING";
        xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, request.requestor, property,
                            XCB_ATOM_STRING, 8, bytes.size(), bytes.data());
    } else if (request.target == targets_) {
        const auto atoms = targets();
        xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, request.requestor, property,
                            XCB_ATOM_ATOM, 32, atoms.size(), atoms.data());
    } else if (request.target == utf8_ && mode_ == "incr") {
        const std::uint32_t announced = std::strtoul(arguments_[0].c_str(), nullptr, 10);
        const std::uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_change_window_attributes(connection_, request.requestor, XCB_CW_EVENT_MASK, &events);
        xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, request.requestor, property, incr_,
                            32, 1, &announced);
        transfers_.push_back(
            {request.requestor, property,
             static_cast<std::size_t>(std::strtoull(arguments_[1].c_str(), nullptr, 10))});
    } else if (request.target == utf8_) {
        xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, request.requestor, property, utf8_,
                            8, text_.size(), text_.data());
    } else {
        property = XCB_ATOM_NONE;
    }
    xcb_selection_notify_event_t notify{};
    notify.response_type = XCB_SELECTION_NOTIFY;
    notify.time = request.time;
    notify.requestor = request.requestor;
    notify.selection = request.selection;
    notify.target = request.target;
    notify.property = property;
    xcb_send_event(connection_, 0, request.requestor, XCB_EVENT_MASK_NO_EVENT,
                   reinterpret_cast<const char*>(&notify));
    xcb_flush(connection_);
}

// Each deletion of the property by the reader asks for the next piece; an empty one ends.
void RogueOwner::sendPiece(const xcb_property_notify_event_t& notify) {
    if (notify.state != XCB_PROPERTY_DELETE) {
        return;
    }
    const auto transfer = std::find_if(transfers_.begin(), transfers_.end(), [&](const auto& t) {
        return t.requestor == notify.window && t.property == notify.atom;
    });
    if (transfer == transfers_.end()) {
        return;
    }
    static const std::string piece(pieceBytes, 'x');
    const std::size_t bytes = std::min(transfer->left, pieceBytes);
    xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, transfer->requestor, transfer->property,
                        utf8_, 8, bytes, piece.data());
    xcb_flush(connection_);
    if (bytes == 0) {
        transfers_.erase(transfer);
    } else {
        transfer->left -= bytes;
    }
}

void RogueOwner::flapOnce() {
    const int count = std::atoi(arguments_[0].c_str());
    if (flaps_ > count) {
        return;
    }
    const bool last = flaps_ == count;
    claim(windows_[flaps_ % 2],
          last ? arguments_[1] : arguments_[1] + " " + std::to_string(flaps_));
    if (last) {
        say("settled");
    }
    ++flaps_;
}

int RogueOwner::run() {
    connection_ = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection_) != 0) {
        return 1;
    }
    clipboard_ = atom("CLIPBOARD");
    targets_ = atom("TARGETS");
    utf8_ = atom("UTF8_STRING");
    incr_ = atom("INCR");
    windows_[0] = newWindow();
    windows_[1] = newWindow();
    const bool flapping = mode_ == "flap";
    if (!flapping) {
        claim(windows_[0], arguments_.empty() ? std::string() : arguments_.back());
    }
    auto nextFlap = std::chrono::steady_clock::now();
    for (;;) {
        while (auto* event = xcb_poll_for_event(connection_)) {
            const std::unique_ptr<xcb_generic_event_t, FreeDeleter> owned(event);
            switch (event->response_type & 0x7f) {
                case XCB_SELECTION_REQUEST:
                    answer(*reinterpret_cast<xcb_selection_request_event_t*>(event));
                    break;
                case XCB_PROPERTY_NOTIFY:
                    sendPiece(*reinterpret_cast<xcb_property_notify_event_t*>(event));
                    break;
                default:
                    break;
            }
        }
        if (xcb_connection_has_error(connection_) != 0) {
            return 1;
        }
        if (flapping && std::chrono::steady_clock::now() >= nextFlap) {
            flapOnce();
            nextFlap += std::chrono::milliseconds(5);
        }
        pollfd wait{xcb_get_file_descriptor(connection_), POLLIN, 0};
        ::poll(&wait, 1, flapping ? 1 : -1);
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc < 2) {
        return 2;
    }
    const std::vector<std::string_view> needs{"silent", "incr", "random", "bytes", "many", "flap"};
    const std::vector<int> counts{0, 2, 1, 1, 2, 2};
    const auto mode = std::find(needs.begin(), needs.end(), argv[1]);
    if (mode == needs.end() || argc - 2 != counts[mode - needs.begin()]) {
        std::fprintf(stderr, "usage: %s silent|incr|random|bytes|many|flap arguments...\n",
                     argv[0]);
        return 2;
    }
    return RogueOwner(argv[1], std::vector<std::string>(argv + 2, argv + argc)).run();
}
