#pragma once

#include <filesystem>
#include <string>

#include "platform/FileDescriptor.h"

namespace nimbrook {

// The file a new version of a file is written to before it takes the file's place by rename:
// in the same folder, named after the file, 0600 whatever the umask.
class TemporarySibling final {
public:
    // Creates one for `target` and names it in `path`; not open (errno set) when that failed.
    static FileDescriptor create(const std::filesystem::path& target, std::string& path);
    // Removes those of `target` left behind by a write that a crash cut short: nothing else
    // would. Only while no write can be under way.
    static void removeLeftovers(const std::filesystem::path& target);
};

}  // namespace nimbrook
