#pragma once

#include <QString>
#include <string_view>

#include "ui/Theme.h"

namespace nimbrook {

// The look of a source-application tag: a symbol name (see SymbolIcons) and a named colour.
struct AppMeta final {
    QString icon;
    NamedColor color = NamedColor::secondaryLabel;

    bool operator==(const AppMeta&) const = default;
};

// The tag look for an application name as recorded (UTF-8, any case). The name is
// lower-cased with the full Unicode mapping of the root locale and compared whole, under
// canonical equivalence, with the known names; no trimming, no partial match. Any other
// name, the empty one and invalid UTF-8 included, gets "app.fill" in the secondary label
// colour.
AppMeta appMeta(std::string_view name);

}  // namespace nimbrook
