#include "remote/FrameReader.h"

#include <algorithm>

#include "remote/RemoteProtocol.h"

namespace nimbrook {

std::size_t FrameReader::append(std::string_view bytes) {
    std::size_t taken = 0;
    if (!size_) {
        taken = std::min(RemoteProtocol::headerSize - header_.size(), bytes.size());
        header_.append(bytes.substr(0, taken));
        if (header_.size() < RemoteProtocol::headerSize) {
            return taken;
        }
        size_ = RemoteProtocol::payloadSize(header_);
    }
    if (state() != State::incomplete) {
        return taken;
    }
    const std::size_t more = std::min(missing(), bytes.size() - taken);
    payload_.append(bytes.substr(taken, more));
    return taken + more;
}

FrameReader::State FrameReader::state() const {
    if (!size_) {
        return State::incomplete;
    }
    if (*size_ > maximum_) {
        return State::oversized;
    }
    return payload_.size() == *size_ ? State::complete : State::incomplete;
}

std::size_t FrameReader::missing() const {
    if (!size_) {
        return RemoteProtocol::headerSize - header_.size();
    }
    return *size_ - payload_.size();
}

}  // namespace nimbrook
