#pragma once

#include "platform/ActiveApplication.h"

namespace nimbrook {

// For desktops where no other program's window can be seen (a native Wayland session,
// the offscreen platform): the source of a copy stays unknown.
class NoActiveApplication final : public ActiveApplication {
public:
    std::optional<std::string> frontmostName() const override { return std::nullopt; }
    bool reportsApplications() const override { return false; }
};

}  // namespace nimbrook
