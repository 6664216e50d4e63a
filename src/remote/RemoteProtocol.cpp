#include "remote/RemoteProtocol.h"

namespace nimbrook {
namespace {

void appendSize(std::string& out, std::size_t size) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<char>((size >> shift) & 0xff));
    }
}

std::string framed(std::string payload) {
    std::string frame;
    frame.reserve(RemoteProtocol::headerSize + payload.size());
    appendSize(frame, payload.size());
    frame += payload;
    return frame;
}

}  // namespace

std::filesystem::path RemoteProtocol::socketPath(const std::filesystem::path& dataFolder) {
    return dataFolder / "nimbrook.socket";
}

std::uint32_t RemoteProtocol::payloadSize(std::string_view header) {
    std::uint32_t size = 0;
    for (std::size_t i = 0; i < headerSize; ++i) {
        size = (size << 8) | static_cast<unsigned char>(header[i]);
    }
    return size;
}

std::string RemoteProtocol::encodeRequest(const std::vector<std::string>& words) {
    std::string payload;
    for (const auto& word : words) {
        if (!payload.empty()) {
            payload.push_back('\0');
        }
        payload += word;
    }
    return framed(std::move(payload));
}

std::optional<std::vector<std::string>> RemoteProtocol::decodeRequest(std::string_view payload) {
    if (payload.empty()) {
        return std::nullopt;
    }
    std::vector<std::string> words;
    for (std::size_t start = 0;;) {
        const auto end = payload.find('\0', start);
        words.emplace_back(payload.substr(start, end - start));
        if (end == std::string_view::npos) {
            return words;
        }
        start = end + 1;
    }
}

std::string RemoteProtocol::replyHeader(const RemoteReply& reply) {
    const std::size_t output = reply.body ? reply.body->size() : reply.output.size();
    std::string header;
    appendSize(header, 1 + headerSize + output + reply.error.size());
    header.push_back(static_cast<char>(reply.status));
    appendSize(header, output);
    return header;
}

std::string RemoteProtocol::encodeReply(const RemoteReply& reply) {
    return replyHeader(reply) + reply.output + reply.error;
}

std::optional<RemoteReply> RemoteProtocol::decodeReply(std::string payload) {
    if (payload.size() < 1 + headerSize) {
        return std::nullopt;
    }
    const std::size_t outputSize = RemoteProtocol::payloadSize(payload.substr(1, headerSize));
    if (outputSize > payload.size() - 1 - headerSize) {
        return std::nullopt;
    }
    const int status = static_cast<unsigned char>(payload[0]);
    // The output may be megabytes: it keeps the payload's own buffer.
    payload.erase(0, 1 + headerSize);
    std::string error = payload.substr(outputSize);
    payload.resize(outputSize);
    return RemoteReply{.status = status, .output = std::move(payload), .error = std::move(error)};
}

}  // namespace nimbrook
