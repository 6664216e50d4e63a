// Whatever decodes is a history that re-encodes to a file decoding to the same entries, and
// encoding it again gives the same bytes.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "FuzzCheck.h"
#include "model/HistoryCodec.h"

namespace nimbrook {
namespace {

bool sameEntries(const std::vector<ClipboardItem>& a, const std::vector<ClipboardItem>& b) {
    return std::ranges::equal(a, b, [](const ClipboardItem& x, const ClipboardItem& y) {
        return x.id() == y.id() && x.content() == y.content() &&
               x.contentType() == y.contentType() &&
               x.timestamp().secondsSinceReferenceDate == y.timestamp().secondsSinceReferenceDate &&
               x.sourceApp() == y.sourceApp();
    });
}

}  // namespace
}  // namespace nimbrook

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace nimbrook;
    const auto decoded =
        HistoryCodec::decode(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!decoded) {
        return 0;
    }
    const std::string encoded = HistoryCodec::encode(*decoded);
    const auto again = HistoryCodec::decode(encoded);
    require(again.has_value(), "an encoded history decodes");
    require(sameEntries(*decoded, *again), "decode, encode, decode gives the same entries");
    require(HistoryCodec::encode(*again) == encoded, "encoding is stable");
    return 0;
}
