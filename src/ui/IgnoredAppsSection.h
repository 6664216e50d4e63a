#pragma once

#include <QWidget>
#include <string>

class QLabel;
class QLineEdit;
class QMenu;
class QToolButton;
class QVBoxLayout;

namespace nimbrook {

class ClipboardViewModel;

// The settings rows of the programs whose copies are not recorded: the heading
// "不记录以下应用的复制内容" with "添加" (a menu of the programs the history names as sources and
// a field for any name), one row per name with its remove button, and, where the desktop
// never names the source of a copy, the note that the list cannot work there. It shows the
// controller's list; call refresh() when that changes.
class IgnoredAppsSection final : public QWidget {
    Q_OBJECT

public:
    explicit IgnoredAppsSection(ClipboardViewModel& viewModel, QWidget* parent = nullptr);

    void refresh();
    // The labels drawn in the secondary colour, for the window's theme.
    QList<QLabel*> secondaryLabels() const;
    QLabel* note() const { return note_; }

private:
    void fillAddMenu();
    void add(const std::string& name);
    void remove(const std::string& name);
    QWidget* nameRow(const std::string& name);

    ClipboardViewModel& viewModel_;
    QToolButton* addButton_ = nullptr;
    QMenu* addMenu_ = nullptr;
    QLineEdit* nameField_ = nullptr;
    QVBoxLayout* rows_ = nullptr;
    QLabel* emptyLabel_ = nullptr;
    QLabel* note_ = nullptr;
};

}  // namespace nimbrook
