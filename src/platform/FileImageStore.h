#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/ImageStore.h"

namespace nimbrook {

// Image files in a private per-user folder, e.g. "${TMPDIR:-/tmp}/com.quolla.nimbrook-<uid>".
// The folder is created 0700 when missing and used only while it is a real directory (not
// a symlink) owned by this user with no group or other access. Files are created
// exclusively with mode 0600 and never follow a symlink, so no existing file is written over.
class FileImageStore final : public ImageStore {
public:
    explicit FileImageStore(std::filesystem::path folder);

    // "clipboard_<whole unix seconds>.png", or "-1", "-2", ... before ".png" when taken.
    // nullopt when the folder is unusable or the write fails; a partly written file is
    // removed.
    std::optional<std::string> store(std::string_view bytes, Timestamp now) override;

    const std::filesystem::path& folder() const { return folder_; }

private:
    std::filesystem::path folder_;
};

}  // namespace nimbrook
