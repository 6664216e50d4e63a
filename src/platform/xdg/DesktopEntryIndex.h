#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace nimbrook {

// Finds the display name and the categories of an application from its X11 window class (or
// Wayland app id) through the
// desktop entries installed on the system. The folders are scanned once; they are
// scanned again only when a lookup misses and one of them has changed since.
class DesktopEntryIndex final {
public:
    // `folders` most important first (an entry hides the entries with its id in later
    // folders); `messagesLocale` as in LC_MESSAGES, e.g. "zh_CN.UTF-8".
    DesktopEntryIndex(std::vector<std::filesystem::path> folders, std::string messagesLocale);

    // The entry's Name localised for the locale, of the entry whose StartupWMClass is the
    // class (exactly, then ignoring ASCII case), else whose file id is the class or ends in
    // "." + class (ignoring ASCII case); nullopt when there is none.
    std::optional<std::string> nameForWindowClass(std::string_view windowClass);
    // Whether the entry found for the class as above lists `category` in its Categories
    // (exactly, as the menu specification spells them, e.g. "TerminalEmulator"); false
    // when no entry is found.
    bool hasCategory(std::string_view windowClass, std::string_view category);

    // The locale that names follow: $LC_ALL, else $LC_MESSAGES, else $LANG.
    static std::string messagesLocaleFromEnvironment();

private:
    struct Application {
        std::string name;
        std::vector<std::string> categories;
    };
    using Applications = std::unordered_map<std::string, Application>;

    const Application* find(std::string_view windowClass);
    void scan();
    bool foldersChanged() const;
    const Application* lookUp(std::string_view windowClass) const;

    std::vector<std::filesystem::path> folders_;
    std::vector<std::string> nameKeys_;
    bool scanned_ = false;
    std::vector<std::filesystem::file_time_type> folderTimes_;
    Applications byWindowClass_;
    Applications byLowerWindowClass_;
    Applications byLowerId_;
    Applications byLowerIdSuffix_;
};

}  // namespace nimbrook
