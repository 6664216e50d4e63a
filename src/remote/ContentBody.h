#pragma once

#include <string>
#include <string_view>

#include "model/ClipboardItem.h"
#include "remote/ReplyBody.h"

namespace nimbrook {

// An entry's content as `get` prints it, in views of the entry's own (shared) payload: a
// 20 MB entry costs a waiting connection no copy.
class ContentBody final : public ReplyBody {
public:
    // The content followed by `suffix`.
    ContentBody(ClipboardItem item, std::string suffix)
        : item_(std::move(item)), suffix_(std::move(suffix)) {}

    std::size_t size() const override { return item_.content().size() + suffix_.size(); }
    std::string_view next() override;

private:
    ClipboardItem item_;
    std::string suffix_;
    // Bytes given so far, of the content and then of the suffix.
    std::size_t given_ = 0;
};

}  // namespace nimbrook
