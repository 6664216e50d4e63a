// Whatever decodes is a history that re-encodes to a file decoding to the same entries, and
// encoding it again gives the same bytes.
#include <string>

#include "FuzzCheck.h"
#include "model/HistoryCodec.h"

namespace nimbrook {
namespace {

bool sameEntries(const std::vector<ClipboardItem>& a, const std::vector<ClipboardItem>& b) {
    return std::ranges::equal(a, b, [](const ClipboardItem& x, const ClipboardItem& y) {
        return x.id() == y.id() && x.content() == y.content() &&
               x.contentType() == y.contentType() &&
               x.timestamp().secondsSinceReferenceDate == y.timestamp().secondsSinceReferenceDate &&
               x.sourceApp() == y.sourceApp() && x.isPinned() == y.isPinned() &&
               x.pinnedAt() == y.pinnedAt();
    });
}

}  // namespace
}  // namespace nimbrook

void nimbrook::checkInput(const std::string& text) {
    const auto decoded = HistoryCodec::decode(text);
    if (!decoded) {
        return;
    }
    const std::string encoded = HistoryCodec::encode(*decoded);
    const auto again = HistoryCodec::decode(encoded);
    require(again.has_value(), "an encoded history decodes");
    require(sameEntries(*decoded, *again), "decode, encode, decode gives the same entries");
    require(HistoryCodec::encode(*again) == encoded, "encoding is stable");
}
