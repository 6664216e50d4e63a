// The Unicode text service agrees with ICU used directly (UTF-16, the slow way), and its
// derived forms hold their round trips.
#include <memory>
#include <string>

#include <unicode/brkiter.h>
#include <unicode/normalizer2.h>
#include <unicode/unistr.h>

#include "FuzzCheck.h"
#include "platform/UnicodeText.h"

namespace {

std::string utf8Of(const icu::UnicodeString& text) {
    std::string bytes;
    text.toUTF8String(bytes);
    return bytes;
}

std::string icuNfc(const std::string& text) {
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* nfc = icu::Normalizer2::getNFCInstance(status);
    return utf8Of(nfc->normalize(icu::UnicodeString::fromUTF8(text), status));
}

std::string icuLowercased(const std::string& text) {
    return utf8Of(icu::UnicodeString::fromUTF8(text).toLower(icu::Locale::getRoot()));
}

std::size_t icuGraphemeCount(const std::string& text) {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::BreakIterator> clusters(
        icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
    const icu::UnicodeString utf16 = icu::UnicodeString::fromUTF8(text);
    clusters->setText(utf16);
    std::size_t count = 0;
    for (clusters->first(); clusters->next() != icu::BreakIterator::DONE;) {
        ++count;
    }
    return count;
}

}  // namespace

void nimbrook::checkInput(const std::string& bytes) {
    const std::string text = UnicodeText::repairedUtf8(bytes);
    require(UnicodeText::isValidUtf8(text), "the repaired text is valid UTF-8");
    require(UnicodeText::isValidUtf8(bytes) == (text == bytes),
            "repairing changes exactly the invalid texts");
    // fromUTF8 repairs the same way, one U+FFFD per maximal ill-formed subpart.
    require(utf8Of(icu::UnicodeString::fromUTF8(bytes)) == text, "repairs as ICU does");
    const std::string nfc = UnicodeText::nfc(text);
    require(nfc == icuNfc(text), "NFC as ICU");
    require(UnicodeText::lowercased(text) == icuLowercased(text), "lower case as ICU");
    require(UnicodeText::lowercasedNfc(nfc) == icuNfc(icuLowercased(nfc)),
            "lowercasedNfc is the NFC of the lower case");
    const std::size_t clusters = icuGraphemeCount(text);
    require(UnicodeText::graphemePrefix(text, clusters) == text &&
                (clusters == 0 || UnicodeText::graphemePrefix(text, clusters - 1) != text),
            "as many grapheme clusters as ICU finds");
}
