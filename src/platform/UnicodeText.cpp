#include "platform/UnicodeText.h"

#include <cstdint>
#include <cstring>
#include <memory>

#include <unicode/brkiter.h>
#include <unicode/bytestream.h>
#include <unicode/casemap.h>
#include <unicode/normalizer2.h>
#include <unicode/uniset.h>
#include <unicode/utext.h>

#include "platform/Utf8.h"

namespace nimbrook {

namespace {

constexpr std::string_view replacementCharacter = "\xEF\xBF\xBD";

// Creating a character break iterator loads rule data; each thread keeps its own
// because an iterator holds the position of the text it walks.
icu::BreakIterator* graphemeIterator() {
    thread_local std::unique_ptr<icu::BreakIterator> iterator = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::BreakIterator> created(
            icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
        return U_SUCCESS(status) ? std::move(created) : nullptr;
    }();
    return iterator.get();
}

// Walks the clusters of valid UTF-8 text; `visit` gets the end offset of each and
// returns false to stop. ASCII needs no iterator: every byte is a cluster except
// that CR LF forms one.
template <typename Visitor>
void forEachGrapheme(std::string_view text, Visitor visit) {
    if (utf8::isAscii(text)) {
        for (std::size_t index = 0; index < text.size();) {
            index +=
                (text[index] == '\r' && index + 1 < text.size() && text[index + 1] == '\n') ? 2 : 1;
            if (!visit(index)) {
                return;
            }
        }
        return;
    }
    icu::BreakIterator* iterator = graphemeIterator();
    UErrorCode status = U_ZERO_ERROR;
    UText* utext = utext_openUTF8(nullptr, text.data(), static_cast<int64_t>(text.size()), &status);
    if (iterator == nullptr || U_FAILURE(status)) {
        utext_close(utext);
        return;
    }
    iterator->setText(utext, status);
    if (U_SUCCESS(status)) {
        iterator->first();
        for (int32_t end = iterator->next(); end != icu::BreakIterator::DONE;
             end = iterator->next()) {
            if (!visit(static_cast<std::size_t>(end))) {
                break;
            }
        }
    }
    // The iterator keeps a shallow clone of the text; give it an empty one before closing.
    iterator->setText(icu::UnicodeString());
    utext_close(utext);
}

// The NFC form of valid UTF-8, without a copy when it is in NFC already.
std::string composed(std::string valid) {
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* normalizer = icu::Normalizer2::getNFCInstance(status);
    if (U_FAILURE(status)) {
        return valid;
    }
    if (normalizer->isNormalizedUTF8(valid, status) && U_SUCCESS(status)) {
        return valid;
    }
    status = U_ZERO_ERROR;
    std::string normalized;
    icu::StringByteSink<std::string> sink(&normalized, static_cast<int32_t>(valid.size()));
    normalizer->normalizeUTF8(0, valid, sink, nullptr, status);
    return U_SUCCESS(status) ? normalized : valid;
}

// A character that combines with none before it (quick check Yes, combining class 0) and
// has no lower-case mapping: a text made only of these, and of ASCII, is in NFC, and stays
// so once its ASCII capitals are lowered. Frozen, so any thread may read it.
const icu::UnicodeSet& settledCharacters() {
    static const icu::UnicodeSet set = [] {
        UErrorCode status = U_ZERO_ERROR;
        icu::UnicodeSet built(
            icu::UnicodeString(u"[[[:NFC_QC=Yes:]&[:ccc=0:]&[:^Changes_When_Lowercased:]][A-Z]]"),
            status);
        if (U_FAILURE(status)) {
            built.clear();
        }
        built.freeze();
        return built;
    }();
    return set;
}

}  // namespace

std::string UnicodeText::repairedUtf8(std::string_view bytes) {
    std::string repaired;
    repaired.reserve(bytes.size());
    std::size_t copiedUpTo = 0;
    for (std::size_t index = 0; index < bytes.size();) {
        if (static_cast<unsigned char>(bytes[index]) < 0x80) {
            ++index;
            continue;
        }
        const utf8::Decoded next = utf8::decodeAt(bytes, index);
        if (next.codePoint < 0) {
            repaired.append(bytes.substr(copiedUpTo, index - copiedUpTo));
            repaired.append(replacementCharacter);
            copiedUpTo = index + next.length;
        }
        index += next.length;
    }
    repaired.append(bytes.substr(copiedUpTo));
    return repaired;
}

bool UnicodeText::isValidUtf8(std::string_view bytes) {
    // Every entry is checked when it is made and again by each text service, so this runs
    // over the whole history at start: ASCII runs are skipped eight bytes at a time.
    constexpr std::uint64_t highBits = 0x8080808080808080ULL;
    for (std::size_t index = 0; index < bytes.size();) {
        if (bytes.size() - index >= 8) {
            std::uint64_t word = 0;
            std::memcpy(&word, bytes.data() + index, sizeof word);
            if ((word & highBits) == 0) {
                index += 8;
                continue;
            }
        }
        const std::size_t length = utf8::wellFormedLength(bytes, index);
        if (length == 0) {
            return false;
        }
        index += length;
    }
    return true;
}

std::string UnicodeText::nfc(std::string_view text) {
    if (utf8::isAscii(text)) {
        return std::string(text);
    }
    return composed(isValidUtf8(text) ? std::string(text) : repairedUtf8(text));
}

std::string UnicodeText::lowercased(std::string_view text) {
    if (utf8::isAscii(text)) {
        std::string lowered(text);
        for (char& c : lowered) {
            if (c >= 'A' && c <= 'Z') {
                c = static_cast<char>(c - 'A' + 'a');
            }
        }
        return lowered;
    }
    const std::string repaired = isValidUtf8(text) ? std::string() : repairedUtf8(text);
    const std::string_view valid = repaired.empty() ? text : std::string_view(repaired);
    std::string lowered;
    icu::StringByteSink<std::string> sink(&lowered, static_cast<int32_t>(valid.size()));
    UErrorCode status = U_ZERO_ERROR;
    // The empty locale ID is the root locale: no Turkish or Lithuanian special cases.
    icu::CaseMap::utf8ToLower("", 0, valid, sink, nullptr, status);
    return U_SUCCESS(status) ? lowered : std::string(valid);
}

std::string UnicodeText::lowercasedNfc(std::string_view nfcText) {
    // Lower-casing ASCII gives ASCII, which is in NFC.
    if (utf8::isAscii(nfcText)) {
        return lowercased(nfcText);
    }
    return composed(lowercased(nfcText));
}

bool UnicodeText::isSettled(std::string_view text) {
    if (text.size() > static_cast<std::size_t>(INT32_MAX)) {
        return false;
    }
    const auto length = static_cast<int32_t>(text.size());
    return settledCharacters().spanUTF8(text.data(), length, USET_SPAN_CONTAINED) == length;
}

std::string UnicodeText::graphemePrefix(std::string_view text, std::size_t count) {
    if (count == 0) {
        return {};
    }
    std::size_t end = text.size();
    std::size_t seen = 0;
    forEachGrapheme(text, [&](std::size_t clusterEnd) {
        ++seen;
        if (seen < count) {
            return true;
        }
        end = clusterEnd;
        return false;
    });
    return std::string(text.substr(0, end));
}

}  // namespace nimbrook
