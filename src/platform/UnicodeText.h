#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace nimbrook {

// Unicode services on UTF-8 text. Every function takes valid UTF-8; text from
// outside the program goes through repairedUtf8 first.
class UnicodeText final {
public:
    // Invalid sequences replaced by U+FFFD; valid text comes back unchanged.
    static std::string repairedUtf8(std::string_view bytes);
    static bool isValidUtf8(std::string_view bytes);
    // Canonical composition (NFC).
    static std::string nfc(std::string_view text);
    // Full Unicode lower-case mapping, root locale (independent of the user's locale).
    static std::string lowercased(std::string_view text);
    // The lower-cased form of an NFC text, itself in NFC: lower-casing can take a text out of
    // NFC (a capital J with a combining caron becomes j and the caron, where U+01F0 stays one
    // character), so texts that are canonically equivalent once lower-cased compare equal
    // byte for byte only in this form. `nfcText` must be in NFC (see nfc).
    static std::string lowercasedNfc(std::string_view nfcText);
    // Whether NFC and lower-casing leave every character of valid `text` as it is, ASCII
    // capitals aside: then nfc returns the text and lowercasedNfc the text with its ASCII
    // letters lowered. True of most texts (Chinese has no case, accented letters are mostly
    // small and precomposed), and far cheaper to tell than to compute either form.
    static bool isSettled(std::string_view text);
    // The first `count` extended grapheme clusters (the whole text when it has fewer).
    static std::string graphemePrefix(std::string_view text, std::size_t count);
};

}  // namespace nimbrook
