#include "platform/UrlReference.h"

#include <uriparser/Uri.h>

namespace nimbrook {

namespace {

std::string_view rangeText(const UriTextRangeA& range) {
    if (range.first == nullptr || range.afterLast == nullptr) {
        return {};
    }
    return {range.first, static_cast<std::size_t>(range.afterLast - range.first)};
}

}  // namespace

std::optional<UrlReference> UrlReference::parse(std::string_view text) {
    // The empty reference is grammatical but names nothing a user would call a link.
    if (text.empty()) {
        return std::nullopt;
    }
    UriUriA uri{};
    const char* errorPosition = nullptr;
    const char* first = text.data();
    const char* afterLast = text.data() + text.size();
    if (uriParseSingleUriExA(&uri, first, afterLast, &errorPosition) != URI_SUCCESS) {
        uriFreeUriMembersA(&uri);
        return std::nullopt;
    }
    UrlReference reference;
    reference.scheme = std::string(rangeText(uri.scheme));
    // An IPv6 literal is reported without its brackets. An empty host ("file:///x")
    // counts as none.
    const std::string_view host = rangeText(uri.hostText);
    if (!host.empty()) {
        reference.host = std::string(host);
    }
    uriFreeUriMembersA(&uri);
    return reference;
}

}  // namespace nimbrook
