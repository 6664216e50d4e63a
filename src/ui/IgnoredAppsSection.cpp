#include "ui/IgnoredAppsSection.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWidgetAction>
#include <vector>

#include "controller/ClipboardViewModel.h"
#include "platform/CharacterSet.h"
#include "platform/UnicodeText.h"
#include "ui/Theme.h"

namespace nimbrook {

namespace {

constexpr int rowHeight = 28;
constexpr int rowInset = 12;
constexpr int fieldWidth = 200;

QString toQString(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QWidget* rowOf(QWidget* leading, QWidget* trailing) {
    auto* row = new QWidget;
    row->setFixedHeight(rowHeight);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(rowInset, 0, rowInset, 0);
    layout->addWidget(leading, 1);
    if (trailing != nullptr) {
        layout->addWidget(trailing);
    }
    return row;
}

QLabel* captionLabel(const QString& objectName, const QString& text) {
    auto* label = new QLabel(text);
    label->setObjectName(objectName);
    label->setFont(Theme::textStyle(TextStyle::caption));
    label->setWordWrap(true);
    label->setContentsMargins(rowInset, 0, rowInset, rowInset / 2);
    return label;
}

}  // namespace

IgnoredAppsSection::IgnoredAppsSection(ClipboardViewModel& viewModel, QWidget* parent)
    : QWidget(parent), viewModel_(viewModel) {
    setObjectName(QStringLiteral("ignoredApps"));
    addButton_ = new QToolButton;
    addButton_->setObjectName(QStringLiteral("addIgnoredButton"));
    addButton_->setText(QStringLiteral("添加"));
    addButton_->setPopupMode(QToolButton::InstantPopup);
    // The menu opens on a click; an arrow drawn over the short text would hide it.
    addButton_->setStyleSheet(QStringLiteral("QToolButton::menu-indicator { image: none; }"));
    addMenu_ = new QMenu(addButton_);
    addMenu_->setObjectName(QStringLiteral("addIgnoredMenu"));
    addButton_->setMenu(addMenu_);
    connect(addMenu_, &QMenu::aboutToShow, this, &IgnoredAppsSection::fillAddMenu);

    emptyLabel_ = captionLabel(QStringLiteral("ignoredAppsEmpty"), QStringLiteral("尚未添加应用"));
    note_ = captionLabel(QStringLiteral("ignoredAppsNote"),
                         QStringLiteral("此桌面不提供来源应用，无法按应用忽略"));
    note_->setVisible(!viewModel_.knowsSourceApplications());

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(rowOf(new QLabel(QStringLiteral("不记录以下应用的复制内容")), addButton_));
    rows_ = new QVBoxLayout;
    rows_->setSpacing(0);
    column->addLayout(rows_);
    column->addWidget(emptyLabel_);
    column->addWidget(note_);
    refresh();
}

QList<QLabel*> IgnoredAppsSection::secondaryLabels() const {
    return {emptyLabel_};
}

void IgnoredAppsSection::refresh() {
    // A row may go from its own remove button's click: it is deleted once that has returned.
    while (QLayoutItem* item = rows_->takeAt(0)) {
        QWidget* row = item->widget();
        row->hide();
        row->deleteLater();
        delete item;
    }
    for (const std::string& name : viewModel_.ignoredApplications()) {
        rows_->addWidget(nameRow(name));
    }
    emptyLabel_->setVisible(viewModel_.ignoredApplications().empty());
}

QWidget* IgnoredAppsSection::nameRow(const std::string& name) {
    auto* remove = new QToolButton;
    remove->setObjectName(QStringLiteral("removeIgnoredButton"));
    remove->setText(QStringLiteral("移除"));
    remove->setAccessibleName(QStringLiteral("移除 ") + toQString(name));
    connect(remove, &QToolButton::clicked, this, [this, name] { this->remove(name); });
    auto* label = new QLabel(toQString(name));
    label->setObjectName(QStringLiteral("ignoredAppName"));
    label->setTextFormat(Qt::PlainText);
    return rowOf(label, remove);
}

// Rebuilt as it opens: the programs the history names now, without those listed already.
void IgnoredAppsSection::fillAddMenu() {
    addMenu_->clear();
    for (const std::string& source : viewModel_.sourceApplications()) {
        if (!viewModel_.isIgnored(source)) {
            QAction* action = addMenu_->addAction(toQString(source));
            connect(action, &QAction::triggered, this, [this, source] { add(source); });
        }
    }
    if (!addMenu_->isEmpty()) {
        addMenu_->addSeparator();
    }
    nameField_ = new QLineEdit;
    nameField_->setObjectName(QStringLiteral("ignoredNameField"));
    nameField_->setPlaceholderText(QStringLiteral("输入应用名称，按回车添加"));
    nameField_->setFixedWidth(fieldWidth);
    auto* fieldAction = new QWidgetAction(addMenu_);
    fieldAction->setDefaultWidget(nameField_);
    addMenu_->addAction(fieldAction);
    connect(nameField_, &QLineEdit::returnPressed, this, [this] {
        add(nameField_->text().toStdString());
        addMenu_->close();
    });
}

void IgnoredAppsSection::add(const std::string& name) {
    const std::string valid =
        UnicodeText::isValidUtf8(name) ? name : UnicodeText::repairedUtf8(name);
    const std::string trimmed = CharacterSets::trimmed(valid, CharacterSet::whitespaceAndNewlines);
    if (trimmed.empty() || viewModel_.isIgnored(trimmed)) {
        return;
    }
    std::vector<std::string> names = viewModel_.ignoredApplications();
    names.push_back(trimmed);
    viewModel_.setIgnoredApplications(names);
}

void IgnoredAppsSection::remove(const std::string& name) {
    std::vector<std::string> names = viewModel_.ignoredApplications();
    std::erase(names, name);
    viewModel_.setIgnoredApplications(names);
}

}  // namespace nimbrook
