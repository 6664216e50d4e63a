#include "platform/xdg/DesktopEntryIndex.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <system_error>

#include "platform/AsciiText.h"
#include "platform/UnicodeText.h"

namespace nimbrook {
namespace {

// Desktop entries are a few kilobytes; anything far larger is not one and is skipped.
constexpr std::uintmax_t maximumEntrySize = 256 * 1024;
// Deep enough for vendor subfolders ("kde4/"), shallow enough to stay quick.
constexpr int maximumDepth = 3;
// A line may end in a carriage return where the file was written on another system.
constexpr std::string_view entrySpaces = " \t\r";

struct DesktopEntry {
    std::string name;
    std::string startupWmClass;
    std::vector<std::string> categories;
    bool isApplication = false;
    bool hidden = false;
};

// The escapes of a desktop entry string value.
std::string unescaped(std::string_view value) {
    std::string text;
    text.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            text += value[i];
            continue;
        }
        switch (value[++i]) {
            case 's':
                text += ' ';
                break;
            case 'n':
                text += '\n';
                break;
            case 't':
                text += '\t';
                break;
            case 'r':
                text += '\r';
                break;
            case '\\':
                text += '\\';
                break;
            default:
                text += '\\';
                text += value[i];
                break;
        }
    }
    return text;
}

// The items of a ";"-separated list value, empty items skipped.
std::vector<std::string> listOf(std::string_view value) {
    std::vector<std::string> items;
    std::size_t start = 0;
    while (start < value.size()) {
        const auto end = std::min(value.find(';', start), value.size());
        if (end > start) {
            items.emplace_back(value.substr(start, end - start));
        }
        start = end + 1;
    }
    return items;
}

// "Name[lang_COUNTRY@MODIFIER]", "Name[lang_COUNTRY]", "Name[lang@MODIFIER]", "Name[lang]",
// "Name": the keys to try, best match first, for a locale like "zh_CN.UTF-8@mod".
std::vector<std::string> nameKeysFor(std::string_view locale) {
    std::string_view modifier;
    if (const auto at = locale.find('@'); at != std::string_view::npos) {
        modifier = locale.substr(at + 1);
        locale = locale.substr(0, at);
    }
    locale = locale.substr(0, locale.find('.'));
    const auto underscore = locale.find('_');
    const std::string language(locale.substr(0, underscore));
    const std::string country =
        underscore == std::string_view::npos ? "" : std::string(locale.substr(underscore + 1));
    std::vector<std::string> keys;
    const auto add = [&keys](const std::string& tag) { keys.push_back("Name[" + tag + "]"); };
    if (!language.empty() && language != "C" && language != "POSIX") {
        if (!country.empty() && !modifier.empty()) {
            add(language + "_" + country + "@" + std::string(modifier));
        }
        if (!country.empty()) {
            add(language + "_" + country);
        }
        if (!modifier.empty()) {
            add(language + "@" + std::string(modifier));
        }
        add(language);
    }
    keys.emplace_back("Name");
    return keys;
}

std::optional<DesktopEntry> readEntry(const std::filesystem::path& file,
                                      const std::vector<std::string>& nameKeys) {
    std::error_code error;
    const auto size = std::filesystem::file_size(file, error);
    if (error || size > maximumEntrySize) {
        return std::nullopt;
    }
    std::ifstream stream(file, std::ios::binary);
    if (!stream) {
        return std::nullopt;
    }
    DesktopEntry entry;
    std::size_t bestNameRank = nameKeys.size();
    bool inMainGroup = false;
    std::string line;
    while (std::getline(stream, line)) {
        const auto text = trimmed(line, entrySpaces);
        if (text.empty() || text.front() == '#') {
            continue;
        }
        if (text.front() == '[') {
            if (inMainGroup) {
                break;
            }
            inMainGroup = text == "[Desktop Entry]";
            continue;
        }
        const auto equals = text.find('=');
        if (!inMainGroup || equals == std::string_view::npos) {
            continue;
        }
        const auto key = trimmed(text.substr(0, equals), entrySpaces);
        const auto value = trimmed(text.substr(equals + 1), entrySpaces);
        if (key == "Type") {
            entry.isApplication = value == "Application";
        } else if (key == "Hidden") {
            entry.hidden = value == "true";
        } else if (key == "Categories") {
            entry.categories = listOf(value);
        } else if (key == "StartupWMClass") {
            entry.startupWmClass = unescaped(value);
        } else if (key.starts_with("Name")) {
            const auto rank = std::find(nameKeys.begin(), nameKeys.end(), key) - nameKeys.begin();
            if (static_cast<std::size_t>(rank) < bestNameRank) {
                bestNameRank = rank;
                entry.name = UnicodeText::repairedUtf8(unescaped(value));
            }
        }
    }
    return entry;
}

// The desktop file id: the path below the applications folder with "/" as "-".
std::string desktopFileId(const std::filesystem::path& folder, const std::filesystem::path& file) {
    auto id = file.lexically_relative(folder).replace_extension().generic_string();
    std::replace(id.begin(), id.end(), '/', '-');
    return id;
}

template <typename Map, typename Value>
void addFirst(Map& map, std::string key, const Value& value) {
    if (!key.empty()) {
        map.try_emplace(std::move(key), value);
    }
}

}  // namespace

DesktopEntryIndex::DesktopEntryIndex(std::vector<std::filesystem::path> folders,
                                     std::string messagesLocale)
    : folders_(std::move(folders)), nameKeys_(nameKeysFor(messagesLocale)) {}

std::optional<std::string> DesktopEntryIndex::nameForWindowClass(std::string_view windowClass) {
    const Application* application = find(windowClass);
    return application == nullptr ? std::nullopt : std::optional(application->name);
}

bool DesktopEntryIndex::hasCategory(std::string_view windowClass, std::string_view category) {
    const Application* application = find(windowClass);
    return application != nullptr &&
           std::ranges::find(application->categories, category) != application->categories.end();
}

const DesktopEntryIndex::Application* DesktopEntryIndex::find(std::string_view windowClass) {
    if (windowClass.empty()) {
        return nullptr;
    }
    if (!scanned_) {
        scan();
    }
    const Application* application = lookUp(windowClass);
    if (application == nullptr && foldersChanged()) {
        scan();
        application = lookUp(windowClass);
    }
    return application;
}

std::string DesktopEntryIndex::messagesLocaleFromEnvironment() {
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        if (const char* value = std::getenv(variable); value != nullptr && *value != '\0') {
            return value;
        }
    }
    return {};
}

void DesktopEntryIndex::scan() {
    scanned_ = true;
    folderTimes_.clear();
    byWindowClass_.clear();
    byLowerWindowClass_.clear();
    byLowerId_.clear();
    byLowerIdSuffix_.clear();
    std::set<std::string> seenIds;
    for (const auto& folder : folders_) {
        std::error_code error;
        folderTimes_.push_back(std::filesystem::last_write_time(folder, error));
        std::filesystem::recursive_directory_iterator it(
            folder, std::filesystem::directory_options::skip_permission_denied, error);
        for (; !error && it != std::filesystem::recursive_directory_iterator();
             it.increment(error)) {
            if (it.depth() >= maximumDepth) {
                it.disable_recursion_pending();
            }
            const auto& file = it->path();
            if (file.extension() != ".desktop" || !it->is_regular_file(error)) {
                continue;
            }
            auto id = desktopFileId(folder, file);
            if (!seenIds.insert(id).second) {
                continue;
            }
            const auto entry = readEntry(file, nameKeys_);
            if (!entry || !entry->isApplication || entry->hidden || entry->name.empty()) {
                continue;
            }
            const Application application{entry->name, entry->categories};
            addFirst(byWindowClass_, entry->startupWmClass, application);
            addFirst(byLowerWindowClass_, asciiLower(entry->startupWmClass), application);
            const auto lowerId = asciiLower(id);
            addFirst(byLowerId_, lowerId, application);
            if (const auto dot = lowerId.rfind('.'); dot != std::string::npos) {
                addFirst(byLowerIdSuffix_, lowerId.substr(dot + 1), application);
            }
        }
    }
}

bool DesktopEntryIndex::foldersChanged() const {
    for (std::size_t i = 0; i < folders_.size(); ++i) {
        std::error_code error;
        if (std::filesystem::last_write_time(folders_[i], error) != folderTimes_[i]) {
            return true;
        }
    }
    return false;
}

const DesktopEntryIndex::Application* DesktopEntryIndex::lookUp(
    std::string_view windowClass) const {
    const std::string exact(windowClass);
    const auto lower = asciiLower(windowClass);
    for (const auto& [map, key] :
         {std::pair{&byWindowClass_, &exact}, std::pair{&byLowerWindowClass_, &lower},
          std::pair{&byLowerId_, &lower}, std::pair{&byLowerIdSuffix_, &lower}}) {
        if (const auto found = map->find(*key); found != map->end()) {
            return &found->second;
        }
    }
    return nullptr;
}

}  // namespace nimbrook
