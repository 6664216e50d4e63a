#pragma once

#include <string>
#include <string_view>

namespace nimbrook {

class PathText final {
public:
    // The characters after the last "." of the last "/"-separated component, a trailing
    // "/" ignored; empty when that component has no ".".
    static std::string extension(std::string_view path);
    // The "file://" URL of an absolute path: every byte but the unreserved characters of
    // RFC 3986 and "/" percent-encoded (UTF-8 bytes one by one), so that a space, "%", "#"
    // or "?" in a file name reaches the reader as part of the name.
    static std::string fileUrl(std::string_view absolutePath);
};

}  // namespace nimbrook
