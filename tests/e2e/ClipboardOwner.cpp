// Owns the CLIPBOARD selection with several MIME types at once (xclip offers only one),
// like a password manager or an image editor does, and logs each type another program
// fetches, so a test knows when the clipboard was read.
//
//   nimbrook-e2e-owner <log file> <window class or -> <mime type>=<file> ...
//
// With a class it first shows a window of that WM_CLASS class (on Wayland that app_id) and
// waits until it is the active one; with no types it only holds the focus. It ends when
// another program takes the clipboard.

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QMimeData>
#include <QTimer>
#include <QWidget>

namespace {

class LoggingMimeData final : public QMimeData {
public:
    explicit LoggingMimeData(QString logPath) : logPath_(std::move(logPath)) {}

    void log(const QByteArray& line) const {
        QFile file(logPath_);
        if (file.open(QIODevice::Append)) {
            file.write(line + '\n');
        }
    }

protected:
    QVariant retrieveData(const QString& mimeType, QMetaType type) const override {
        log("served " + mimeType.toUtf8());
        return QMimeData::retrieveData(mimeType, type);
    }

private:
    QString logPath_;
};

}  // namespace

int main(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    const bool inWindow = arguments.size() >= 2 && arguments[1] != QStringLiteral("-");
    if (inWindow) {
        // WM_CLASS's class is the application name.
        QCoreApplication::setApplicationName(arguments[1]);
        QGuiApplication::setDesktopFileName(arguments[1]);
    }
    QApplication app(argc, argv);
    if (arguments.size() < 2) {
        return 2;
    }
    auto* mimeData = new LoggingMimeData(arguments[0]);
    for (const QString& offer : arguments.mid(2)) {
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
        mimeData->log("owned");
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
