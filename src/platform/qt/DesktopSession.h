#pragma once

#include <QObject>
#include <filesystem>
#include <memory>

#include "model/StorageService.h"
#include "platform/FileImageStore.h"
#include "platform/SystemClock.h"
#include "platform/qt/QtPasteboard.h"
#include "platform/qt/QtScheduler.h"
#include "platform/qt/QuitSignals.h"
#include "platform/qt/SingleInstance.h"

class QGuiApplication;

namespace nimbrook {

class ActiveApplication;
class ClipboardViewModel;

// The running program without its windows: the real desktop services, the history file,
// the one controller (capture starts when the session is made), the single-instance
// guard, and an orderly end that writes a pending save on quit, SIGTERM, SIGINT, SIGHUP
// or the end of the desktop session.
class DesktopSession final : public QObject {
    Q_OBJECT

public:
    // When another instance runs, asks it to open its panel and makes nothing else;
    // isPrimary() is then false and the process should end with status 0.
    explicit DesktopSession(QGuiApplication& application);
    ~DesktopSession() override;
    DesktopSession(const DesktopSession&) = delete;
    DesktopSession& operator=(const DesktopSession&) = delete;

    bool isPrimary() const { return viewModel_ != nullptr; }
    // Only while isPrimary().
    ClipboardViewModel& viewModel() { return *viewModel_; }

signals:
    // Another start of the program asked to see the history panel.
    void activationRequested();

private:
    void start(QGuiApplication& application);
    void handleRequest(const QByteArray& request);
    void flush();

    std::filesystem::path dataFolder_;
    SingleInstance instance_;
    QuitSignals quitSignals_;
    std::unique_ptr<StorageService> storage_;
    std::unique_ptr<QtPasteboard> pasteboard_;
    std::unique_ptr<ActiveApplication> activeApplication_;
    std::unique_ptr<FileImageStore> imageStore_;
    QtScheduler scheduler_;
    SystemClock clock_;
    std::unique_ptr<ClipboardViewModel> viewModel_;
};

}  // namespace nimbrook
