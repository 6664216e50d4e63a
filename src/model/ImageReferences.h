#pragma once

#include <filesystem>
#include <set>
#include <span>
#include <string>
#include <string_view>

#include "model/ClipboardItem.h"
#include "platform/ImageStore.h"

namespace nimbrook {

// Which image files the history still needs, by file name alone: an entry whose content ends
// in "clipboard_<seconds>[-<n>].png" keeps the file of that name, whatever folder the content
// names (an old temporary folder, the data folder through a symlink, a path typed by hand). A
// file is thus sometimes kept longer than needed, never removed while an entry may still
// lead to it.
class ImageReferences final {
public:
    using Names = ImageStore::Names;

    // "clipboard_" digits, optionally "-" and digits, ".png": the names the image store gives.
    static bool isOwnName(std::string_view name);
    // The own name that `content` ends in, after its last "/" (the whole content without one);
    // empty for any other content, and for one longer than a path can be.
    static std::string_view nameIn(std::string_view content);
    // The own names the entries name, each once.
    static Names of(std::span<const ClipboardItem> items);
    // Adds the own names that stand anywhere in the file (a history that could not be
    // decoded, whose entries a user may still recover by hand). False when the file exists
    // but cannot be read to its end: what it names is then unknown.
    static bool addFoundIn(const std::filesystem::path& file, Names& names);
};

}  // namespace nimbrook
