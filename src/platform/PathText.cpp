#include "platform/PathText.h"

namespace nimbrook {

std::string PathText::extension(std::string_view path) {
    const std::size_t end = path.find_last_not_of('/');
    if (end == std::string_view::npos) {
        return {};
    }
    const std::string_view trimmed = path.substr(0, end + 1);
    const std::size_t slash = trimmed.rfind('/');
    const std::string_view component =
        slash == std::string_view::npos ? trimmed : trimmed.substr(slash + 1);
    const std::size_t dot = component.rfind('.');
    return dot == std::string_view::npos ? std::string() : std::string(component.substr(dot + 1));
}

}  // namespace nimbrook
