#include "platform/qt/DesktopSession.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QSessionManager>
#include <charconv>
#include <system_error>

#include <sys/stat.h>

#include "controller/ClipboardViewModel.h"
#include "platform/qt/NoActiveApplication.h"
#include "platform/qt/X11ActiveApplication.h"
#include "platform/qt/XdgFolders.h"

namespace nimbrook {
namespace {

// The history holds passwords and private text: the folder is the user's alone.
std::filesystem::path createdPrivateFolder(std::filesystem::path folder) {
    std::error_code error;
    std::filesystem::create_directories(folder.parent_path(), error);
    ::mkdir(folder.c_str(), 0700);
    return folder;
}

std::unique_ptr<ActiveApplication> activeApplicationOf(QGuiApplication& application) {
    if (auto* x11 = application.nativeInterface<QNativeInterface::QX11Application>()) {
        if (xcb_connection_t* connection = x11->connection()) {
            return std::make_unique<X11ActiveApplication>(
                *connection, DesktopEntryIndex(XdgFolders::applicationFolders(),
                                               DesktopEntryIndex::messagesLocaleFromEnvironment()));
        }
    }
    return std::make_unique<NoActiveApplication>();
}

std::optional<std::size_t> copyRequestIndex(const QByteArray& request) {
    static const QByteArray prefix = "copy ";
    if (!request.startsWith(prefix)) {
        return std::nullopt;
    }
    const auto digits = request.sliced(prefix.size());
    std::size_t index = 0;
    const auto [end, error] = std::from_chars(digits.begin(), digits.end(), index);
    if (error != std::errc() || end != digits.end() || digits.isEmpty()) {
        return std::nullopt;
    }
    return index;
}

}  // namespace

DesktopSession::DesktopSession(QGuiApplication& application)
    : dataFolder_(createdPrivateFolder(XdgFolders::dataFolder())), instance_(dataFolder_) {
    if (!instance_.acquire()) {
        SingleInstance::send(dataFolder_, "activate");
        return;
    }
    start(application);
}

DesktopSession::~DesktopSession() {
    flush();
}

void DesktopSession::start(QGuiApplication& application) {
    storage_ = std::make_unique<StorageService>(dataFolder_);
    pasteboard_ = std::make_unique<QtPasteboard>(*QGuiApplication::clipboard());
    activeApplication_ = activeApplicationOf(application);
    imageStore_ = std::make_unique<FileImageStore>(XdgFolders::imageFolder());
    viewModel_ = std::make_unique<ClipboardViewModel>(
        ClipboardViewModel::Services{.monitor = {.pasteboard = *pasteboard_,
                                                 .activeApplication = *activeApplication_,
                                                 .imageStore = *imageStore_,
                                                 .scheduler = scheduler_,
                                                 .clock = clock_},
                                     .storage = *storage_});

    QObject::connect(&quitSignals_, &QuitSignals::quitRequested, &application,
                     &QCoreApplication::quit);
    QObject::connect(&application, &QCoreApplication::aboutToQuit, this, &DesktopSession::flush);
    QObject::connect(&application, &QGuiApplication::commitDataRequest, this,
                     [this](QSessionManager&) { flush(); });
    QObject::connect(&instance_, &SingleInstance::requestReceived, this,
                     &DesktopSession::handleRequest);
    // Last: a later start that finds the socket finds a program that already captures.
    instance_.listen();
}

void DesktopSession::handleRequest(const QByteArray& request) {
    if (request == "activate") {
        emit activationRequested();
    } else if (const auto index = copyRequestIndex(request)) {
        if (*index < viewModel_->items().size()) {
            viewModel_->copyToPasteboard(viewModel_->items()[*index]);
        }
    }
}

void DesktopSession::flush() {
    if (viewModel_) {
        viewModel_->flushPendingSave();
    }
}

}  // namespace nimbrook
