#include "platform/wayland/ForeignToplevelApplication.h"

#include <algorithm>
#include <cstdint>
#include <span>

#include <wayland-client.h>
#include <wlr-foreign-toplevel-management-unstable-v1-client-protocol.h>

#include "platform/UnicodeText.h"
#include "platform/wayland/WaylandConnection.h"

namespace nimbrook {

// What the compositor said about one window; its changes take effect together on `done`.
struct ForeignToplevelApplication::Toplevel {
    Toplevel(ForeignToplevelApplication& owner, zwlr_foreign_toplevel_handle_v1* handle,
             std::uint64_t id)
        : owner(owner), handle(handle), id(id) {}
    ~Toplevel() { zwlr_foreign_toplevel_handle_v1_destroy(handle); }
    Toplevel(const Toplevel&) = delete;
    Toplevel& operator=(const Toplevel&) = delete;

    ForeignToplevelApplication& owner;
    zwlr_foreign_toplevel_handle_v1* handle;
    std::uint64_t id;
    std::string appId;
    std::string pendingAppId;
    bool activated = false;
    bool pendingActivated = false;
};

ForeignToplevelApplication::ForeignToplevelApplication(WaylandConnection& connection,
                                                       NameLookup nameOfAppId)
    : connection_(connection), nameOfAppId_(std::move(nameOfAppId)) {
    if (connection_.foreignToplevels() == nullptr) {
        return;
    }
    static const zwlr_foreign_toplevel_manager_v1_listener listener{
        &ForeignToplevelApplication::onToplevel, &ForeignToplevelApplication::onManagerFinished};
    zwlr_foreign_toplevel_manager_v1_add_listener(connection_.foreignToplevels(), &listener, this);
    connection_.roundtrip();
}

bool ForeignToplevelApplication::reportsApplications() const {
    return connection_.foreignToplevels() != nullptr;
}

ForeignToplevelApplication::~ForeignToplevelApplication() {
    toplevels_.clear();
    connection_.flush();
}

std::optional<std::string> ForeignToplevelApplication::frontmostName() const {
    const auto front = activatedWindow();
    if (!front || front->appId.empty()) {
        return std::nullopt;
    }
    if (auto name = nameOfAppId_(front->appId)) {
        return name;
    }
    return front->appId;
}

bool ForeignToplevelApplication::listsWindows() const {
    return connection_.foreignToplevels() != nullptr;
}

std::optional<ToplevelWindow> ForeignToplevelApplication::activatedWindow() const {
    const auto front = std::find_if(toplevels_.begin(), toplevels_.end(),
                                    [](const auto& toplevel) { return toplevel->activated; });
    if (front == toplevels_.end()) {
        return std::nullopt;
    }
    return ToplevelWindow{.id = (*front)->id, .appId = UnicodeText::repairedUtf8((*front)->appId)};
}

void ForeignToplevelApplication::activate(std::uint64_t id) {
    const auto window = std::find_if(toplevels_.begin(), toplevels_.end(),
                                     [id](const auto& toplevel) { return toplevel->id == id; });
    if (window != toplevels_.end() && connection_.seat() != nullptr) {
        zwlr_foreign_toplevel_handle_v1_activate((*window)->handle, connection_.seat());
        connection_.flush();
    }
}

void ForeignToplevelApplication::onToplevel(void* data, zwlr_foreign_toplevel_manager_v1*,
                                            zwlr_foreign_toplevel_handle_v1* handle) {
    auto& self = *static_cast<ForeignToplevelApplication*>(data);
    auto& toplevel =
        self.toplevels_.emplace_back(std::make_unique<Toplevel>(self, handle, ++self.lastId_));
    static const zwlr_foreign_toplevel_handle_v1_listener listener{
        &ForeignToplevelApplication::onTitle,  &ForeignToplevelApplication::onAppId,
        &ForeignToplevelApplication::onOutput, &ForeignToplevelApplication::onOutput,
        &ForeignToplevelApplication::onState,  &ForeignToplevelApplication::onDone,
        &ForeignToplevelApplication::onClosed, &ForeignToplevelApplication::onParent};
    zwlr_foreign_toplevel_handle_v1_add_listener(handle, &listener, toplevel.get());
}

// The compositor stopped listing windows: none is known to be in front any more.
void ForeignToplevelApplication::onManagerFinished(void* data, zwlr_foreign_toplevel_manager_v1*) {
    static_cast<ForeignToplevelApplication*>(data)->toplevels_.clear();
}

void ForeignToplevelApplication::onTitle(void*, zwlr_foreign_toplevel_handle_v1*, const char*) {}

void ForeignToplevelApplication::onAppId(void* data, zwlr_foreign_toplevel_handle_v1*,
                                         const char* appId) {
    static_cast<Toplevel*>(data)->pendingAppId = appId;
}

void ForeignToplevelApplication::onOutput(void*, zwlr_foreign_toplevel_handle_v1*, wl_output*) {}

void ForeignToplevelApplication::onState(void* data, zwlr_foreign_toplevel_handle_v1*,
                                         wl_array* state) {
    const std::span states(static_cast<const std::uint32_t*>(state->data),
                           state->size / sizeof(std::uint32_t));
    static_cast<Toplevel*>(data)->pendingActivated =
        std::find(states.begin(), states.end(), ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_ACTIVATED) !=
        states.end();
}

void ForeignToplevelApplication::onDone(void* data, zwlr_foreign_toplevel_handle_v1*) {
    auto& toplevel = *static_cast<Toplevel*>(data);
    toplevel.appId = toplevel.pendingAppId;
    toplevel.activated = toplevel.pendingActivated;
}

void ForeignToplevelApplication::onClosed(void* data, zwlr_foreign_toplevel_handle_v1*) {
    auto* closed = static_cast<Toplevel*>(data);
    std::erase_if(closed->owner.toplevels_,
                  [closed](const auto& toplevel) { return toplevel.get() == closed; });
}

void ForeignToplevelApplication::onParent(void*, zwlr_foreign_toplevel_handle_v1*,
                                          zwlr_foreign_toplevel_handle_v1*) {}

}  // namespace nimbrook
