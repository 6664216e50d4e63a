#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nimbrook {

// The programs whose copies are never recorded, by name: a copy matches when its source
// application's name is one of them, whole, compared as the source tags are (NFC, lower
// case). Names that are blank once trimmed match nothing.
class IgnoredApplications final {
public:
    IgnoredApplications() = default;
    explicit IgnoredApplications(const std::vector<std::string>& names);

    // False for a copy whose source is unknown.
    bool contains(const std::optional<std::string>& sourceApp) const;
    bool empty() const { return keys_.empty(); }

private:
    std::vector<std::string> keys_;
};

}  // namespace nimbrook
