#pragma once

#include <QMenu>

namespace nimbrook {

class ClipboardItem;
class ClipboardViewModel;

// The menu of a history row: the conversions its type offers, then, for an entry whose
// source application is not ignored yet, "不再记录此应用". It deletes itself once closed.
class RowMenu final : public QMenu {
    Q_OBJECT

public:
    RowMenu(ClipboardViewModel& viewModel, const ClipboardItem& item, QWidget* parent);

    // Whether the menu of `item` would hold anything.
    static bool offersAnything(const ClipboardViewModel& viewModel, const ClipboardItem& item);

private:
    static bool offersIgnoring(const ClipboardViewModel& viewModel, const ClipboardItem& item);
    void addIgnoreAction(ClipboardViewModel& viewModel, const std::string& source);
};

}  // namespace nimbrook
