#include "model/TemporarySibling.h"

#include <string_view>
#include <system_error>

#include <fcntl.h>
#include <stdlib.h>

namespace nimbrook {

namespace {

constexpr std::string_view infix = ".tmp-";
constexpr std::string_view uniqueSuffix = "XXXXXX";

}  // namespace

FileDescriptor TemporarySibling::create(const std::filesystem::path& target, std::string& path) {
    path = target.string() + std::string(infix) + std::string(uniqueSuffix);
    return FileDescriptor(::mkostemp(path.data(), O_CLOEXEC));
}

void TemporarySibling::removeLeftovers(const std::filesystem::path& target) {
    const std::string prefix = target.filename().string() + std::string(infix);
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(target.parent_path(), error)) {
        const std::string name = entry.path().filename().string();
        if (name.size() == prefix.size() + uniqueSuffix.size() && name.starts_with(prefix)) {
            std::filesystem::remove(entry.path(), error);
        }
    }
}

}  // namespace nimbrook
