#include "platform/JsonText.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "platform/ByteWords.h"
#include "platform/JsonEvents.h"
#include "platform/JsonNumberText.h"
#include "platform/JsonReader.h"
#include "platform/UnicodeText.h"
#include "platform/Utf8.h"

namespace nimbrook {

namespace {

// Accepts every value, so that reading only checks the text.
class Validation final : public JsonEvents {
public:
    bool null() override { return true; }
    bool boolean(bool) override { return true; }
    bool number(std::string_view) override { return true; }
    bool string(std::string_view) override { return true; }
    bool key(std::string_view) override { return true; }
    bool startObject() override { return true; }
    bool endObject() override { return true; }
    bool startArray() override { return true; }
    bool endArray() override { return true; }
};

bool isJsonWhitespace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Orders two UTF-8 strings as their UTF-16 forms compare code unit by code unit. Code
// point order (that of the bytes) differs only where a character above U+FFFF, stored
// as surrogates D800..DFFF, meets one of U+E000..U+FFFF.
bool lessByUtf16(std::string_view a, std::string_view b) {
    const auto mismatch = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
    if (mismatch.second == b.end()) {
        return false;
    }
    if (mismatch.first == a.end()) {
        return true;
    }
    // Step back to the start of the character in which the two differ.
    std::size_t start = static_cast<std::size_t>(mismatch.first - a.begin());
    while (start > 0 && (static_cast<unsigned char>(a[start]) & 0xC0) == 0x80) {
        --start;
    }
    const int32_t left = utf8::decodeAt(a, start).codePoint;
    const int32_t right = utf8::decodeAt(b, start).codePoint;
    const bool leftSupplementary = left > 0xFFFF;
    const bool rightSupplementary = right > 0xFFFF;
    if (leftSupplementary != rightSupplementary) {
        const int32_t bmp = leftSupplementary ? right : left;
        const bool bmpFirst = bmp < 0xD800;
        return leftSupplementary ? !bmpFirst : bmpFirst;
    }
    return static_cast<unsigned char>(*mismatch.first) <
           static_cast<unsigned char>(*mismatch.second);
}

// Whether a key holds a character above U+FFFF, the only ones that byte order and UTF-16
// order place differently.
bool holdsSupplementary(std::string_view key) {
    return std::any_of(key.begin(), key.end(),
                       [](char c) { return static_cast<unsigned char>(c) >= 0xF0; });
}

// Whether none of eight bytes is escaped: no control character, quote, backslash or slash.
bool noneEscaped(const char* p) {
    const std::uint64_t word = byteWords::at(p);
    return (byteWords::below(word, 0x20) | byteWords::equal(word, '"') |
            byteWords::equal(word, '\\') | byteWords::equal(word, '/')) == 0;
}

// The character after the backslash that escapes a byte, 'u' for \u00XX, or 0 for a byte
// written as it is.
constexpr std::array<char, 256> escapes = [] {
    std::array<char, 256> table{};
    for (std::size_t c = 0; c < 0x20; ++c) {
        table[c] = 'u';
    }
    table['\b'] = 'b';
    table['\f'] = 'f';
    table['\n'] = 'n';
    table['\r'] = 'r';
    table['\t'] = 't';
    table['"'] = '"';
    table['\\'] = '\\';
    table['/'] = '/';
    return table;
}();

void appendEscaped(std::string& out, std::string_view valid) {
    static constexpr char hexDigits[] = "0123456789abcdef";
    const char* end = valid.data() + valid.size();
    const char* copiedUpTo = valid.data();
    for (const char* p = valid.data(); p < end;) {
        // Plain text is passed over a word at a time, and a word that holds an escape is
        // looked at byte by byte.
        if (end - p >= 8 && noneEscaped(p)) {
            p += 8;
            continue;
        }
        for (const char* wordEnd = std::min(p + 8, end); p < wordEnd; ++p) {
            const auto c = static_cast<unsigned char>(*p);
            const char escape = escapes[c];
            if (escape != 0) {
                out.append(copiedUpTo, static_cast<std::size_t>(p - copiedUpTo));
                const char sequence[] = {
                    '\\', escape, '0', '0', hexDigits[c >> 4], hexDigits[c & 0xF]};
                out.append(sequence, escape == 'u' ? sizeof sequence : 2);
                copiedUpTo = p + 1;
            }
        }
    }
    out.append(copiedUpTo, static_cast<std::size_t>(end - copiedUpTo));
}

void appendQuoted(std::string& out, std::string_view text) {
    out += '"';
    if (UnicodeText::isValidUtf8(text)) {
        appendEscaped(out, text);
    } else {
        appendEscaped(out, UnicodeText::repairedUtf8(text));
    }
    out += '"';
}

// Writes into one string. The members of the objects being written, where UTF-16 order
// differs from the document's, share one list, each object's after those of the objects around
// it.
class Writer final {
public:
    Writer(const JsonDocument& document, bool pretty) : document_(document), pretty_(pretty) {}

    // A document's nesting is bounded, and with it the recursion.
    void write(JsonDocument::Index value, std::size_t depth) {
        using Kind = JsonDocument::Kind;
        switch (document_.kind(value)) {
            case Kind::object:
                writeObject(value, depth);
                return;
            case Kind::array:
                writeArray(document_.elements(value), depth);
                return;
            case Kind::string:
                out_ += '"';
                appendEscaped(out_, document_.text(value));
                out_ += '"';
                return;
            case Kind::number:
                JsonNumberText::append(out_, document_.text(value));
                return;
            case Kind::trueValue:
                out_ += "true";
                return;
            case Kind::falseValue:
                out_ += "false";
                return;
            case Kind::null:
                out_ += "null";
                return;
        }
    }

    std::string take() { return std::move(out_); }

private:
    using Member = JsonDocument::Member;

    // The document holds members in byte order, which is also UTF-16 order unless a key holds
    // a character above U+FFFF.
    void writeObject(JsonDocument::Index object, std::size_t depth) {
        const std::span<const Member> members = document_.members(object);
        if (members.empty()) {
            out_ += "{}";
            return;
        }
        const bool reorder =
            pretty_ && std::any_of(members.begin(), members.end(), [this](const Member& member) {
                return holdsSupplementary(document_.key(member));
            });
        if (!reorder) {
            writeMembers(members, depth);
            return;
        }
        const std::size_t first = reordered_.size();
        reordered_.insert(reordered_.end(), members.begin(), members.end());
        const auto begin = reordered_.begin() + static_cast<std::ptrdiff_t>(first);
        std::sort(begin, reordered_.end(), [this](const Member& a, const Member& b) {
            return lessByUtf16(document_.key(a), document_.key(b));
        });
        // Writing the members may add to the list and move it: they are read by position.
        for (std::size_t index = first; index < first + members.size(); ++index) {
            writeMember(reordered_[index], index - first, depth);
        }
        close(depth, '}');
        reordered_.resize(first);
    }

    void writeMembers(std::span<const Member> members, std::size_t depth) {
        for (std::size_t index = 0; index < members.size(); ++index) {
            writeMember(members[index], index, depth);
        }
        close(depth, '}');
    }

    void writeMember(Member member, std::size_t index, std::size_t depth) {
        separate(index, '{', depth + 1);
        out_ += '"';
        appendEscaped(out_, document_.key(member));
        out_ += pretty_ ? "\" : " : "\":";
        write(member.value, depth + 1);
    }

    void writeArray(std::span<const JsonDocument::Index> elements, std::size_t depth) {
        if (elements.empty()) {
            out_ += "[]";
            return;
        }
        for (std::size_t index = 0; index < elements.size(); ++index) {
            separate(index, '[', depth + 1);
            write(elements[index], depth + 1);
        }
        close(depth, ']');
    }

    // Opens the container before its first child, and separates the others.
    void separate(std::size_t index, char bracket, std::size_t depth) {
        out_ += index > 0 ? ',' : bracket;
        newline(depth);
    }

    void close(std::size_t depth, char bracket) {
        newline(depth);
        out_ += bracket;
    }

    void newline(std::size_t depth) {
        if (pretty_) {
            out_ += '\n';
            out_.append(depth * 2, ' ');
        }
    }

    const JsonDocument& document_;
    bool pretty_ = false;
    std::string out_;
    std::vector<Member> reordered_;
};

bool opensContainer(std::string_view text) {
    const auto first = std::find_if_not(text.begin(), text.end(), isJsonWhitespace);
    return first != text.end() && (*first == '{' || *first == '[');
}

}  // namespace

std::optional<JsonDocument> JsonText::parse(std::string_view text) {
    return opensContainer(text) ? JsonDocument::parse(text) : std::nullopt;
}

bool JsonText::isDocument(std::string_view text) {
    Validation validation;
    return opensContainer(text) && JsonReader(text, JsonDocument::maxDepth).read(validation);
}

std::string JsonText::pretty(const JsonDocument& document) {
    Writer writer(document, true);
    writer.write(JsonDocument::root, 0);
    return writer.take();
}

std::string JsonText::compact(const JsonDocument& document) {
    Writer writer(document, false);
    writer.write(JsonDocument::root, 0);
    return writer.take();
}

std::string JsonText::quoted(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 2);
    appendQuoted(out, text);
    return out;
}

std::string JsonText::number(double value) {
    char buffer[JsonNumberText::bufferSize];
    return std::string(buffer, JsonNumberText::shortest(value, buffer));
}

}  // namespace nimbrook
