#include "platform/wayland/DataControlPasteboard.h"

#include <algorithm>
#include <array>
#include <csignal>
#include <iterator>
#include <map>
#include <utility>

#include <fcntl.h>
#include <unistd.h>
#include <wayland-client.h>
#include <wlr-data-control-unstable-v1-client-protocol.h>

#include "model/Uuid.h"
#include "platform/UnicodeText.h"
#include "platform/wayland/PipeTransfer.h"
#include "platform/wayland/WaylandConnection.h"

namespace nimbrook {
namespace {

constexpr std::string_view pngType = "image/png";
constexpr std::string_view tiffType = "image/tiff";
// Most specific first; "UTF8_STRING" is what X11 programs offer through Xwayland.
constexpr std::array<std::string_view, 3> readTextTypes{"text/plain;charset=utf-8", "text/plain",
                                                        "UTF8_STRING"};
constexpr std::array<const char*, 5> writtenTextTypes{"text/plain;charset=utf-8", "text/plain",
                                                      "UTF8_STRING", "TEXT", "STRING"};
// Set by password managers on what they copy; such an offer is never recorded.

}  // namespace

struct DataControlPasteboard::Offer {
    Offer(zwlr_data_control_offer_v1* proxy, std::uint64_t serial) : proxy(proxy), serial(serial) {}
    ~Offer() { zwlr_data_control_offer_v1_destroy(proxy); }
    Offer(const Offer&) = delete;
    Offer& operator=(const Offer&) = delete;

    bool offers(std::string_view type) const {
        return std::find(types.begin(), types.end(), type) != types.end();
    }

    zwlr_data_control_offer_v1* proxy;
    std::uint64_t serial;
    std::vector<std::string> types;
    std::map<std::string, std::string, std::less<>> received;
    // A source that missed the deadline or sent too much is not asked again.
    bool abandoned = false;
};

DataControlPasteboard::DataControlPasteboard(WaylandConnection& connection, Limits limits,
                                             std::function<void()> onChange)
    : connection_(connection),
      limits_(limits),
      onChange_(std::move(onChange)),
      // Every program on the desktop reads the offered types: the mark of the program's own
      // copies is a token of this start, which says nothing of the process.
      ownType_("application/x-nimbrook-own-" + Uuid::random().text()),
      writers_(limits.deadlines) {
    if (connection_.dataControl() == nullptr || connection_.seat() == nullptr) {
        return;
    }
    // A reader that goes away while this program answers it must not end the program.
    std::signal(SIGPIPE, SIG_IGN);
    auto* manager = reinterpret_cast<wl_proxy*>(connection_.dataControl());
    device_ = reinterpret_cast<zwlr_data_control_device_v1*>(
        wl_proxy_marshal_flags(manager, ZWLR_DATA_CONTROL_MANAGER_V1_GET_DATA_DEVICE,
                               connection_.dataControlInterfaces().device,
                               wl_proxy_get_version(manager), 0, nullptr, connection_.seat()));
    static const zwlr_data_control_device_v1_listener listener{
        &DataControlPasteboard::onDataOffer, &DataControlPasteboard::onSelection,
        &DataControlPasteboard::onFinished, &DataControlPasteboard::onPrimarySelection};
    zwlr_data_control_device_v1_add_listener(device_, &listener, this);
    // The selection already there is announced now; it counts as the starting point.
    connection_.roundtrip();
}

DataControlPasteboard::~DataControlPasteboard() {
    dropSource();
    announced_.clear();
    current_.reset();
    if (device_ != nullptr) {
        zwlr_data_control_device_v1_destroy(device_);
    }
    connection_.flush();
}

bool DataControlPasteboard::isAvailable() const {
    return device_ != nullptr && connection_.isConnected();
}

void DataControlPasteboard::onDataOffer(void* data, zwlr_data_control_device_v1*,
                                        zwlr_data_control_offer_v1* proxy) {
    auto& self = *static_cast<DataControlPasteboard*>(data);
    auto& offer = self.announced_.emplace_back(std::make_unique<Offer>(proxy, ++self.offers_));
    static const zwlr_data_control_offer_v1_listener listener{
        [](void* data, zwlr_data_control_offer_v1*, const char* mimeType) {
            static_cast<Offer*>(data)->types.emplace_back(mimeType);
        }};
    zwlr_data_control_offer_v1_add_listener(proxy, &listener, offer.get());
}

void DataControlPasteboard::onSelection(void* data, zwlr_data_control_device_v1*,
                                        zwlr_data_control_offer_v1* proxy) {
    auto& self = *static_cast<DataControlPasteboard*>(data);
    // Counted for an emptied clipboard too: the monitor then finds nothing to record.
    ++self.changeCount_;
    self.current_ = self.takeAnnounced(proxy);
    if (self.onChange_) {
        self.onChange_();
    }
}

void DataControlPasteboard::onFinished(void* data, zwlr_data_control_device_v1*) {
    auto& self = *static_cast<DataControlPasteboard*>(data);
    self.current_.reset();
    self.announced_.clear();
    zwlr_data_control_device_v1_destroy(self.device_);
    self.device_ = nullptr;
}

// The mouse selection is never recorded; its offer is released at once.
void DataControlPasteboard::onPrimarySelection(void* data, zwlr_data_control_device_v1*,
                                               zwlr_data_control_offer_v1* proxy) {
    static_cast<DataControlPasteboard*>(data)->takeAnnounced(proxy);
}

void DataControlPasteboard::onSend(void* data, zwlr_data_control_source_v1*, const char* mimeType,
                                   std::int32_t fd) {
    auto& self = *static_cast<DataControlPasteboard*>(data);
    const auto found = self.sourceBytes_.find(std::string_view(mimeType));
    if (found == self.sourceBytes_.end()) {
        ::close(fd);
        return;
    }
    self.writers_.write(fd, found->second);
}

void DataControlPasteboard::onCancelled(void* data, zwlr_data_control_source_v1*) {
    static_cast<DataControlPasteboard*>(data)->dropSource();
}

std::unique_ptr<DataControlPasteboard::Offer> DataControlPasteboard::takeAnnounced(
    zwlr_data_control_offer_v1* proxy) {
    const auto found = std::find_if(announced_.begin(), announced_.end(),
                                    [proxy](const auto& offer) { return offer->proxy == proxy; });
    if (proxy == nullptr || found == announced_.end()) {
        return nullptr;
    }
    auto offer = std::move(*found);
    announced_.erase(found);
    return offer;
}

std::int64_t DataControlPasteboard::changeCount() const {
    countedOffer_ = current_ ? current_->serial : 0;
    return changeCount_;
}

DataControlPasteboard::Offer* DataControlPasteboard::countedOffer() const {
    if (!current_ || current_->serial != countedOffer_ || current_->abandoned ||
        !connection_.isConnected()) {
        return nullptr;
    }
    return current_.get();
}

bool DataControlPasteboard::isOwn(const Offer& offer) const {
    return source_ != nullptr && offer.offers(ownType_);
}

std::optional<std::string> DataControlPasteboard::pngData() const {
    return bytesOf(pngType);
}

std::optional<std::string> DataControlPasteboard::tiffData() const {
    return bytesOf(tiffType);
}

std::optional<std::string> DataControlPasteboard::string() const {
    const Offer* offer = countedOffer();
    if (offer == nullptr) {
        return std::nullopt;
    }
    if (isOwn(*offer)) {
        return sourceText_;
    }
    const auto type = std::find_if(readTextTypes.begin(), readTextTypes.end(),
                                   [offer](std::string_view type) { return offer->offers(type); });
    if (type == readTextTypes.end()) {
        return std::nullopt;
    }
    auto bytes = bytesOf(*type);
    if (!bytes) {
        return std::nullopt;
    }
    return UnicodeText::repairedUtf8(*bytes);
}

bool DataControlPasteboard::isSecret() const {
    const auto hint = bytesOf(secretHintType);
    return hint && marksSecret(*hint);
}

std::vector<std::string> DataControlPasteboard::mimeTypes() const {
    return current_ ? current_->types : std::vector<std::string>();
}

std::optional<std::string> DataControlPasteboard::bytesOf(std::string_view mimeType) const {
    Offer* offer = countedOffer();
    if (offer == nullptr || !offer->offers(mimeType) || isOwn(*offer)) {
        return std::nullopt;
    }
    if (const auto cached = offer->received.find(mimeType); cached != offer->received.end()) {
        return cached->second;
    }
    int pipe[2];
    if (::pipe2(pipe, O_CLOEXEC) != 0) {
        return std::nullopt;
    }
    const std::string type(mimeType);
    zwlr_data_control_offer_v1_receive(offer->proxy, type.c_str(), pipe[1]);
    ::close(pipe[1]);
    connection_.flush();
    auto bytes = PipeTransfer::readAll(pipe[0], limits_.deadlines, limits_.maximumBytes);
    offer->abandoned = !bytes;
    const std::uint64_t serial = offer->serial;
    // A source that died or was replaced while it wrote may have sent only part of the
    // bytes: what it sent is not taken as the content.
    connection_.roundtrip();
    if (!bytes || !current_ || current_->serial != serial) {
        return std::nullopt;
    }
    current_->received.emplace(type, *bytes);
    return bytes;
}

void DataControlPasteboard::clearAndSetString(const std::string& text) {
    setSource(text, {});
}

void DataControlPasteboard::clearAndSetImage(const ImageOffer& offer) {
    auto more = offer.images;
    more.push_back({"text/uri-list", std::make_shared<const std::string>(offer.uriList)});
    setSource(offer.path, more);
}

void DataControlPasteboard::setSource(const std::string& text,
                                      const std::vector<ImageOffer::Representation>& more) {
    if (!isAvailable()) {
        return;
    }
    dropSource();
    auto* manager = reinterpret_cast<wl_proxy*>(connection_.dataControl());
    source_ = reinterpret_cast<zwlr_data_control_source_v1*>(wl_proxy_marshal_flags(
        manager, ZWLR_DATA_CONTROL_MANAGER_V1_CREATE_DATA_SOURCE,
        connection_.dataControlInterfaces().source, wl_proxy_get_version(manager), 0));
    static const zwlr_data_control_source_v1_listener listener{&DataControlPasteboard::onSend,
                                                               &DataControlPasteboard::onCancelled};
    zwlr_data_control_source_v1_add_listener(source_, &listener, this);
    sourceText_ = text;
    sourceBytes_.clear();
    for (const auto& representation : more) {
        sourceBytes_.emplace(representation.mimeType, representation.bytes);
        zwlr_data_control_source_v1_offer(source_, representation.mimeType.c_str());
    }
    const auto shared = std::make_shared<const std::string>(text);
    for (const char* type : writtenTextTypes) {
        sourceBytes_.emplace(type, shared);
        zwlr_data_control_source_v1_offer(source_, type);
    }
    sourceBytes_.emplace(ownType_, std::make_shared<const std::string>());
    zwlr_data_control_source_v1_offer(source_, ownType_.c_str());
    zwlr_data_control_device_v1_set_selection(device_, source_);
    connection_.flush();
}

void DataControlPasteboard::dropSource() {
    if (source_ != nullptr) {
        zwlr_data_control_source_v1_destroy(source_);
        source_ = nullptr;
    }
    sourceBytes_.clear();
}

}  // namespace nimbrook
