#include "remote/ContentBody.h"

namespace nimbrook {

std::string_view ContentBody::next() {
    const std::string_view content = item_.content();
    const std::string_view rest = given_ < content.size()
                                      ? content.substr(given_)
                                      : std::string_view(suffix_).substr(given_ - content.size());
    const std::string_view piece = rest.substr(0, chunkSize);
    given_ += piece.size();
    return piece;
}

}  // namespace nimbrook
