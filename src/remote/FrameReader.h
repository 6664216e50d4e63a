#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace nimbrook {

// Collects the bytes of one frame (RemoteProtocol) as they arrive on a connection, keeping
// no more than the frame's own size and refusing a frame announced larger than the bound
// before its payload is read.
class FrameReader final {
public:
    enum class State { incomplete, complete, oversized };

    explicit FrameReader(std::uint32_t maximumPayloadSize) : maximum_(maximumPayloadSize) {}

    // Takes what fits into the current frame and returns how many bytes of `bytes` it took;
    // nothing once the frame is complete or oversized.
    std::size_t append(std::string_view bytes);
    State state() const;
    // The payload once state() is complete.
    const std::string& payload() const { return payload_; }
    // How many more bytes the frame needs (at least 1 while incomplete).
    std::size_t missing() const;

private:
    std::uint32_t maximum_;
    std::string header_;
    std::optional<std::uint32_t> size_;
    std::string payload_;
};

}  // namespace nimbrook
