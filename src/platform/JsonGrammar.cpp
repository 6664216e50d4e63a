#include "platform/JsonGrammar.h"

#include <string>

namespace nimbrook {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isHexDigit(char c) {
    return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Reads one token or structural character at a time; the open containers are a string of
// '{' and '[' instead of a recursion.
class Reader final {
public:
    explicit Reader(std::string_view text) : text_(text) {}

    bool document() {
        skipWhitespace();
        if (!opensContainer()) {
            return false;
        }
        State state = State::afterOpen;
        while (!open_.empty() && state != State::failed) {
            skipWhitespace();
            switch (state) {
                case State::afterOpen:
                    state = closesContainer() ? State::afterValue : entry();
                    break;
                case State::entry:
                    state = entry();
                    break;
                case State::afterValue:
                    state = accept(',')         ? State::entry
                            : closesContainer() ? State::afterValue
                                                : State::failed;
                    break;
                case State::failed:
                    break;
            }
        }
        skipWhitespace();
        return state != State::failed && at_ == text_.size();
    }

private:
    enum class State { afterOpen, entry, afterValue, failed };

    // A member (name, colon, value) or an element; a container opens without its content.
    State entry() {
        if (open_.back() == '{') {
            if (!string()) {
                return State::failed;
            }
            skipWhitespace();
            if (!accept(':')) {
                return State::failed;
            }
            skipWhitespace();
        }
        if (opensContainer()) {
            return State::afterOpen;
        }
        return scalar() ? State::afterValue : State::failed;
    }

    bool opensContainer() {
        if (at_ < text_.size() && (text_[at_] == '{' || text_[at_] == '[')) {
            open_ += text_[at_++];
            return true;
        }
        return false;
    }

    bool closesContainer() {
        if (accept(open_.back() == '{' ? '}' : ']')) {
            open_.pop_back();
            return true;
        }
        return false;
    }

    bool scalar() {
        if (at_ >= text_.size()) {
            return false;
        }
        switch (text_[at_]) {
            case '"':
                return string();
            case 't':
                return literal("true");
            case 'f':
                return literal("false");
            case 'n':
                return literal("null");
            default:
                return number();
        }
    }

    bool string() {
        if (!accept('"')) {
            return false;
        }
        while (at_ < text_.size()) {
            const auto c = static_cast<unsigned char>(text_[at_++]);
            if (c == '"') {
                return true;
            }
            if (c < 0x20) {
                return false;
            }
            if (c == '\\' && !escape()) {
                return false;
            }
        }
        return false;
    }

    bool escape() {
        if (at_ >= text_.size()) {
            return false;
        }
        const char c = text_[at_++];
        if (std::string_view("\"\\/bfnrt").find(c) != std::string_view::npos) {
            return true;
        }
        if (c != 'u' || text_.size() - at_ < 4) {
            return false;
        }
        for (int index = 0; index < 4; ++index) {
            if (!isHexDigit(text_[at_++])) {
                return false;
            }
        }
        return true;
    }

    bool number() {
        accept('-');
        if (!accept('0') && !digits()) {
            return false;
        }
        if (accept('.') && !digits()) {
            return false;
        }
        if (accept('e') || accept('E')) {
            if (!accept('+')) {
                accept('-');
            }
            return digits();
        }
        return true;
    }

    bool digits() {
        const std::size_t start = at_;
        while (at_ < text_.size() && isDigit(text_[at_])) {
            ++at_;
        }
        return at_ > start;
    }

    bool literal(std::string_view word) {
        if (text_.substr(at_, word.size()) != word) {
            return false;
        }
        at_ += word.size();
        return true;
    }

    bool accept(char c) {
        if (at_ < text_.size() && text_[at_] == c) {
            ++at_;
            return true;
        }
        return false;
    }

    void skipWhitespace() {
        while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\t' ||
                                      text_[at_] == '\n' || text_[at_] == '\r')) {
            ++at_;
        }
    }

    std::string_view text_;
    std::size_t at_ = 0;
    std::string open_;
};

}  // namespace

bool JsonGrammar::isDocument(std::string_view text) {
    return Reader(text).document();
}

}  // namespace nimbrook
