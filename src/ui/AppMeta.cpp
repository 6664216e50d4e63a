#include "ui/AppMeta.h"

#include <initializer_list>
#include <string>
#include <unordered_map>

#include "platform/UnicodeText.h"

namespace nimbrook {

namespace {

struct Row {
    std::initializer_list<std::string_view> keys;
    const char16_t* icon;
    NamedColor color;
};

// Keys are lower-case and in NFC, as the look-up compares them. The Linux rows give the
// names that desktop entries carry on this platform the look of their macOS counterparts.
const Row rows[] = {
    {{"safari"}, u"safari", NamedColor::blue},
    {{"xcode"}, u"hammer.fill", NamedColor::blue},
    {{"finder"}, u"face.smiling", NamedColor::blue},
    {{"terminal", "iterm2", "warp"}, u"terminal", NamedColor::gray},
    {{"mail", "邮件"}, u"envelope.fill", NamedColor::blue},
    {{"messages", "信息"}, u"bubble.left.fill", NamedColor::green},
    {{"notes", "备忘录"}, u"note.text", NamedColor::yellow},
    {{"reminders", "提醒事项"}, u"checklist", NamedColor::red},
    {{"calendar", "日历"}, u"calendar", NamedColor::red},
    {{"preview", "预览"}, u"eye", NamedColor::purple},
    {{"photos", "照片"}, u"photo", NamedColor::pink},
    {{"music", "音乐"}, u"music.note", NamedColor::pink},
    {{"app store"}, u"a.circle.fill", NamedColor::blue},
    {{"visual studio code", "code", "cursor"},
     u"chevron.left.forwardslash.chevron.right",
     NamedColor::blue},
    {{"intellij idea", "pycharm", "webstorm", "android studio"},
     u"laptopcomputer",
     NamedColor::orange},
    {{"sublime text"}, u"text.document", NamedColor::orange},
    {{"vim", "neovim"}, u"terminal", NamedColor::green},
    {{"google chrome", "chrome"}, u"globe", NamedColor::green},
    {{"firefox"}, u"globe", NamedColor::orange},
    {{"arc"}, u"globe", NamedColor::purple},
    {{"brave browser", "brave"}, u"globe", NamedColor::orange},
    {{"microsoft edge"}, u"globe", NamedColor::blue},
    {{"slack"}, u"number", NamedColor::purple},
    {{"discord"}, u"bubble.left.and.bubble.right.fill", NamedColor::indigo},
    {{"telegram"}, u"paperplane.fill", NamedColor::blue},
    {{"wechat", "微信"}, u"bubble.left.fill", NamedColor::green},
    {{"钉钉", "dingtalk", "飞书", "lark"}, u"bubble.left.fill", NamedColor::blue},
    {{"obsidian"}, u"diamond", NamedColor::purple},
    {{"notion"}, u"square.text.square", NamedColor::primaryLabel},
    {{"bear"}, u"note.text", NamedColor::red},
    {{"craft"}, u"doc.text", NamedColor::blue},
    {{"figma"}, u"paintpalette", NamedColor::purple},
    {{"sketch"}, u"diamond", NamedColor::yellow},
    {{"nimbrook", "萤川"}, u"doc.on.clipboard.fill", NamedColor::teal},
    {{"终端", "gnome terminal", "konsole", "xterm", "alacritty", "kitty", "tilix", "xfce4-terminal",
      "terminator"},
     u"terminal",
     NamedColor::gray},
    {{"files", "文件", "nautilus", "dolphin", "thunar", "nemo"}, u"face.smiling", NamedColor::blue},
    {{"thunderbird", "thunderbird mail", "evolution", "geary"}, u"envelope.fill", NamedColor::blue},
    {{"text editor", "文本编辑器", "gedit", "kate", "kwrite", "mousepad", "gnome text editor"},
     u"text.document",
     NamedColor::orange},
    {{"chromium", "chromium web browser", "google chrome (stable)"}, u"globe", NamedColor::green},
    {{"firefox esr", "firefox web browser"}, u"globe", NamedColor::orange},
    {{"code - oss", "vscodium"}, u"chevron.left.forwardslash.chevron.right", NamedColor::blue},
    {{"telegram desktop"}, u"paperplane.fill", NamedColor::blue},
    {{"emacs", "gnu emacs", "gvim"}, u"terminal", NamedColor::green},
    {{"image viewer", "图像查看器", "eog", "gwenview", "ristretto"}, u"eye", NamedColor::purple},
};

const std::unordered_map<std::string_view, AppMeta>& lookupTable() {
    static const auto table = [] {
        std::unordered_map<std::string_view, AppMeta> result;
        for (const Row& row : rows) {
            for (const std::string_view key : row.keys) {
                // The first row naming a key wins, as a top-to-bottom search would.
                result.emplace(key, AppMeta{QString::fromUtf16(row.icon), row.color});
            }
        }
        return result;
    }();
    return table;
}

}  // namespace

AppMeta appMeta(std::string_view name) {
    const auto& table = lookupTable();
    if (const auto found = table.find(UnicodeText::lowercasedNfc(UnicodeText::nfc(name)));
        found != table.end()) {
        return found->second;
    }
    return AppMeta{QStringLiteral("app.fill"), NamedColor::secondaryLabel};
}

}  // namespace nimbrook
