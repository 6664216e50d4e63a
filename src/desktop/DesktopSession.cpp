#include "desktop/DesktopSession.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QSessionManager>
#include <QSettings>
#include <iostream>
#include <system_error>

#include <sys/stat.h>

#include "controller/ClipboardViewModel.h"
#include "controller/PasteFlow.h"
#include "desktop/DesktopPreferences.h"
#include "platform/NoPasteRoute.h"
#include "platform/PasteChords.h"
#include "platform/SplitPasteRoute.h"
#include "platform/portal/PortalPasteRoute.h"
#include "platform/qt/NoActiveApplication.h"
#include "platform/qt/NoPasteboard.h"
#include "platform/wayland/DataControlPasteboard.h"
#include "platform/wayland/ForeignToplevelApplication.h"
#include "platform/wayland/WaylandPasteRoute.h"
#include "platform/x11/X11ActiveApplication.h"
#include "platform/x11/X11GlobalShortcut.h"
#include "platform/x11/X11PasteRoute.h"
#include "platform/x11/X11Pasteboard.h"
#include "platform/x11/X11WindowNames.h"
#include "platform/xdg/XdgFolders.h"

namespace nimbrook {
namespace {

// The history holds passwords and private text: the folder is the user's alone.
std::filesystem::path createdPrivateFolder(std::filesystem::path folder) {
    std::error_code error;
    std::filesystem::create_directories(folder.parent_path(), error);
    ::mkdir(folder.c_str(), 0700);
    return folder;
}

DesktopEntryIndex installedEntries() {
    return DesktopEntryIndex(XdgFolders::applicationFolders(),
                             DesktopEntryIndex::messagesLocaleFromEnvironment());
}

std::unique_ptr<ActiveApplication> activeApplicationOf(QGuiApplication& application) {
    if (auto* x11 = application.nativeInterface<QNativeInterface::QX11Application>()) {
        if (xcb_connection_t* connection = x11->connection()) {
            return std::make_unique<X11ActiveApplication>(*connection, installedEntries());
        }
    }
    return std::make_unique<NoActiveApplication>();
}

constexpr std::string_view noPasteRoute = "这个桌面不让程序向其他窗口发送按键";

// Where the toolkit speaks X11 (an X11 session, or Xwayland under a compositor), XTEST.
std::unique_ptr<X11PasteRoute> x11RouteOf(QGuiApplication& application, Scheduler& scheduler) {
    if (auto* x11 = application.nativeInterface<QNativeInterface::QX11Application>()) {
        if (xcb_connection_t* connection = x11->connection()) {
            return std::make_unique<X11PasteRoute>(*connection, scheduler);
        }
    }
    return nullptr;
}

bool ownWindowFocused() {
    return QGuiApplication::focusWindow() != nullptr;
}

// A Wayland compositor tells the keys held only to the focused program.
bool modifiersHeldInOwnWindows() {
    return ownWindowFocused() &&
           (QGuiApplication::queryKeyboardModifiers() &
            (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) != 0;
}

// The grant the portal hands out works once: each start replaces it in the settings file.
PortalRemoteDesktop::TokenStore portalTokens() {
    const auto settings = [] {
        return std::make_unique<QSettings>(
            QString::fromStdString((XdgFolders::configFolder() / "nimbrook.conf").string()),
            QSettings::IniFormat);
    };
    const QString key = QStringLiteral("paste/portalRestoreToken");
    return {.load = [=] { return settings()->value(key).toString().toStdString(); },
            .store =
                [=](const std::string& token) {
                    settings()->setValue(key, QString::fromStdString(token));
                }};
}

// Read at every paste, so an edited override holds from the next paste on.
PasteFlow::ChordRule chordRule() {
    return [index = installedEntries()](std::string_view program) mutable {
        const PasteChords chords(DesktopPreferences::pasteChords(),
                                 [&index](std::string_view name) {
                                     return index.hasCategory(name, "TerminalEmulator");
                                 });
        return chords.chordFor(program);
    };
}

}  // namespace

DesktopSession::DesktopSession(QGuiApplication& application, DesktopRoute route,
                               const std::string& request)
    : dataFolder_(createdPrivateFolder(XdgFolders::dataFolder())), instance_(dataFolder_) {
    if (!instance_.acquire()) {
        handedOver_ = SingleInstance::send(dataFolder_, {request});
        return;
    }
    start(application, route);
}

DesktopSession::~DesktopSession() {
    if (!hasQuit_) {
        flushAtQuit();
    }
}

void DesktopSession::start(QGuiApplication& application, DesktopRoute route) {
    storage_ = std::make_unique<StorageService>(dataFolder_);
    journal_ = std::make_unique<HistoryJournal>(dataFolder_);
    connectClipboard(application, route);
    if (auto* x11 = application.nativeInterface<QNativeInterface::QX11Application>()) {
        if (xcb_connection_t* connection = x11->connection()) {
            windowNames_ = std::make_unique<X11WindowNames>(*connection);
            application.installEventFilter(windowNames_.get());
            if (qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
                shortcut_ = std::make_unique<X11GlobalShortcut>(*connection);
            }
        }
    }
    imageStore_ = std::make_unique<FileImageStore>(XdgFolders::imageFolder());
    workQueue_ = std::make_unique<ThreadWorkQueue>();
    viewModel_ = std::make_unique<ClipboardViewModel>(
        ClipboardViewModel::Services{.monitor = {.pasteboard = *pasteboard_,
                                                 .activeApplication = *activeApplication_,
                                                 .imageStore = *imageStore_,
                                                 .scheduler = captureScheduler_,
                                                 .clock = clock_,
                                                 .workQueue = *workQueue_},
                                     .storage = *storage_,
                                     .journal = *journal_,
                                     .imageTranscoder = &imageTranscoder_});

    QObject::connect(&quitSignals_, &QuitSignals::quitRequested, &application,
                     &QCoreApplication::quit);
    QObject::connect(&application, &QCoreApplication::aboutToQuit, this,
                     &DesktopSession::flushAtQuit);
    QObject::connect(&application, &QGuiApplication::commitDataRequest, this,
                     [this](QSessionManager&) { flush(); });
    connectPaste(application);
    commands_ = std::make_unique<RemoteCommands>(*viewModel_, clock_, pasteFlow_.get());
    // Last: a later start that finds the socket finds a program that already captures.
    instance_.listen([this](const std::vector<std::string>& words,
                            const SingleInstance::Reply& reply) { handleRequest(words, reply); });
}

void DesktopSession::connectClipboard(QGuiApplication& application, DesktopRoute route) {
    const auto noteChange = [this] { captureScheduler_.noteChange(); };
    if (route == DesktopRoute::wayland) {
        wayland_ = std::make_unique<WaylandClient>();
        auto pasteboard = std::make_unique<DataControlPasteboard>(
            wayland_->connection(), DataControlPasteboard::Limits{}, noteChange);
        if (pasteboard->isAvailable()) {
            std::cerr << "[Nimbrook] clipboard: Wayland data-control ("
                      << wayland_->connection().dataControlProtocol() << ")\n";
            pasteboard_ = std::move(pasteboard);
            activeApplication_ = std::make_unique<ForeignToplevelApplication>(
                wayland_->connection(),
                [index = installedEntries()](std::string_view appId) mutable {
                    return index.nameForWindowClass(appId);
                });
            return;
        }
        pasteboard.reset();
        wayland_.reset();
    } else if (route == DesktopRoute::x11) {
        auto pasteboard = std::make_unique<X11Pasteboard>(
            *QGuiApplication::clipboard(), X11SelectionConversion::Limits{}, noteChange);
        if (pasteboard->isAvailable()) {
            std::cerr << "[Nimbrook] clipboard: X11 (the CLIPBOARD selection of display "
                      << qgetenv("DISPLAY").toStdString() << ")\n";
            pasteboard_ = std::move(pasteboard);
            activeApplication_ = activeApplicationOf(application);
            return;
        }
    }
    capturesClipboard_ = false;
    std::cerr << "nimbrook: this desktop does not let programs read the clipboard (no Wayland "
                 "data-control and no X11 display); the history is shown, nothing new is "
                 "recorded\n";
    pasteboard_ = std::make_unique<NoPasteboard>();
    activeApplication_ = std::make_unique<NoActiveApplication>();
}

// On Wayland the compositor's own typing first; then, where it lets no program type (GNOME,
// KWin without the grant), the RemoteDesktop portal, with XTEST for the X11 programs where the
// program itself is one (GNOME); X11 alone types with XTEST.
std::string DesktopSession::choosePasteRoute(QGuiApplication& application) {
    if (wayland_) {
        auto route = WaylandPasteRoute::forCompositor(
            wayland_->connection(),
            dynamic_cast<ForeignToplevelApplication*>(activeApplication_.get()), scheduler_,
            {.focused = ownWindowFocused, .modifiersHeld = modifiersHeldInOwnWindows});
        if (route) {
            std::string description = route->description();
            pasteRoute_ = std::move(route);
            return description;
        }
    }
    if (!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        portal_ =
            std::make_unique<PortalRemoteDesktop>(QDBusConnection::sessionBus(), portalTokens());
        auto portalRoute = std::make_unique<PortalPasteRoute>(*portal_, ownWindowFocused,
                                                              modifiersHeldInOwnWindows);
        auto x11 = x11RouteOf(application, scheduler_);
        if (!x11) {
            pasteRoute_ = std::move(portalRoute);
            return "the RemoteDesktop portal";
        }
        const X11PasteRoute* xwayland = x11.get();
        pasteRoute_ =
            std::make_unique<SplitPasteRoute>(std::move(x11), std::move(portalRoute),
                                              [xwayland] { return xwayland->remembersWindow(); });
        return "X11 (XTEST) into X11 programs, the RemoteDesktop portal into the others";
    }
    if (auto x11 = x11RouteOf(application, scheduler_)) {
        pasteRoute_ = std::move(x11);
        return "X11 (XTEST)";
    }
    pasteRoute_ = std::make_unique<NoPasteRoute>(std::string(noPasteRoute));
    return {};
}

void DesktopSession::connectPaste(QGuiApplication& application) {
    const std::string description = choosePasteRoute(application);
    if (const auto reason = pasteRoute_->unavailableReason()) {
        std::cerr << "nimbrook: " << *reason << "；选择的记录只复制，不粘贴\n";
    } else {
        std::cerr << "[Nimbrook] paste: " << description << "\n";
    }
    pasteFlow_ = std::make_unique<PasteFlow>(PasteFlow::Services{.viewModel = *viewModel_,
                                                                 .route = *pasteRoute_,
                                                                 .scheduler = scheduler_,
                                                                 .chordFor = chordRule()});
}

void DesktopSession::handleRequest(const std::vector<std::string>& words,
                                   const SingleInstance::Reply& reply) {
    if (words.size() == 1 && words[0] == "activate") {
        emit activationRequested();
        reply({});
    } else if (words.size() == 1 && words[0] == "toggle") {
        emit toggleRequested();
        reply({});
    } else {
        commands_->run(words, reply);
    }
}

void DesktopSession::flush() {
    if (viewModel_) {
        viewModel_->flushPendingSave();
    }
}

void DesktopSession::flushAtQuit() {
    hasQuit_ = true;
    flush();
    if (viewModel_ && viewModel_->saveError()) {
        std::cerr << "[Nimbrook] quitting with the history not saved: " << *viewModel_->saveError()
                  << '\n';
    }
}

}  // namespace nimbrook
