#pragma once

#include <string>
#include <string_view>

namespace nimbrook {

class PathText final {
public:
    // The characters after the last "." of the last "/"-separated component, a trailing
    // "/" ignored; empty when that component has no ".".
    static std::string extension(std::string_view path);
};

}  // namespace nimbrook
