#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Pasteboard.h"
#include "platform/wayland/PipeTransfer.h"
#include "platform/wayland/PipeWriters.h"

struct zwlr_data_control_device_v1;
struct zwlr_data_control_offer_v1;
struct zwlr_data_control_source_v1;

namespace nimbrook {

class WaylandConnection;

// The clipboard through the data-control protocol, which lets a program with no window and
// no keyboard focus see and set the selection (wlroots compositors, KWin). The toolkit's
// clipboard cannot: on Wayland it sees changes only while one of its windows has focus.
//
// Reads go to the offer whose change the last changeCount() call counted: when another
// offer has replaced it meanwhile, every read answers nullopt until the count is read
// again, so no answer mixes two offers (a secret check of one, the text of the next).
class DataControlPasteboard final : public Pasteboard {
public:
    struct Limits {
        // A source that misses one of these is given up, with the rest of its offer: one that
        // never writes costs the stall deadline once, however many types it offers.
        PipeTransfer::Deadlines deadlines{std::chrono::seconds(2), std::chrono::seconds(10)};
        std::size_t maximumBytes = maximumRepresentationBytes;
    };

    // `connection` must outlive this object; without a data-control manager and a seat
    // there, isAvailable() is false and the pasteboard never changes. `onChange` runs, on the
    // connection's thread, each time changeCount() has moved.
    DataControlPasteboard(WaylandConnection& connection, Limits limits,
                          std::function<void()> onChange = {});
    ~DataControlPasteboard() override;
    DataControlPasteboard(const DataControlPasteboard&) = delete;
    DataControlPasteboard& operator=(const DataControlPasteboard&) = delete;

    bool isAvailable() const;
    std::int64_t changeCount() const override;
    std::optional<std::string> pngData() const override;
    std::optional<std::string> tiffData() const override;
    std::optional<std::string> string() const override;
    bool isSecret() const override;
    void clearAndSetString(const std::string& text) override;
    void clearAndSetImage(const ImageOffer& offer) override;
    // The MIME types of the current offer, as its source announced them.
    std::vector<std::string> mimeTypes() const;

private:
    struct Offer;

    static void onDataOffer(void* data, zwlr_data_control_device_v1* device,
                            zwlr_data_control_offer_v1* offer);
    static void onSelection(void* data, zwlr_data_control_device_v1* device,
                            zwlr_data_control_offer_v1* offer);
    static void onFinished(void* data, zwlr_data_control_device_v1* device);
    static void onPrimarySelection(void* data, zwlr_data_control_device_v1* device,
                                   zwlr_data_control_offer_v1* offer);
    static void onSend(void* data, zwlr_data_control_source_v1* source, const char* mimeType,
                       std::int32_t fd);
    static void onCancelled(void* data, zwlr_data_control_source_v1* source);

    std::unique_ptr<Offer> takeAnnounced(zwlr_data_control_offer_v1* proxy);
    Offer* countedOffer() const;
    bool isOwn(const Offer& offer) const;
    std::optional<std::string> bytesOf(std::string_view mimeType) const;
    // Offers `text` under the text types, and `more`, as the selection of this program.
    void setSource(const std::string& text, const std::vector<ImageOffer::Representation>& more);
    void dropSource();

    WaylandConnection& connection_;
    Limits limits_;
    std::function<void()> onChange_;
    zwlr_data_control_device_v1* device_ = nullptr;
    // Offers announced but not yet made the selection.
    std::vector<std::unique_ptr<Offer>> announced_;
    std::unique_ptr<Offer> current_;
    std::uint64_t offers_ = 0;
    std::int64_t changeCount_ = 0;
    mutable std::uint64_t countedOffer_ = 0;
    // The selection this program set, answered from memory: reading it through a pipe on
    // this thread would wait for this thread.
    zwlr_data_control_source_v1* source_ = nullptr;
    std::string sourceText_;
    // What each type of that selection answers.
    std::map<std::string, std::shared_ptr<const std::string>, std::less<>> sourceBytes_;
    std::string ownType_;
    // Destroyed first: the end waits for the answers under way, each bounded by the deadlines.
    PipeWriters writers_;
};

}  // namespace nimbrook
