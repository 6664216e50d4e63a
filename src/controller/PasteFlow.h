#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string_view>

#include "model/ClipboardItem.h"
#include "platform/KeyChord.h"
#include "platform/PasteRoute.h"

namespace nimbrook {

class ClipboardViewModel;
class Scheduler;
class TaskHandle;

// Copies an entry and pastes it into another program's window: copies it as a click does,
// gives the focus back to the window to paste into, waits until that window has it and the
// user has let go of the modifiers, and only then sends the chord. When the focus is
// elsewhere (the user switched windows, focus follows the mouse) or in one of the program's
// own windows, nothing is typed: the entry stays copied and a toast says so. The clipboard
// keeps the entry afterwards; an older one is never put back.
class PasteFlow final {
public:
    // The chord that pastes into the program (X11 class or Wayland app id; may be empty).
    using ChordRule = std::function<KeyChord(std::string_view program)>;
    using Done = std::function<void(const PasteRoute::SendResult&)>;

    struct Services {
        ClipboardViewModel& viewModel;
        PasteRoute& route;
        Scheduler& scheduler;
        ChordRule chordFor;
    };

    static constexpr std::string_view notPastedToast = "已复制，未能粘贴到原窗口";
    static constexpr std::chrono::milliseconds pollInterval{10};
    // The window manager needs a moment to hand the focus back; longer means it went elsewhere.
    static constexpr std::chrono::milliseconds focusBound{500};
    // Keys sent while the user still holds Shift or Alt would make another chord; a picture
    // still read from its file is waited for as long.
    static constexpr std::chrono::milliseconds modifierBound{2000};

    explicit PasteFlow(Services services);
    ~PasteFlow();
    PasteFlow(const PasteFlow&) = delete;
    PasteFlow& operator=(const PasteFlow&) = delete;

    // Before the panel opens: the window that has the focus now is the one to paste into.
    void rememberTarget();
    // Whether the desktop names one of the program's own windows as focused now.
    bool focusIsOwn() const;
    // The panel's paste: into the window remembered when the panel opened, after giving it
    // the focus back. `leave` hides the panel, just before the refocus; it is not called when
    // the paste is given up while the panel still waits for the modifiers. `done` runs once on
    // this thread when the keys were sent or given up. A paste that still waits is given up
    // for the new one.
    void pasteIntoRemembered(const ClipboardItem& item, Done done = {},
                             std::function<void()> leave = {});
    // The command line's paste: into the window that has the focus now.
    void pasteIntoFocused(const ClipboardItem& item, Done done = {});

private:
    enum class Stage { release, focus, modifiers, sending };

    void start(const ClipboardItem& item, bool giveFocusBack, Done done,
               std::function<void()> leave);
    void leavePanel();
    void poll();
    void send();
    void finish(const PasteRoute::SendResult& result);

    Services services_;
    Stage stage_ = Stage::focus;
    std::chrono::milliseconds waited_{0};
    std::unique_ptr<TaskHandle> poller_;
    Done done_;
    std::function<void()> leave_;
    // Each paste's answer from the route holds its number: a late answer of one given up is
    // dropped, and none arrives once the flow is gone.
    std::shared_ptr<unsigned> current_ = std::make_shared<unsigned>(0);
};

}  // namespace nimbrook
