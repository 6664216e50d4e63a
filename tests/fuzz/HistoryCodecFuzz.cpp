// Whatever decodes is a history that re-encodes to a file decoding to the same entries, and
// encoding it again gives the same bytes.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <tuple>

#include "FuzzCheck.h"
#include "model/HistoryCodec.h"

namespace nimbrook {
namespace {

bool sameEntries(const std::vector<ClipboardItem>& a, const std::vector<ClipboardItem>& b) {
    const auto fields = [](const ClipboardItem& x) {
        return std::tuple(x.id(), x.content(), x.contentType(),
                          x.timestamp().secondsSinceReferenceDate, x.sourceApp());
    };
    return std::ranges::equal(a, b, {}, fields, fields);
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
