#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nimbrook {

// The desktop's clipboard (on X11 the CLIPBOARD selection, never PRIMARY).
class Pasteboard {
public:
    // No representation larger than this is taken: a source that offers gigabytes would
    // otherwise hold that much memory, and then a second copy in the history.
    static constexpr std::size_t maximumRepresentationBytes = 128 * 1024 * 1024;
    // The type by which password managers mark an offer, and whether its bytes say "secret"
    // (white space around it allowed).
    static constexpr std::string_view secretHintType = "x-kde-passwordManagerHint";
    static bool marksSecret(std::string_view hint) {
        const auto first = hint.find_first_not_of(" \t\r\n");
        return first != std::string_view::npos &&
               hint.substr(first, hint.find_last_not_of(" \t\r\n") - first + 1) == "secret";
    }

    // An image entry as it is copied back: the picture for programs that take one, its file
    // for those that take files, and the path for a text field.
    struct ImageOffer {
        struct Representation {
            std::string mimeType;
            // Shared, so that answering many readers of a large image copies nothing.
            std::shared_ptr<const std::string> bytes;
        };
        // In the order offered, the most widely read first.
        std::vector<Representation> images;
        // The "text/uri-list" body: the file's URL and a CRLF.
        std::string uriList;
        std::string path;
    };

    virtual ~Pasteboard() = default;

    // Moves whenever any program, this one included, changes the contents.
    virtual std::int64_t changeCount() const = 0;
    // The bytes of the "image/png" / "image/tiff" representation, or nullopt.
    virtual std::optional<std::string> pngData() const = 0;
    virtual std::optional<std::string> tiffData() const = 0;
    // The plain text, repaired to valid UTF-8, or nullopt.
    virtual std::optional<std::string> string() const = 0;
    // Whether the current offer is marked secret by a password manager
    // ("x-kde-passwordManagerHint" = "secret").
    virtual bool isSecret() const = 0;
    // Makes `text` the only content (plain text); the change count moves.
    virtual void clearAndSetString(const std::string& text) = 0;
    // Makes `offer` the only content: its images, "text/uri-list" and the path as plain text;
    // the change count moves. Read back, it is the program's own write of the path as text:
    // no image bytes come back, so the picture is never captured a second time.
    virtual void clearAndSetImage(const ImageOffer& offer) = 0;
    // Waits, at most `bound`, until a change the desktop has already announced can be seen
    // through changeCount(): where offers are read ahead on a thread of their own, a copy made
    // just before the program quits would otherwise be lost. At once where reads are made when
    // asked.
    virtual void awaitAnnouncedChange(std::chrono::milliseconds /*bound*/) const {}
};

}  // namespace nimbrook
