#pragma once

#include <optional>
#include <string>
#include <utility>

#include "platform/ActiveApplication.h"

namespace nimbrook {

// The application in front, as the test sets it.
class InMemoryActiveApplication final : public ActiveApplication {
public:
    std::optional<std::string> frontmostName() const override { return name_; }
    void setFrontmostName(std::optional<std::string> name) { name_ = std::move(name); }

private:
    std::optional<std::string> name_;
};

}  // namespace nimbrook
