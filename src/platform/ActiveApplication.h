#pragma once

#include <optional>
#include <string>

namespace nimbrook {

// The application in front.
class ActiveApplication {
public:
    virtual ~ActiveApplication() = default;
    // Its display name, or nullopt when there is no such application or it has no name.
    virtual std::optional<std::string> frontmostName() const = 0;
    // False where the desktop never tells which application is in front, so no copy has a
    // source to match.
    virtual bool reportsApplications() const { return true; }
};

}  // namespace nimbrook
