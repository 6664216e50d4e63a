#include "remote/HistoryListing.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <utility>

#include "model/RelativeTimeFormatter.h"
#include "remote/ListingBody.h"

namespace nimbrook {
namespace {

// 0000-01-01T00:00:00Z and 9999-12-31T23:59:59.999Z in Unix milliseconds.
constexpr double earliestMilliseconds = -62167219200000.0;
constexpr double latestMilliseconds = 253402300799999.0;

// The byte length of a separator (white space, line break, control character) starting
// `text`, or 0 when the text starts with anything else. Text is valid UTF-8.
std::size_t separatorLength(std::string_view text) {
    const auto byte = static_cast<unsigned char>(text[0]);
    if (byte <= 0x20 || byte == 0x7f) {
        return 1;
    }
    const auto second = text.size() > 1 ? static_cast<unsigned char>(text[1]) : 0;
    // C1 controls U+0080..U+009F and no-break space U+00A0.
    if (byte == 0xc2 && second >= 0x80 && second <= 0xa0) {
        return 2;
    }
    if (byte == 0xe2 && second == 0x80 && text.size() > 2) {
        // U+2000..U+200A spaces, U+2028 and U+2029 line and paragraph separators.
        const auto third = static_cast<unsigned char>(text[2]);
        if (third <= 0x8a || third == 0xa8 || third == 0xa9) {
            return 3;
        }
    }
    // U+3000 ideographic space.
    if (text.starts_with("\xe3\x80\x80")) {
        return 3;
    }
    return 0;
}

using Entries = std::vector<std::pair<std::size_t, ClipboardItem>>;

// The entries listed, each beside its index: handles that share the entries' payloads, so a
// reply keeps what it lists for as long as it is sent, at the cost of a pointer or two each.
Entries snapshot(const std::vector<ClipboardItem>& items, const std::vector<std::size_t>& indexes) {
    Entries entries;
    entries.reserve(indexes.size());
    for (const std::size_t index : indexes) {
        entries.emplace_back(index, items[index]);
    }
    return entries;
}

std::vector<ListingBody::Part> objectParts(std::size_t index, const ClipboardItem& item,
                                           bool first) {
    std::string head = first ? "\n" : ",\n";
    head += "{\"index\":";
    head += std::to_string(index + 1);
    head += ",\"id\":\"";
    head += item.id().text();
    head += "\",\"type\":\"";
    head += rawValue(item.contentType());
    head += "\",\"timestamp\":\"";
    head += HistoryListing::isoTimestamp(item.timestamp());
    head += "\",\"sourceApp\":";
    const auto& source = item.sourceApp();
    head += source ? "\"" : "null";
    std::string field = source ? "\"" : "";
    field += item.isPinned() ? ",\"pinned\":true" : ",\"pinned\":false";
    field += item.contentType() == ContentType::image ? ",\"path\":\"" : ",\"content\":\"";
    return {{std::move(head), source ? std::string_view(*source) : std::string_view()},
            {std::move(field), item.content()},
            {"\"}"}};
}

}  // namespace

std::string HistoryListing::oneLine(std::string_view text) {
    std::string line;
    line.reserve(text.size());
    bool pendingSpace = false;
    for (std::size_t i = 0; i < text.size();) {
        if (const auto length = separatorLength(text.substr(i))) {
            pendingSpace = !line.empty();
            i += length;
            continue;
        }
        if (pendingSpace) {
            line.push_back(' ');
            pendingSpace = false;
        }
        line.push_back(text[i++]);
    }
    return line;
}

std::string HistoryListing::isoTimestamp(Timestamp moment) {
    const double milliseconds = std::clamp(std::round(moment.unixSeconds() * 1000.0),
                                           earliestMilliseconds, latestMilliseconds);
    const auto total = static_cast<long long>(milliseconds);
    // Floor division, so a moment before 1970 keeps a positive millisecond field.
    const long long seconds = total / 1000 - (total % 1000 < 0 ? 1 : 0);
    const auto fraction = static_cast<int>(total - seconds * 1000);
    const auto time = static_cast<std::time_t>(seconds);
    std::tm fields{};
    ::gmtime_r(&time, &fields);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ",
                  fields.tm_year + 1900, fields.tm_mon + 1, fields.tm_mday, fields.tm_hour,
                  fields.tm_min, fields.tm_sec, fraction);
    return buffer;
}

std::shared_ptr<ReplyBody> HistoryListing::text(const std::vector<ClipboardItem>& items,
                                                const std::vector<std::size_t>& indexes,
                                                Timestamp now) {
    // An entry's line is made again when it is sent: a preview is 120 characters, but a
    // character may carry any number of combining marks.
    return std::make_shared<ListingBody>(
        indexes.size(), [entries = snapshot(items, indexes), now](std::size_t place) {
            const auto& [index, item] = entries[place];
            const auto& source = item.sourceApp();
            const std::string application = source ? oneLine(*source) : std::string();
            std::string line =
                std::to_string(index + 1) + '\t' + std::string(searchLabel(item.contentType())) +
                '\t' + ClipboardItem::relativeFormatter().format(item.timestamp(), now) + '\t' +
                (application.empty() ? std::string("-") : application) + '\t' +
                (item.isPinned() ? "置顶" : "-") + '\t' + oneLine(item.preview()) + '\n';
            return std::vector<ListingBody::Part>{{std::move(line)}};
        });
}

std::shared_ptr<ReplyBody> HistoryListing::json(const std::vector<ClipboardItem>& items,
                                                const std::vector<std::size_t>& indexes) {
    // Places: the opening bracket, one object per entry, the closing bracket.
    return std::make_shared<ListingBody>(
        indexes.size() + 2, [entries = snapshot(items, indexes)](std::size_t place) {
            if (place == 0) {
                return std::vector<ListingBody::Part>{{"["}};
            }
            if (place > entries.size()) {
                return std::vector<ListingBody::Part>{{entries.empty() ? "]\n" : "\n]\n"}};
            }
            const auto& [index, item] = entries[place - 1];
            return objectParts(index, item, place == 1);
        });
}

}  // namespace nimbrook
