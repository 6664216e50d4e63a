// A window with a text field that has the focus, as the program a user pastes into; it
// writes the field's whole text to a file each time it changes (by a rename, so a reader
// never sees half of it).
//
//   nimbrook-e2e-text_target <window class and title> <file>

#include <QApplication>
#include <QFile>
#include <QPlainTextEdit>
#include <QSaveFile>

int main(int argc, char* argv[]) {
    if (argc != 3) {
        return 2;
    }
    // WM_CLASS's class is the application name.
    QCoreApplication::setApplicationName(QString::fromLocal8Bit(argv[1]));
    QApplication app(argc, argv);
    const QString file = QString::fromLocal8Bit(argv[2]);
    QPlainTextEdit field;
    field.setWindowTitle(QString::fromLocal8Bit(argv[1]));
    QObject::connect(&field, &QPlainTextEdit::textChanged, [&field, &file] {
        QSaveFile save(file);
        if (save.open(QIODevice::WriteOnly)) {
            save.write(field.toPlainText().toUtf8());
            save.commit();
        }
    });
    field.resize(400, 300);
    field.show();
    field.activateWindow();
    return QApplication::exec();
}
