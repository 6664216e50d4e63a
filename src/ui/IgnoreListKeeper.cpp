#include "ui/IgnoreListKeeper.h"

#include <string>
#include <vector>

#include "controller/ClipboardViewModel.h"
#include "ui/Preferences.h"

namespace nimbrook {

IgnoreListKeeper::IgnoreListKeeper(ClipboardViewModel& viewModel, Preferences& preferences)
    : viewModel_(viewModel), preferences_(preferences) {
    std::vector<std::string> names;
    for (const QString& name : preferences_.ignoredApplications()) {
        names.push_back(name.toStdString());
    }
    viewModel_.setIgnoredApplications(names);
    viewModel_.addObserver(*this);
}

IgnoreListKeeper::~IgnoreListKeeper() {
    viewModel_.removeObserver(*this);
}

void IgnoreListKeeper::ignoredApplicationsChanged() {
    QStringList names;
    for (const std::string& name : viewModel_.ignoredApplications()) {
        names << QString::fromStdString(name);
    }
    preferences_.setIgnoredApplications(names);
}

}  // namespace nimbrook
