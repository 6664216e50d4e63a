#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "model/ImageReferences.h"
#include "platform/ImageStore.h"

namespace nimbrook {

// Image files kept in a map under the made-up folder "/memory", named like the real ones and
// removed by the same rule; while failing, store() writes nothing and returns nullopt.
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

    void remove(const Names& names) override {
        std::erase_if(files_, [&names](const auto& file) { return names.contains(nameOf(file)); });
    }
    void removeAllBut(const Names& kept) override {
        std::erase_if(files_, [&kept](const auto& file) {
            return ImageReferences::isOwnName(nameOf(file)) && !kept.contains(nameOf(file));
        });
    }
    std::uint64_t totalBytes() const override {
        std::uint64_t total = 0;
        for (const auto& [path, bytes] : files_) {
            total += bytes.size();
        }
        return total;
    }

    void setFailing(bool failing) { failing_ = failing; }
    const std::map<std::string, std::string>& files() const { return files_; }

private:
    static std::string_view nameOf(const std::pair<const std::string, std::string>& file) {
        return std::string_view(file.first).substr(folder.size());
    }

    static constexpr std::string_view folder = "/memory/";
    std::map<std::string, std::string> files_;
    bool failing_ = false;
};

}  // namespace nimbrook
