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

std::string PathText::fileUrl(std::string_view absolutePath) {
    constexpr std::string_view hex = "0123456789ABCDEF";
    std::string url = "file://";
    for (const char character : absolutePath) {
        const auto byte = static_cast<unsigned char>(character);
        const bool unreserved = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
                                (byte >= '0' && byte <= '9') ||
                                std::string_view("/-._~").find(character) != std::string_view::npos;
        if (unreserved) {
            url += character;
        } else {
            url += '%';
            url += hex[byte >> 4];
            url += hex[byte & 0x0F];
        }
    }
    return url;
}

}  // namespace nimbrook
