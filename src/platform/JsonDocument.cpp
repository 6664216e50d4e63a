#include "platform/JsonDocument.h"

#include <algorithm>
#include <limits>

#include "platform/JsonEvents.h"
#include "platform/JsonReader.h"

namespace nimbrook {

// Each value becomes a node when it starts. The children of the open containers wait on one
// stack, innermost last, and move to the shared lists when their container closes.
class JsonDocument::Builder final : public JsonEvents {
public:
    explicit Builder(JsonDocument& document) : document_(document) {}

    bool null() override { return add(Kind::null); }
    bool boolean(bool value) override { return add(value ? Kind::trueValue : Kind::falseValue); }
    bool number(std::string_view literal) override { return add(Kind::number, stored(literal)); }
    bool string(std::string_view value) override { return add(Kind::string, stored(value)); }
    bool key(std::string_view name) override {
        key_ = stored(name);
        return true;
    }
    bool startObject() override { return open(Kind::object); }
    bool startArray() override { return open(Kind::array); }
    bool endObject() override;
    bool endArray() override;

private:
    struct Bytes {
        Index offset = 0;
        Index length = 0;
    };

    // Decoded strings are never longer than their source, so the arena, reserved at the size
    // of the text, never moves.
    Bytes stored(std::string_view bytes) {
        const Bytes at{static_cast<Index>(document_.arena_.size()),
                       static_cast<Index>(bytes.size())};
        document_.arena_.append(bytes);
        return at;
    }

    bool add(Kind kind) { return add(kind, Bytes()); }

    bool add(Kind kind, Bytes bytes) {
        const auto index = static_cast<Index>(document_.nodes_.size());
        document_.nodes_.push_back({kind, bytes.offset, bytes.length});
        if (!opened_.empty()) {
            children_.push_back({key_.offset, key_.length, index});
        }
        return true;
    }

    bool open(Kind kind) {
        const auto index = static_cast<Index>(document_.nodes_.size());
        add(kind);
        opened_.emplace_back(index, children_.size());
        return true;
    }

    // The closing container's node and its children, which the caller then drops.
    std::pair<Node&, std::vector<Member>::iterator> closing() {
        const auto [index, firstChild] = opened_.back();
        opened_.pop_back();
        return {document_.nodes_[index],
                children_.begin() + static_cast<std::ptrdiff_t>(firstChild)};
    }

    JsonDocument& document_;
    std::vector<std::pair<Index, std::size_t>> opened_;
    std::vector<Member> children_;
    Bytes key_;
};

bool JsonDocument::Builder::endArray() {
    auto [node, first] = closing();
    std::vector<Index>& elements = document_.elements_;
    node.first = static_cast<Index>(elements.size());
    node.size = static_cast<Index>(children_.end() - first);
    for (auto child = first; child != children_.end(); ++child) {
        elements.push_back(child->value);
    }
    children_.erase(first, children_.end());
    return true;
}

// Sorted by key and then by place, a repeated key's members stand together with the one that
// counts, the last, at the end.
bool JsonDocument::Builder::endObject() {
    auto [node, first] = closing();
    const auto keyOf = [this](const Member& member) { return document_.key(member); };
    std::sort(first, children_.end(), [&keyOf](const Member& a, const Member& b) {
        const int order = keyOf(a).compare(keyOf(b));
        return order < 0 || (order == 0 && a.value < b.value);
    });
    std::vector<Member>& members = document_.members_;
    node.first = static_cast<Index>(members.size());
    for (auto child = first; child != children_.end(); ++child) {
        const auto next = child + 1;
        if (next == children_.end() || keyOf(*next) != keyOf(*child)) {
            members.push_back(*child);
        }
    }
    node.size = static_cast<Index>(members.size() - node.first);
    children_.erase(first, children_.end());
    return true;
}

std::optional<JsonDocument> JsonDocument::parse(std::string_view text) {
    if (text.size() > std::numeric_limits<Index>::max()) {
        return std::nullopt;
    }
    JsonDocument document;
    document.arena_.reserve(text.size());
    // Values seldom take fewer than eight bytes of text each, so the nodes seldom move; what is
    // reserved and never reached costs address space, not memory.
    document.nodes_.reserve(text.size() / 8);
    Builder builder(document);
    if (!JsonReader(text, maxDepth).read(builder)) {
        return std::nullopt;
    }
    return document;
}

std::string_view JsonDocument::text(Index value) const {
    const Node& node = nodes_[value];
    return {arena_.data() + node.first, node.size};
}

std::span<const JsonDocument::Index> JsonDocument::elements(Index array) const {
    const Node& node = nodes_[array];
    return std::span(elements_).subspan(node.first, node.size);
}

std::span<const JsonDocument::Member> JsonDocument::members(Index object) const {
    const Node& node = nodes_[object];
    return std::span(members_).subspan(node.first, node.size);
}

std::string_view JsonDocument::key(const Member& member) const {
    return {arena_.data() + member.keyOffset, member.keyLength};
}

}  // namespace nimbrook
