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
};

}  // namespace nimbrook
