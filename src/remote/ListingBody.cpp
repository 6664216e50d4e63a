#include "remote/ListingBody.h"

#include <algorithm>
#include <utility>

#include "remote/JsonStringWriter.h"

namespace nimbrook {

ListingBody::ListingBody(std::size_t places, Parts parts)
    : places_(places), parts_(std::move(parts)) {
    for (std::size_t place = 0; place < places_; ++place) {
        for (const Part& part : parts_(place)) {
            size_ += part.plain.size() + JsonStringWriter::escapedSize(part.quoted);
        }
    }
}

std::string_view ListingBody::next() {
    // Made on the first call and kept: the one buffer of a connection's reply.
    chunk_.reserve(chunkSize);
    chunk_.clear();
    while (chunk_.size() + JsonStringWriter::minimumRoom <= chunkSize && fill()) {
    }
    return chunk_;
}

bool ListingBody::fill() {
    if (part_ == current_.size()) {
        if (place_ == places_) {
            return false;
        }
        current_ = parts_(place_++);
        part_ = 0;
        offset_ = 0;
        return true;
    }
    const Part& part = current_[part_];
    const std::size_t room = chunkSize - chunk_.size();
    if (offset_ < part.plain.size()) {
        const std::size_t count = std::min(room, part.plain.size() - offset_);
        chunk_.append(part.plain, offset_, count);
        offset_ += count;
    } else if (const std::size_t quoted = offset_ - part.plain.size();
               quoted < part.quoted.size()) {
        offset_ += JsonStringWriter::appendEscapedSlice(chunk_, part.quoted.substr(quoted), room);
    } else {
        ++part_;
        offset_ = 0;
    }
    return true;
}

}  // namespace nimbrook
