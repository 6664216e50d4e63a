#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/ImageStore.h"

namespace nimbrook {

// Image files in a private per-user folder, "images" in the program's data folder. The folder
// is created 0700 when missing and used only while it is a real directory (not a symlink)
// owned by this user. Files are created exclusively with mode 0600 and never follow a
// symlink, so no existing file is written over; only regular files of this user are removed.
class FileImageStore final : public ImageStore {
public:
    explicit FileImageStore(std::filesystem::path folder);

    // "clipboard_<whole unix seconds>.png", or "-1", "-2", ... before ".png" when taken.
    // nullopt when the folder is unusable or the write fails; a partly written file is
    // removed.
    std::optional<std::string> store(std::string_view bytes, Timestamp now) override;
    void remove(const Names& names) override;
    void removeAllBut(const Names& kept) override;
    // Of the regular files of this user in the folder, whatever their names.
    std::uint64_t totalBytes() const override;

    const std::filesystem::path& folder() const { return folder_; }

private:
    std::filesystem::path folder_;
};

}  // namespace nimbrook
