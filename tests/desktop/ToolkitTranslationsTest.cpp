#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <memory>

#include "desktop/ToolkitTranslations.h"

namespace nimbrook {

class ToolkitTranslationsTest final : public QObject {
    Q_OBJECT

private slots:
    // The search field's own context menu, which the panel leaves to the toolkit.
    void textFieldMenuIsChinese() {
        QVERIFY(ToolkitTranslations::install(*QCoreApplication::instance()));
        QLineEdit field;
        const std::unique_ptr<QMenu> menu(field.createStandardContextMenu());
        QStringList texts;
        for (const QAction* action : menu->actions()) {
            if (!action->isSeparator()) {
                texts.append(action->text().section(u'\t', 0, 0));
            }
        }
        QVERIFY2(texts.join(u'|').contains(u"复制"), qPrintable(texts.join(u'|')));
        for (const QString& text : texts) {
            QVERIFY2(
                !text.contains(QStringLiteral("Copy")) && !text.contains(QStringLiteral("Undo")),
                qPrintable(text));
        }
    }
};

}  // namespace nimbrook

QTEST_MAIN(nimbrook::ToolkitTranslationsTest)
#include "ToolkitTranslationsTest.moc"
