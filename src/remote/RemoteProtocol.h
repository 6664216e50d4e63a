#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "remote/RemoteReply.h"

namespace nimbrook {

// The messages between the command line and the running program on the local socket. Each
// message is a frame: a 4-byte big-endian length, then that many bytes. A request holds the
// command's words joined by NUL (words from argv hold no NUL); a reply holds the exit status
// (one byte), the length of the standard output (4 bytes, big-endian), the standard output
// and then the standard error. Lengths, not delimiters, keep any content byte-exact.
class RemoteProtocol final {
public:
    static constexpr std::size_t headerSize = 4;
    // A request is a command and at most a search text: anything longer is not one of ours
    // and is refused before it is read.
    static constexpr std::uint32_t maximumRequestSize = 64 * 1024;

    static std::string encodeRequest(const std::vector<std::string>& words);
    // The words of a request payload; nullopt for an empty payload.
    static std::optional<std::vector<std::string>> decodeRequest(std::string_view payload);

    // The frame of a reply without a body.
    static std::string encodeReply(const RemoteReply& reply);
    // The frame of `reply` up to its standard output: written before the output (or its
    // body's bytes) and the error, it spares copying them into one frame.
    static std::string replyHeader(const RemoteReply& reply);
    // nullopt when the payload is shorter than its own lengths say.
    static std::optional<RemoteReply> decodeReply(std::string payload);

    // Where the running program listens, in its data folder.
    static std::filesystem::path socketPath(const std::filesystem::path& dataFolder);

    // The payload length announced by the first headerSize bytes of `header`.
    static std::uint32_t payloadSize(std::string_view header);
};

}  // namespace nimbrook
