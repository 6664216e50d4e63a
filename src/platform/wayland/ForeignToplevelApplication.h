#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ActiveApplication.h"

struct wl_array;
struct wl_output;
struct zwlr_foreign_toplevel_handle_v1;
struct zwlr_foreign_toplevel_manager_v1;

namespace nimbrook {

class WaylandConnection;

// One window as the compositor lists it: `id` tells it apart from every other window listed
// during this run (a closed window's id is never reused).
struct ToplevelWindow {
    std::uint64_t id = 0;
    std::string appId;
};

// The activated window as the compositor lists its windows (wlr-foreign-toplevel-management:
// sway, Hyprland, labwc, Wayfire), named through `nameOfAppId`, else by its app_id. Without
// that list, or with no window activated, no name: a wrong one would be worse.
class ForeignToplevelApplication final : public ActiveApplication {
public:
    using NameLookup = std::function<std::optional<std::string>(std::string_view appId)>;

    // `connection` must outlive this object.
    ForeignToplevelApplication(WaylandConnection& connection, NameLookup nameOfAppId);
    ~ForeignToplevelApplication() override;
    ForeignToplevelApplication(const ForeignToplevelApplication&) = delete;
    ForeignToplevelApplication& operator=(const ForeignToplevelApplication&) = delete;

    std::optional<std::string> frontmostName() const override;
    // Only where the compositor lists its windows.
    bool reportsApplications() const override;
    // Whether the compositor lists its windows at all.
    bool listsWindows() const;
    // The activated window; nullopt when none is or the compositor lists no windows.
    std::optional<ToplevelWindow> activatedWindow() const;
    // Asks the compositor to activate (raise and focus) the window `id`, if still listed.
    void activate(std::uint64_t id);

private:
    struct Toplevel;

    static void onToplevel(void* data, zwlr_foreign_toplevel_manager_v1* manager,
                           zwlr_foreign_toplevel_handle_v1* handle);
    static void onManagerFinished(void* data, zwlr_foreign_toplevel_manager_v1* manager);
    static void onTitle(void* data, zwlr_foreign_toplevel_handle_v1* handle, const char* title);
    static void onAppId(void* data, zwlr_foreign_toplevel_handle_v1* handle, const char* appId);
    static void onOutput(void* data, zwlr_foreign_toplevel_handle_v1* handle, wl_output* output);
    static void onState(void* data, zwlr_foreign_toplevel_handle_v1* handle, wl_array* state);
    static void onDone(void* data, zwlr_foreign_toplevel_handle_v1* handle);
    static void onClosed(void* data, zwlr_foreign_toplevel_handle_v1* handle);
    static void onParent(void* data, zwlr_foreign_toplevel_handle_v1* handle,
                         zwlr_foreign_toplevel_handle_v1* parent);

    WaylandConnection& connection_;
    NameLookup nameOfAppId_;
    std::vector<std::unique_ptr<Toplevel>> toplevels_;
    std::uint64_t lastId_ = 0;
};

}  // namespace nimbrook
