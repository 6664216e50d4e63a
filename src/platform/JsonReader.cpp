#include "platform/JsonReader.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>

#include "platform/ByteWords.h"
#include "platform/Utf8.h"

namespace nimbrook {

namespace {

constexpr std::size_t pieceBytes = 64 * 1024;

bool isDigit(int c) {
    return c >= '0' && c <= '9';
}

int hexValue(int c) {
    if (isDigit(c)) {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// Whether eight bytes are all plain ASCII inside a string: none a control character, a quote,
// a backslash or part of a multi-byte sequence.
bool allPlain(const unsigned char* p) {
    const std::uint64_t word = byteWords::at(reinterpret_cast<const char*>(p));
    return (byteWords::nonAscii(word) | byteWords::below(word, 0x20) | byteWords::equal(word, '"') |
            byteWords::equal(word, '\\')) == 0;
}

// The length of the well-formed UTF-8 sequence that starts at `p`, or 0 when it is ill-formed
// or cut off by `end`.
std::size_t sequenceLength(const unsigned char* p, const unsigned char* end) {
    return utf8::wellFormedLength(
        std::string_view(reinterpret_cast<const char*>(p), static_cast<std::size_t>(end - p)), 0);
}

// Where the run of plain characters that starts at `p` ends: at the first control character,
// quote, backslash or ill-formed (or cut) sequence, or at `end`. A word that is not all ASCII
// is looked at character by character, and the next word after it.
const unsigned char* plainRunEnd(const unsigned char* p, const unsigned char* end) {
    while (p < end) {
        if (end - p >= 8 && allPlain(p)) {
            p += 8;
            continue;
        }
        for (const unsigned char* wordEnd = std::min(p + 8, end); p < wordEnd;) {
            if (*p < 0x80) {
                if (*p < 0x20 || *p == '"' || *p == '\\') {
                    return p;
                }
                ++p;
                continue;
            }
            const std::size_t length = sequenceLength(p, end);
            if (length == 0) {
                return p;
            }
            p += length;
        }
    }
    return p;
}

// The length a sequence starting with `lead` must have, 0 for a byte no sequence starts with.
std::size_t expectedLength(int lead) {
    if (lead >= 0xC2 && lead <= 0xDF) {
        return 2;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        return 3;
    }
    return lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
}

}  // namespace

JsonReader::JsonReader(std::string_view bytes, std::size_t maxDepth)
    : at_(bytes.data()), end_(bytes.data() + bytes.size()), maxDepth_(maxDepth) {}

JsonReader::JsonReader(std::streambuf& input, std::size_t maxDepth)
    : input_(&input), piece_(pieceBytes), maxDepth_(maxDepth) {}

bool JsonReader::read(JsonEvents& events) {
    events_ = &events;
    skipWhitespace();
    Opened opened = value();
    while (opened != Opened::failed && !open_.empty()) {
        skipWhitespace();
        const int c = peek();
        const char closing = open_.back() == '{' ? '}' : ']';
        if (c == closing) {
            opened = close() ? Opened::no : Opened::failed;
            continue;
        }
        if (opened == Opened::no) {
            if (c != ',') {
                return false;
            }
            ++at_;
            skipWhitespace();
        }
        if (open_.back() == '{') {
            std::string_view name;
            if (next() != '"' || !string(name) || !events_->key(name)) {
                return false;
            }
            skipWhitespace();
            if (next() != ':') {
                return false;
            }
            skipWhitespace();
        }
        opened = value();
    }
    skipWhitespace();
    return opened != Opened::failed && peek() < 0;
}

JsonReader::Opened JsonReader::value() {
    const int c = peek();
    bool accepted = false;
    switch (c) {
        case '{':
        case '[':
            return open(static_cast<char>(c));
        case '"': {
            ++at_;
            std::string_view text;
            accepted = string(text) && events_->string(text);
            break;
        }
        case 't':
            accepted = literal("true") && events_->boolean(true);
            break;
        case 'f':
            accepted = literal("false") && events_->boolean(false);
            break;
        case 'n':
            accepted = literal("null") && events_->null();
            break;
        default:
            accepted = number() && events_->number(literal_);
    }
    return accepted ? Opened::no : Opened::failed;
}

JsonReader::Opened JsonReader::open(char bracket) {
    ++at_;
    if (open_.size() >= maxDepth_) {
        return Opened::failed;
    }
    open_ += bracket;
    const bool accepted = bracket == '{' ? events_->startObject() : events_->startArray();
    return accepted ? Opened::yes : Opened::failed;
}

bool JsonReader::close() {
    ++at_;
    const bool object = open_.back() == '{';
    open_.pop_back();
    return object ? events_->endObject() : events_->endArray();
}

// After the opening quote. A string that is one run of plain characters is handed on where
// it stands; any other is gathered in text_, its runs of plain characters taken whole from
// the piece at hand, an escape and a sequence cut by the end of a piece byte by byte.
bool JsonReader::string(std::string_view& out) {
    const std::string_view run = plainRun();
    if (at_ < end_ && *at_ == '"') {
        out = run;
        ++at_;
        return true;
    }
    text_.assign(run);
    while (true) {
        const int c = peek();
        if (c == '"') {
            ++at_;
            out = text_;
            return true;
        }
        if (c < 0x20) {
            return false;
        }
        if (c == '\\') {
            ++at_;
            if (!escape(text_)) {
                return false;
            }
        } else if (c >= 0x80 && !sequence(text_)) {
            return false;
        }
        text_.append(plainRun());
    }
}

// Takes the run of plain characters at hand in the piece.
std::string_view JsonReader::plainRun() {
    const char* start = at_;
    at_ = reinterpret_cast<const char*>(plainRunEnd(reinterpret_cast<const unsigned char*>(start),
                                                    reinterpret_cast<const unsigned char*>(end_)));
    return {start, at_};
}

bool JsonReader::escape(std::string& out) {
    const int c = next();
    switch (c) {
        case '"':
        case '\\':
        case '/':
            out += static_cast<char>(c);
            return true;
        case 'b':
            out += '\b';
            return true;
        case 'f':
            out += '\f';
            return true;
        case 'n':
            out += '\n';
            return true;
        case 'r':
            out += '\r';
            return true;
        case 't':
            out += '\t';
            return true;
        case 'u':
            break;
        default:
            return false;
    }
    unsigned unit = 0;
    if (!codeUnit(unit) || (unit >= 0xDC00 && unit <= 0xDFFF)) {
        return false;
    }
    if (unit >= 0xD800 && unit <= 0xDBFF) {
        unsigned low = 0;
        if (next() != '\\' || next() != 'u' || !codeUnit(low) || low < 0xDC00 || low > 0xDFFF) {
            return false;
        }
        unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
    }
    utf8::append(out, unit);
    return true;
}

bool JsonReader::codeUnit(unsigned& unit) {
    for (int index = 0; index < 4; ++index) {
        const int digit = hexValue(next());
        if (digit < 0) {
            return false;
        }
        unit = unit * 16 + static_cast<unsigned>(digit);
    }
    return true;
}

// A sequence that the run of plain characters stopped at: ill-formed, or cut by the end of
// the piece.
bool JsonReader::sequence(std::string& out) {
    std::array<unsigned char, 4> bytes{};
    const std::size_t length = expectedLength(peek());
    if (length == 0) {
        return false;
    }
    for (std::size_t index = 0; index < length; ++index) {
        const int c = next();
        if (c < 0) {
            return false;
        }
        bytes[index] = static_cast<unsigned char>(c);
    }
    if (sequenceLength(bytes.data(), bytes.data() + length) != length) {
        return false;
    }
    out.append(reinterpret_cast<const char*>(bytes.data()), length);
    return true;
}

// The literal is handed on where it stands in the piece; only one cut by the end of a piece is
// gathered in text_.
bool JsonReader::number() {
    text_.clear();
    numberStart_ = at_;
    const bool valid = numberGrammar();
    if (valid && text_.empty()) {
        literal_ = std::string_view(numberStart_, static_cast<std::size_t>(at_ - numberStart_));
    } else if (valid) {
        text_.append(numberStart_, static_cast<std::size_t>(at_ - numberStart_));
        literal_ = text_;
    }
    numberStart_ = nullptr;
    return valid;
}

bool JsonReader::numberGrammar() {
    if (peek() == '-') {
        ++at_;
    }
    if (peek() == '0') {
        ++at_;
    } else if (!digits()) {
        return false;
    }
    if (peek() == '.') {
        ++at_;
        if (!digits()) {
            return false;
        }
    }
    if (peek() == 'e' || peek() == 'E') {
        ++at_;
        if (peek() == '+' || peek() == '-') {
            ++at_;
        }
        return digits();
    }
    return true;
}

bool JsonReader::digits() {
    bool any = false;
    while (isDigit(peek())) {
        while (at_ < end_ && isDigit(*at_)) {
            ++at_;
        }
        any = true;
    }
    return any;
}

bool JsonReader::literal(std::string_view word) {
    for (const char c : word) {
        if (next() != c) {
            return false;
        }
    }
    return true;
}

void JsonReader::skipWhitespace() {
    while (true) {
        while (at_ < end_ && (*at_ == ' ' || *at_ == '\n' || *at_ == '\r' || *at_ == '\t')) {
            ++at_;
        }
        if (at_ < end_ || !refill()) {
            return;
        }
    }
}

// The next byte without taking it, or -1 at the end of the input.
int JsonReader::peek() {
    if (at_ == end_ && !refill()) {
        return -1;
    }
    return static_cast<unsigned char>(*at_);
}

int JsonReader::next() {
    const int c = peek();
    if (c >= 0) {
        ++at_;
    }
    return c;
}

bool JsonReader::refill() {
    if (input_ == nullptr) {
        return false;
    }
    // The piece is about to be read over: a number begun in it keeps its part.
    if (numberStart_ != nullptr) {
        text_.append(numberStart_, static_cast<std::size_t>(end_ - numberStart_));
        numberStart_ = piece_.data();
    }
    const std::streamsize count =
        input_->sgetn(piece_.data(), static_cast<std::streamsize>(piece_.size()));
    if (count <= 0) {
        input_ = nullptr;
        at_ = end_ = piece_.data();
        return false;
    }
    at_ = piece_.data();
    end_ = piece_.data() + count;
    return true;
}

}  // namespace nimbrook
