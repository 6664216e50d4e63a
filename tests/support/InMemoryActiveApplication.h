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
    bool reportsApplications() const override { return reports_; }
    void setReportsApplications(bool reports) { reports_ = reports; }

private:
    std::optional<std::string> name_;
    bool reports_ = true;
};

}  // namespace nimbrook
