// Owns the CLIPBOARD selection with several MIME types at once (xclip offers only one),
// like a password manager or an image editor does, and prints each type another program
// fetches, so a test knows when the clipboard was read.
//
//   nimbrook-e2e-owner <window class or -> <mime type>=<file> ...
//
// With a class it first shows a window of that WM_CLASS class (on Wayland that app_id) and
// waits until it is the active one; with no types it only holds the focus. It ends when
// another program takes the clipboard. NIMBROOK_OWNER_ANSWER_DELAY_MS holds each answer back
// for that long after logging it.

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QMimeData>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstring>

namespace {

class LoggingMimeData final : public QMimeData {
protected:
    QVariant retrieveData(const QString& mimeType, QMetaType type) const override {
        std::printf("served %s\n", qPrintable(mimeType));
        std::fflush(stdout);
        // A slow owner: the reader has asked, and the answer is still on its way.
        QThread::msleep(qEnvironmentVariableIntValue("NIMBROOK_OWNER_ANSWER_DELAY_MS"));
        return QMimeData::retrieveData(mimeType, type);
    }
};

}  // namespace

int main(int argc, char* argv[]) {
    const bool inWindow = argc > 1 && std::strcmp(argv[1], "-") != 0;
    if (inWindow) {
        // WM_CLASS's class is the application name.
        QCoreApplication::setApplicationName(QString::fromLocal8Bit(argv[1]));
        QGuiApplication::setDesktopFileName(QString::fromLocal8Bit(argv[1]));
    }
    QApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    if (arguments.isEmpty()) {
        return 2;
    }
    auto* mimeData = new LoggingMimeData;
    for (const QString& offer : arguments.mid(1)) {
        const auto equals = offer.indexOf(u'=');
        QFile file(offer.mid(equals + 1));
        if (equals <= 0 || !file.open(QIODevice::ReadOnly)) {
            return 2;
        }
        mimeData->setData(offer.left(equals), file.readAll());
    }

    const auto own = [mimeData] {
        if (mimeData->formats().isEmpty()) {
            return;
        }
        QGuiApplication::clipboard()->setMimeData(mimeData, QClipboard::Clipboard);
        QObject::connect(QGuiApplication::clipboard(), &QClipboard::changed, [](auto mode) {
            if (mode == QClipboard::Clipboard && !QGuiApplication::clipboard()->ownsClipboard()) {
                QCoreApplication::quit();
            }
        });
    };
    QWidget window;
    if (inWindow) {
        window.resize(200, 100);
        window.show();
        auto* poll = new QTimer(&app);
        QObject::connect(poll, &QTimer::timeout, [poll, &window, own] {
            if (window.isActiveWindow()) {
                poll->stop();
                own();
            }
        });
        poll->start(20);
    } else {
        QTimer::singleShot(0, own);
    }
    return QApplication::exec();
}
