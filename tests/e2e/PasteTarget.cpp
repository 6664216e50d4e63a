// A window with one text field that has the keyboard focus, standing in for the program a
// user pastes into. Whenever the field changes it writes the whole text to the file (by
// renaming, so a reader never sees half of it), and it prints "active" each time its window
// gets the focus:
//
//   nimbrook-e2e-paste-target <window class or app id> <file>

#include <QApplication>
#include <QPlainTextEdit>
#include <QSaveFile>
#include <QWindow>
#include <cstdio>

int main(int argc, char* argv[]) {
    if (argc != 3) {
        return 2;
    }
    QCoreApplication::setApplicationName(QString::fromLocal8Bit(argv[1]));
    QGuiApplication::setDesktopFileName(QString::fromLocal8Bit(argv[1]));
    QApplication app(argc, argv);
    const QString path = QString::fromLocal8Bit(argv[2]);
    QPlainTextEdit field;
    QObject::connect(&field, &QPlainTextEdit::textChanged, [&] {
        QSaveFile file(path);
        if (file.open(QIODevice::WriteOnly)) {
            file.write(field.toPlainText().toUtf8());
            file.commit();
        }
    });
    QObject::connect(&app, &QGuiApplication::focusWindowChanged, [](QWindow* window) {
        if (window != nullptr) {
            std::puts("active");
            std::fflush(stdout);
        }
    });
    field.setWindowTitle(QCoreApplication::applicationName());
    field.show();
    field.setFocus();
    return QApplication::exec();
}
