// Owns the CLIPBOARD selection with several MIME types at once (xclip offers only one),
// like a password manager or an image editor does, and logs each type another program
// fetches, so a test knows when the clipboard was read.
//
//   nimbrook-e2e-owner <log file> [--window <class>] <mime type>=<file> ...
//
// With --window it first shows a window of that WM_CLASS class and waits until it is the
// active one. It ends when another program takes the clipboard.

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QMimeData>
#include <QTimer>
#include <QWidget>
#include <memory>

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
    if (arguments.size() >= 3 && arguments[1] == QStringLiteral("--window")) {
        // WM_CLASS's class is the application name.
        QCoreApplication::setApplicationName(arguments[2]);
    }
    QApplication app(argc, argv);
    if (arguments.isEmpty()) {
        return 2;
    }
    auto* mimeData = new LoggingMimeData(arguments.takeFirst());
    std::unique_ptr<QWidget> window;
    if (arguments.size() >= 2 && arguments[0] == QStringLiteral("--window")) {
        window = std::make_unique<QWidget>();
        window->setWindowTitle(arguments[1]);
        window->resize(200, 100);
        arguments.remove(0, 2);
    }
    for (const QString& offer : arguments) {
        const auto equals = offer.indexOf(u'=');
        QFile file(offer.mid(equals + 1));
        if (equals <= 0 || !file.open(QIODevice::ReadOnly)) {
            return 2;
        }
        mimeData->setData(offer.left(equals), file.readAll());
    }

    const auto own = [mimeData] {
        QGuiApplication::clipboard()->setMimeData(mimeData, QClipboard::Clipboard);
        mimeData->log("owned");
        QObject::connect(QGuiApplication::clipboard(), &QClipboard::changed, [](auto mode) {
            if (mode == QClipboard::Clipboard && !QGuiApplication::clipboard()->ownsClipboard()) {
                QCoreApplication::quit();
            }
        });
    };
    if (window) {
        window->show();
        auto* poll = new QTimer(&app);
        QObject::connect(poll, &QTimer::timeout, [poll, &window, own] {
            if (window->isActiveWindow()) {
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
