#include "remote/HistoryListing.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>

#include "model/RelativeTimeFormatter.h"
#include "remote/JsonStringWriter.h"

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

void appendObject(std::string& out, std::size_t index, const ClipboardItem& item) {
    out += "{\"index\":";
    out += std::to_string(index + 1);
    out += ",\"id\":\"";
    out += item.id().text();
    out += "\",\"type\":\"";
    out += rawValue(item.contentType());
    out += "\",\"timestamp\":\"";
    out += HistoryListing::isoTimestamp(item.timestamp());
    out += "\",\"sourceApp\":";
    if (const auto& source = item.sourceApp()) {
        JsonStringWriter::appendQuoted(out, *source);
    } else {
        out += "null";
    }
    out += item.contentType() == ContentType::image ? ",\"path\":" : ",\"content\":";
    JsonStringWriter::appendQuoted(out, item.content());
    out += '}';
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

std::string HistoryListing::text(const std::vector<ClipboardItem>& items,
                                 const std::vector<std::size_t>& indexes, Timestamp now) {
    const RelativeTimeFormatter& relative = ClipboardItem::relativeFormatter();
    std::string out;
    for (const std::size_t index : indexes) {
        const ClipboardItem& item = items[index];
        const auto& source = item.sourceApp();
        const std::string application = source ? oneLine(*source) : std::string();
        out += std::to_string(index + 1) + '\t' + std::string(searchLabel(item.contentType())) +
               '\t' + relative.format(item.timestamp(), now) + '\t' +
               (application.empty() ? std::string("-") : application) + '\t' +
               oneLine(item.preview()) + '\n';
    }
    return out;
}

std::string HistoryListing::json(const std::vector<ClipboardItem>& items,
                                 const std::vector<std::size_t>& indexes) {
    // Megabytes for a full history: one buffer, grown once, quoted into in place.
    std::size_t estimate = 8;
    for (const std::size_t index : indexes) {
        estimate += items[index].content().size() + 256;
    }
    std::string out;
    out.reserve(estimate);
    out += '[';
    for (const std::size_t index : indexes) {
        out += out.size() == 1 ? "\n" : ",\n";
        appendObject(out, index, items[index]);
    }
    out += indexes.empty() ? "]\n" : "\n]\n";
    return out;
}

}  // namespace nimbrook
