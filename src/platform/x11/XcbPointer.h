#pragma once

#include <cstdlib>
#include <memory>

namespace nimbrook {

// xcb hands out replies and events that the caller frees with free().
struct XcbFree {
    void operator()(void* pointer) const { std::free(pointer); }
};
template <typename T>
using XcbPointer = std::unique_ptr<T, XcbFree>;

}  // namespace nimbrook
