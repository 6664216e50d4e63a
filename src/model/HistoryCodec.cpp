#include "model/HistoryCodec.h"

#include <cstdint>
#include <limits>
#include <streambuf>
#include <utility>

#include <nlohmann/json.hpp>

#include "platform/JsonText.h"

namespace nimbrook {

namespace {

// Large enough that writing the file costs few system calls.
constexpr std::size_t pieceBytes = 64 * 1024;

// Bytes in memory read as a stream, so that they are decoded as a file is.
class ViewBuffer final : public std::streambuf {
public:
    explicit ViewBuffer(std::string_view bytes) {
        char* start = const_cast<char*>(bytes.data());  // only ever read
        setg(start, start, start + bytes.size());
    }
};

enum class Member { none, id, content, contentType, timestamp, sourceApp, pinned, unknown };

Member memberNamed(std::string_view key) {
    if (key == "id") {
        return Member::id;
    }
    if (key == "content") {
        return Member::content;
    }
    if (key == "contentType") {
        return Member::contentType;
    }
    if (key == "timestamp") {
        return Member::timestamp;
    }
    if (key == "sourceApp") {
        return Member::sourceApp;
    }
    if (key == "pinned") {
        return Member::pinned;
    }
    return Member::unknown;
}

struct PendingEntry {
    std::optional<Uuid> id;
    std::optional<std::string> content;
    std::optional<ContentType> contentType;
    std::optional<double> timestamp;
    std::optional<std::string> sourceApp;
    bool pinned = false;
};

// Entries the history file marks pinned keep no pin time; PinnedOrder gives them one.
constexpr Timestamp unknownPinTime{std::numeric_limits<double>::lowest()};

// Streams the file into items without building a document, so a 5 MB history is parsed in
// one pass with each content string moved, never copied. Returning false stops the parse:
// one bad entry fails the whole file.
class EntryReader final {
public:
    using Json = nlohmann::json;

    // With `oneEntry` the input is a single entry object instead of an array of them.
    EntryReader(std::vector<ClipboardItem>& items, bool oneEntry)
        : items_(items), oneEntry_(oneEntry), level_(oneEntry ? Level::list : Level::top) {}

    bool null() {
        return scalar(Member::sourceApp, [this] { entry_.sourceApp.reset(); });
    }
    bool boolean(bool value) {
        if (skipping_ == 0 && level_ == Level::entry && member_ == Member::pinned) {
            entry_.pinned = value;
            return true;
        }
        return scalar(Member::none, [] {});
    }
    bool number_integer(Json::number_integer_t value) { return number(static_cast<double>(value)); }
    bool number_unsigned(Json::number_unsigned_t value) {
        return number(static_cast<double>(value));
    }
    bool number_float(Json::number_float_t value, const Json::string_t&) { return number(value); }
    bool binary(Json::binary_t&) { return false; }

    bool string(Json::string_t& value) {
        if (ignored()) {
            return true;
        }
        if (level_ != Level::entry) {
            return false;
        }
        switch (member_) {
            case Member::id:
                entry_.id = Uuid::parse(value);
                return entry_.id.has_value();
            case Member::content:
                entry_.content = std::move(value);
                return true;
            case Member::contentType:
                entry_.contentType = contentTypeFromRawValue(value);
                return entry_.contentType.has_value();
            case Member::sourceApp:
                entry_.sourceApp = std::move(value);
                return true;
            default:
                return false;
        }
    }

    bool start_object(std::size_t) {
        if (enterNested()) {
            return true;
        }
        if (level_ != Level::list) {
            return false;
        }
        level_ = Level::entry;
        entry_ = {};
        return true;
    }

    bool key(Json::string_t& name) {
        if (skipping_ == 0) {
            member_ = memberNamed(name);
            if (member_ == Member::pinned) {
                entry_.pinned = false;  // the last of repeated members counts, as for the others
            }
        }
        return true;
    }

    bool end_object() {
        if (skipping_ > 0) {
            --skipping_;
            return true;
        }
        level_ = oneEntry_ ? Level::done : Level::list;
        if (!entry_.id || !entry_.content || !entry_.contentType || !entry_.timestamp) {
            return false;
        }
        ClipboardItem item(*entry_.id, std::move(*entry_.content), *entry_.contentType,
                           Timestamp{*entry_.timestamp}, std::move(entry_.sourceApp));
        items_.push_back(entry_.pinned ? item.withPin(unknownPinTime) : std::move(item));
        return true;
    }

    bool start_array(std::size_t) {
        if (enterNested()) {
            return true;
        }
        if (level_ != Level::top) {
            return false;
        }
        level_ = Level::list;
        return true;
    }

    bool end_array() {
        if (skipping_ > 0) {
            --skipping_;
            return true;
        }
        level_ = Level::done;
        return true;
    }

    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) {
        return false;
    }

    bool complete() const { return level_ == Level::done; }

private:
    enum class Level { top, list, entry, done };

    // A value that the entry does not hold: one inside a skipped subtree, one of an unknown
    // member, or a "pinned" that is not a boolean, which older files never hold and which
    // leaves the entry unpinned rather than failing the whole history.
    bool ignored() const {
        return skipping_ > 0 || (level_ == Level::entry &&
                                 (member_ == Member::unknown || member_ == Member::pinned));
    }

    // An object or array inside an entry is only allowed as the value of an ignored member;
    // its whole subtree is skipped.
    bool enterNested() {
        if (ignored()) {
            ++skipping_;
            return true;
        }
        return false;
    }

    template <typename Assign>
    bool scalar(Member accepted, Assign assign) {
        if (ignored()) {
            return true;
        }
        if (level_ != Level::entry || member_ != accepted) {
            return false;
        }
        assign();
        return true;
    }

    bool number(double value) {
        return scalar(Member::timestamp, [this, value] { entry_.timestamp = value; });
    }

    std::vector<ClipboardItem>& items_;
    bool oneEntry_ = false;
    Level level_ = Level::top;
    Member member_ = Member::none;
    std::size_t skipping_ = 0;
    PendingEntry entry_;
};

// nlohmann skips a byte-order mark and takes a NUL byte for the end of the input, so a
// file such as "[]\0..." would load as empty and lose the rest at the next save. Strict
// JSON holds neither: no JSON text starts with the mark's first byte, and input that ends
// before the end of the stream ended at a NUL byte.
std::optional<std::vector<ClipboardItem>> decodeStream(std::istream& stream, bool oneEntry) {
    if (stream.peek() == 0xEF) {
        return std::nullopt;
    }
    std::vector<ClipboardItem> items;
    EntryReader reader(items, oneEntry);
    const bool parsed = nlohmann::json::sax_parse(stream, &reader);
    if (!parsed || !reader.complete() || !stream.eof()) {
        return std::nullopt;
    }
    return items;
}

}  // namespace

void HistoryCodec::appendEntry(std::string& bytes, const ClipboardItem& item) {
    bytes += R"({"id":")";
    bytes += item.id().text();
    bytes += R"(","content":)";
    bytes += JsonText::quoted(item.content());
    bytes += R"(,"contentType":")";
    bytes += rawValue(item.contentType());
    bytes += R"(","timestamp":)";
    bytes += JsonText::number(item.timestamp().secondsSinceReferenceDate);
    if (item.sourceApp()) {
        bytes += R"(,"sourceApp":)";
        bytes += JsonText::quoted(*item.sourceApp());
    }
    if (item.isPinned()) {
        bytes += R"(,"pinned":true)";
    }
    bytes += '}';
}

void HistoryCodec::encode(std::span<const ClipboardItem> items,
                          const std::function<void(std::string_view)>& write) {
    std::string bytes = "[";
    for (const ClipboardItem& item : items) {
        if (&item != items.data()) {
            bytes += ',';
        }
        appendEntry(bytes, item);
        if (bytes.size() >= pieceBytes) {
            write(bytes);
            bytes.clear();
        }
    }
    bytes += ']';
    write(bytes);
}

std::string HistoryCodec::encode(std::span<const ClipboardItem> items) {
    std::string bytes;
    encode(items, [&bytes](std::string_view piece) { bytes += piece; });
    return bytes;
}

std::optional<std::vector<ClipboardItem>> HistoryCodec::decode(std::string_view bytes) {
    ViewBuffer buffer(bytes);
    std::istream stream(&buffer);
    return decode(stream);
}

std::optional<std::vector<ClipboardItem>> HistoryCodec::decode(std::istream& stream) {
    return decodeStream(stream, false);
}

std::optional<ClipboardItem> HistoryCodec::decodeEntry(std::string_view bytes) {
    ViewBuffer buffer(bytes);
    std::istream stream(&buffer);
    std::optional<std::vector<ClipboardItem>> items = decodeStream(stream, true);
    if (!items) {
        return std::nullopt;
    }
    return std::move(items->front());
}

}  // namespace nimbrook
