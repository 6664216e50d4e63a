#include "remote/RemoteCommands.h"

#include <algorithm>
#include <charconv>
#include <memory>
#include <optional>
#include <utility>

#include "controller/ClipboardViewModel.h"
#include "controller/PasteFlow.h"
#include "model/HistoryLimit.h"
#include "platform/Clock.h"
#include "platform/ImageFile.h"
#include "platform/Pasteboard.h"
#include "platform/WorkQueue.h"
#include "remote/ContentBody.h"
#include "remote/HistoryListing.h"

namespace nimbrook {
namespace {

constexpr std::string_view convertedToast = "已转换并复制";

RemoteReply failure(int status, std::string message) {
    return {.status = status, .output = {}, .error = "nimbrook: " + message + '\n'};
}

RemoteReply printed(std::string output) {
    return {.status = 0, .output = std::move(output), .error = {}};
}

RemoteReply streamed(std::shared_ptr<ReplyBody> body) {
    return {.status = 0, .output = {}, .error = {}, .body = std::move(body)};
}

RemoteReply malformed() {
    return failure(RemoteReply::usageError, "无效的请求");
}

std::optional<std::size_t> number(const std::string& text) {
    std::size_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty()) {
        return std::nullopt;
    }
    return value;
}

std::string joined(const std::vector<SmartConverter::Conversion>& conversions) {
    std::string names;
    for (const auto conversion : conversions) {
        names += (names.empty() ? "" : ", ") + std::string(SmartConverter::rawValue(conversion));
    }
    return names.empty() ? "无" : names;
}

}  // namespace

std::string RemoteCommands::unknownConversion(const std::string& name) {
    return "未知的转换“" + name + "”（可用：" +
           joined({SmartConverter::allCases.begin(), SmartConverter::allCases.end()}) + "）";
}

void RemoteCommands::run(const std::vector<std::string>& words, const Reply& reply) {
    if (words.empty()) {
        reply(malformed());
        return;
    }
    const std::string& command = words[0];
    if (command == "list" || command == "search") {
        reply(list(words));
    } else if (command == "get" || command == "copy" || command == "paste" || command == "delete" ||
               command == "convert" || command == "pin" || command == "unpin") {
        if (std::optional<RemoteReply> now = onEntry(words, reply)) {
            reply(std::move(*now));
        }
    } else if (words.size() != 1) {
        reply(malformed());
    } else if (command == "clear") {
        viewModel_.clearAll();
        reply({});
    } else if (command == "pause" || command == "resume") {
        if (viewModel_.isMonitoring() != (command == "resume")) {
            viewModel_.toggleMonitoring();
        }
        reply({});
    } else {
        reply(malformed());
    }
}

RemoteReply RemoteCommands::list(const std::vector<std::string>& words) {
    const bool search = words[0] == "search";
    const auto limit = words.size() == (search ? 4u : 3u) ? number(words[1]) : std::nullopt;
    if (!limit || (words[2] != "text" && words[2] != "json")) {
        return malformed();
    }
    auto indexes = viewModel_.indexesMatching(search ? words[3] : std::string());
    if (*limit > 0 && indexes.size() > *limit) {
        indexes.resize(*limit);
    }
    const auto& items = viewModel_.items();
    return streamed(words[2] == "json" ? HistoryListing::json(items, indexes)
                                       : HistoryListing::text(items, indexes, clock_.now()));
}

// nullopt when the answer comes later through `reply`.
std::optional<RemoteReply> RemoteCommands::onEntry(const std::vector<std::string>& words,
                                                   const Reply& reply) {
    const std::string& command = words[0];
    const bool asImage = command == "get" && words.size() == 3 && words[2] == "image";
    const auto position = words.size() == (command == "convert" || asImage ? 3u : 2u)
                              ? number(words[1])
                              : std::nullopt;
    if (!position) {
        return malformed();
    }
    const auto& items = viewModel_.items();
    if (*position == 0 || *position > items.size()) {
        return failure(
            1, "没有第 " + words[1] + " 条记录（共 " + std::to_string(items.size()) + " 条）");
    }
    const std::size_t index = *position - 1;
    const ClipboardItem item = items[index];
    if (asImage) {
        return imageBytes(index, reply);
    }
    if (command == "get") {
        const bool image = item.contentType() == ContentType::image;
        return streamed(std::make_shared<ContentBody>(item, image ? "\n" : ""));
    }
    if (command == "copy") {
        viewModel_.copyToPasteboard(item);
    } else if (command == "paste") {
        paste(item, reply);
        return std::nullopt;
    } else if (command == "delete") {
        viewModel_.deleteItem(item);
    } else if (command == "pin" || command == "unpin") {
        if (!viewModel_.setPinned(item, command == "pin")) {
            return failure(1, "最多置顶 " + std::to_string(pinLimit) + " 条");
        }
    } else {
        return convert(index, words[2], reply);
    }
    return RemoteReply{};
}

void RemoteCommands::paste(const ClipboardItem& item, const Reply& reply) {
    if (paste_ == nullptr) {
        viewModel_.copyToPasteboard(item);
        reply(failure(1, std::string(PasteFlow::notPastedToast)));
        return;
    }
    paste_->pasteIntoFocused(item, [reply](const PasteRoute::SendResult& result) {
        reply(result.sent
                  ? RemoteReply{}
                  : failure(1, std::string(PasteFlow::notPastedToast) + "：" + result.reason));
    });
}

// The file is read on the work queue: a large picture never holds the panel.
std::optional<RemoteReply> RemoteCommands::imageBytes(std::size_t index, const Reply& reply) {
    const ClipboardItem item = viewModel_.items()[index];
    const std::string position = std::to_string(index + 1);
    if (item.contentType() != ContentType::image) {
        return failure(1, "第 " + position + " 条是 " +
                              std::string(searchLabel(item.contentType())) + "，不是图片");
    }
    auto bytes = std::make_shared<std::optional<std::string>>();
    viewModel_.workQueue().post(
        [bytes, path = item.content()] {
            *bytes = ImageFile::read(path, Pasteboard::maximumRepresentationBytes);
        },
        [bytes, reply, position, path = item.content()] {
            reply(*bytes ? printed(std::move(**bytes))
                         : failure(1, "第 " + position + " 条的图片已丢失：" + path));
        });
    return std::nullopt;
}

std::optional<RemoteReply> RemoteCommands::convert(std::size_t index, const std::string& name,
                                                   const Reply& reply) {
    const ClipboardItem item = viewModel_.items()[index];
    const auto offered = SmartConverter::offeredFor(item.contentType());
    const auto conversion = SmartConverter::fromRawValue(name);
    if (!conversion) {
        return failure(RemoteReply::usageError, unknownConversion(name));
    }
    if (std::find(offered.begin(), offered.end(), *conversion) == offered.end()) {
        return failure(1, "第 " + std::to_string(index + 1) + " 条是 " +
                              std::string(searchLabel(item.contentType())) + "，不能用 " + name +
                              " 转换（可用：" + joined(offered) + "）");
    }
    viewModel_.copyConverted(item, *conversion, [reply](const std::string& toast) {
        reply(toast == convertedToast ? printed(toast + '\n') : failure(1, toast));
    });
    return std::nullopt;
}

}  // namespace nimbrook
