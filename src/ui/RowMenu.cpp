#include "ui/RowMenu.h"

#include <string>
#include <vector>

#include "controller/ClipboardViewModel.h"

namespace nimbrook {

namespace {

QString toQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

RowMenu::RowMenu(ClipboardViewModel& viewModel, const ClipboardItem& item, QWidget* parent)
    : QMenu(parent) {
    setObjectName(QStringLiteral("conversionMenu"));
    setAttribute(Qt::WA_DeleteOnClose);
    for (const SmartConverter::Conversion conversion :
         SmartConverter::offeredFor(item.contentType())) {
        QAction* action = addAction(toQString(SmartConverter::title(conversion)));
        connect(action, &QAction::triggered, this,
                [&viewModel, item, conversion] { viewModel.copyConverted(item, conversion); });
    }
    if (offersIgnoring(viewModel, item)) {
        addIgnoreAction(viewModel, *item.sourceApp());
    }
}

bool RowMenu::offersAnything(const ClipboardViewModel& viewModel, const ClipboardItem& item) {
    return !SmartConverter::offeredFor(item.contentType()).empty() ||
           offersIgnoring(viewModel, item);
}

bool RowMenu::offersIgnoring(const ClipboardViewModel& viewModel, const ClipboardItem& item) {
    const auto& source = item.sourceApp();
    return source && !source->empty() && !viewModel.isIgnored(*source);
}

void RowMenu::addIgnoreAction(ClipboardViewModel& viewModel, const std::string& source) {
    if (!isEmpty()) {
        addSeparator();
    }
    QAction* ignore = addAction(QStringLiteral("不再记录此应用"));
    ignore->setObjectName(QStringLiteral("ignoreApplicationAction"));
    ignore->setToolTip(toQString(source));
    connect(ignore, &QAction::triggered, this, [&viewModel, source] {
        std::vector<std::string> names = viewModel.ignoredApplications();
        names.push_back(source);
        viewModel.setIgnoredApplications(names);
    });
}

}  // namespace nimbrook
