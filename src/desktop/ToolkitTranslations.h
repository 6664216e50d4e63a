#pragma once

class QCoreApplication;

namespace nimbrook {

// The toolkit draws texts of its own (a text field's context menu, standard buttons): in
// Chinese, as everything else the program shows.
class ToolkitTranslations final {
public:
    // False when the toolkit's Chinese translations are not installed; its texts then stay
    // English, and nothing else changes.
    static bool install(QCoreApplication& application);
};

}  // namespace nimbrook
