#include "model/HistoryCodec.h"

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <system_error>
#include <utility>

#include "platform/JsonEvents.h"
#include "platform/JsonReader.h"
#include "platform/JsonText.h"

namespace nimbrook {

namespace {

// Large enough that writing the file costs few system calls.
constexpr std::size_t pieceBytes = 64 * 1024;

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

// The double of a JSON number, rounded to nearest; nullopt when it lies beyond a double's
// range, which the file cannot have been given, while one too small to hold reads as zero.
// An integer reads as a positive zero whatever its sign.
std::optional<double> numberValue(std::string_view literal) {
    double value = 0;
    const auto result = std::from_chars(literal.data(), literal.data() + literal.size(), value);
    if (result.ec == std::errc()) {
        const bool integer = literal.find_first_of(".eE") == std::string_view::npos;
        return integer && value == 0 ? 0.0 : value;
    }
    // from_chars says only that the value is out of range: strtod tells an overflow from
    // an underflow, in the C locale whatever the program's own is.
    static const locale_t cLocale = ::newlocale(LC_ALL_MASK, "C", nullptr);
    const std::string text(literal);
    value = ::strtod_l(text.c_str(), nullptr, cLocale);
    return std::isfinite(value) ? std::optional(value) : std::nullopt;
}

// Streams the file into items without building a document, so a 5 MB history is parsed in
// one pass with each content string copied once. Returning false stops the parse: one bad
// entry fails the whole file.
class EntryReader final : public JsonEvents {
public:
    // With `oneEntry` the input is a single entry object instead of an array of them.
    EntryReader(std::vector<ClipboardItem>& items, bool oneEntry)
        : items_(items), oneEntry_(oneEntry), level_(oneEntry ? Level::list : Level::top) {}

    bool null() override {
        return scalar(Member::sourceApp, [this] { entry_.sourceApp.reset(); });
    }
    bool boolean(bool value) override {
        if (skipping_ == 0 && level_ == Level::entry && member_ == Member::pinned) {
            entry_.pinned = value;
            return true;
        }
        return scalar(Member::none, [] {});
    }
    bool number(std::string_view literal) override {
        const std::optional<double> value = numberValue(literal);
        return value && scalar(Member::timestamp, [this, value] { entry_.timestamp = value; });
    }

    bool string(std::string_view value) override {
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
                entry_.content.emplace(value);
                return true;
            case Member::contentType:
                entry_.contentType = contentTypeFromRawValue(value);
                return entry_.contentType.has_value();
            case Member::sourceApp:
                entry_.sourceApp.emplace(value);
                return true;
            default:
                return false;
        }
    }

    bool startObject() override {
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

    bool key(std::string_view name) override {
        if (skipping_ == 0) {
            member_ = memberNamed(name);
            if (member_ == Member::pinned) {
                entry_.pinned = false;  // the last of repeated members counts, as for the others
            }
        }
        return true;
    }

    bool endObject() override {
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

    bool startArray() override {
        if (enterNested()) {
            return true;
        }
        if (level_ != Level::top) {
            return false;
        }
        level_ = Level::list;
        return true;
    }

    bool endArray() override {
        if (skipping_ > 0) {
            --skipping_;
            return true;
        }
        level_ = Level::done;
        return true;
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

    std::vector<ClipboardItem>& items_;
    bool oneEntry_ = false;
    Level level_ = Level::top;
    Member member_ = Member::none;
    std::size_t skipping_ = 0;
    PendingEntry entry_;
};

std::optional<std::vector<ClipboardItem>> decodeWith(JsonReader& jsonReader, bool oneEntry) {
    std::vector<ClipboardItem> items;
    EntryReader reader(items, oneEntry);
    if (!jsonReader.read(reader) || !reader.complete()) {
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
    JsonReader reader(bytes);
    return decodeWith(reader, false);
}

std::optional<std::vector<ClipboardItem>> HistoryCodec::decode(std::istream& stream) {
    JsonReader reader(*stream.rdbuf());
    return decodeWith(reader, false);
}

std::optional<ClipboardItem> HistoryCodec::decodeEntry(std::string_view bytes) {
    JsonReader reader(bytes);
    std::optional<std::vector<ClipboardItem>> items = decodeWith(reader, true);
    if (!items) {
        return std::nullopt;
    }
    return std::move(items->front());
}

}  // namespace nimbrook
