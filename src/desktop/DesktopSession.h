#pragma once

#include <QObject>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "desktop/DesktopRoute.h"
#include "desktop/QuitSignals.h"
#include "desktop/WaylandClient.h"
#include "model/HistoryJournal.h"
#include "model/StorageService.h"
#include "platform/FileImageStore.h"
#include "platform/Pasteboard.h"
#include "platform/SystemClock.h"
#include "platform/qt/ChangeGatedScheduler.h"
#include "platform/qt/QtImageTranscoder.h"
#include "platform/qt/QtScheduler.h"
#include "platform/qt/ThreadWorkQueue.h"
#include "remote/RemoteCommands.h"
#include "remote/qt/SingleInstance.h"

class QGuiApplication;

namespace nimbrook {

class ActiveApplication;
class ClipboardViewModel;
class GlobalShortcut;
class PasteFlow;
class PasteRoute;
class PortalRemoteDesktop;
class X11WindowNames;

// The running program without its windows: the real desktop services, the history file,
// the one controller (capture starts when the session is made), the single-instance
// guard, and an orderly end that writes a pending save (and waits for one in flight) on
// quit, SIGTERM, SIGINT, SIGHUP or the end of the desktop session.
class DesktopSession final : public QObject {
    Q_OBJECT

public:
    // When another instance runs, hands it `request` ("activate" opens its panel, "toggle"
    // shows or hides it) and makes nothing else; isPrimary() is then false and the process
    // should end with status 0 when handedOver(). `route` is the one the toolkit's platform was
    // chosen for.
    DesktopSession(QGuiApplication& application, DesktopRoute route,
                   const std::string& request = "activate");
    ~DesktopSession() override;
    DesktopSession(const DesktopSession&) = delete;
    DesktopSession& operator=(const DesktopSession&) = delete;

    bool isPrimary() const { return viewModel_ != nullptr; }
    // Whether the running instance took the request, when this one is not primary.
    bool handedOver() const { return handedOver_; }
    // False when this desktop lets the program read no clipboard (said once on stderr).
    bool capturesClipboard() const { return capturesClipboard_; }
    // Only while isPrimary().
    ClipboardViewModel& viewModel() { return *viewModel_; }
    // Only while isPrimary(): the pastes of the panel and of the command line.
    PasteFlow& pasteFlow() { return *pasteFlow_; }
    // The key grab of a plain X11 session, else null: in a Wayland session the X server sees
    // keys only while one of its own windows has the focus.
    GlobalShortcut* globalShortcut() { return shortcut_.get(); }

signals:
    // Another start of the program asked to see the history panel.
    void activationRequested();
    // The command line asked to show the panel when it is hidden and to hide it when shown.
    void toggleRequested();

private:
    void start(QGuiApplication& application, DesktopRoute route);
    void connectClipboard(QGuiApplication& application, DesktopRoute route);
    void connectPaste(QGuiApplication& application);
    // Sets the paste route; returns what it types through, for the log.
    std::string choosePasteRoute(QGuiApplication& application);
    void handleRequest(const std::vector<std::string>& words, const SingleInstance::Reply& reply);
    void flush();
    // The last flush, which says on stderr when the history could not be saved.
    void flushAtQuit();

    std::filesystem::path dataFolder_;
    SingleInstance instance_;
    QuitSignals quitSignals_;
    std::unique_ptr<StorageService> storage_;
    std::unique_ptr<HistoryJournal> journal_;
    // The capture's ticks, woken by the pasteboard (from the X11 reader's thread too), so an
    // idle program is not woken at all; before the pasteboard, so it outlives its calls.
    ChangeGatedScheduler captureScheduler_;
    // Before the services that speak through it, so it is closed after them.
    std::unique_ptr<WaylandClient> wayland_;
    std::unique_ptr<Pasteboard> pasteboard_;
    std::unique_ptr<ActiveApplication> activeApplication_;
    std::unique_ptr<X11WindowNames> windowNames_;
    std::unique_ptr<FileImageStore> imageStore_;
    QtImageTranscoder imageTranscoder_;
    QtScheduler scheduler_;
    SystemClock clock_;
    // Its jobs use the storage, the journal and the controller's snapshots: made after the
    // first two, gone after the last.
    std::unique_ptr<ThreadWorkQueue> workQueue_;
    std::unique_ptr<ClipboardViewModel> viewModel_;
    std::unique_ptr<PortalRemoteDesktop> portal_;
    std::unique_ptr<PasteRoute> pasteRoute_;
    std::unique_ptr<PasteFlow> pasteFlow_;
    std::unique_ptr<RemoteCommands> commands_;
    std::unique_ptr<GlobalShortcut> shortcut_;
    bool capturesClipboard_ = true;
    bool handedOver_ = false;
    bool hasQuit_ = false;
};

}  // namespace nimbrook
