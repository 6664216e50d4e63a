#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "platform/ImageStore.h"

namespace nimbrook {

// Image files kept in a map under the made-up folder "/memory", named like the real ones;
// while failing, store() writes nothing and returns nullopt.
class InMemoryImageStore final : public ImageStore {
public:
    std::optional<std::string> store(std::string_view bytes, Timestamp now) override {
        if (failing_) {
            return std::nullopt;
        }
        const std::string base =
            "/memory/clipboard_" + std::to_string(static_cast<std::int64_t>(now.unixSeconds()));
        std::string path = base + ".png";
        for (int suffix = 1; files_.contains(path); ++suffix) {
            path = base + "-" + std::to_string(suffix) + ".png";
        }
        files_.emplace(path, std::string(bytes));
        return path;
    }

    void setFailing(bool failing) { failing_ = failing; }
    const std::map<std::string, std::string>& files() const { return files_; }

private:
    std::map<std::string, std::string> files_;
    bool failing_ = false;
};

}  // namespace nimbrook
