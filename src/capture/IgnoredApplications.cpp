#include "capture/IgnoredApplications.h"

#include <algorithm>
#include <utility>

#include "platform/CharacterSet.h"
#include "platform/UnicodeText.h"

namespace nimbrook {

namespace {

// Blanks at the ends are no part of a name: one typed with a trailing space still matches.
std::string keyOf(std::string_view name) {
    const std::string valid =
        UnicodeText::isValidUtf8(name) ? std::string(name) : UnicodeText::repairedUtf8(name);
    const std::string trimmed = CharacterSets::trimmed(valid, CharacterSet::whitespaceAndNewlines);
    return UnicodeText::lowercasedNfc(UnicodeText::nfc(trimmed));
}

}  // namespace

IgnoredApplications::IgnoredApplications(const std::vector<std::string>& names) {
    for (const std::string& name : names) {
        if (std::string key = keyOf(name); !key.empty()) {
            keys_.push_back(std::move(key));
        }
    }
}

bool IgnoredApplications::contains(const std::optional<std::string>& sourceApp) const {
    if (!sourceApp || keys_.empty()) {
        return false;
    }
    return std::ranges::find(keys_, keyOf(*sourceApp)) != keys_.end();
}

}  // namespace nimbrook
