// The longest time the panel's thread goes without turning its event loop while a script
// copies 50 texts of 1 KB to 1 MB, converts a 1 MB HTML entry and the program saves a history
// of 500 entries of 100 KB (51 MB): the largest gap between the ticks of a 1 ms timer on that
// thread. Runs the real session (history file, tray and open panel) on the display it is
// given, in folders of its own; writes one JSON object to the file named by its argument.
// With "silent-owner" after it, the script is instead an X client that takes the clipboard
// six times, two seconds apart, and never answers a request, then one ordinary copy, which
// must reach the history.
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include <unistd.h>
#include <xcb/xcb.h>

#include "BenchInputs.h"
#include "controller/ClipboardViewModel.h"
#include "desktop/DesktopPreferences.h"
#include "desktop/DesktopRoute.h"
#include "desktop/DesktopSession.h"
#include "model/HistoryLimit.h"
#include "model/StorageService.h"
#include "ui/NimbrookApp.h"

namespace nimbrook {
namespace {

namespace fs = std::filesystem;

constexpr int copies = 50;
constexpr int copyIntervalMs = 100;
constexpr qint64 frameNs = 16'000'000;

// Largest gap between two ticks of a 1 ms timer, from start() on. Gaps past one frame are
// listed on stderr with the step of the script that was under way.
class StallMeter final {
public:
    explicit StallMeter(const int& step) {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(1);
        QObject::connect(&timer_, &QTimer::timeout, [this, &step] {
            const qint64 gap = clock_.nsecsElapsed() - last_;
            if (gap > frameNs) {
                std::fprintf(stderr, "gap of %.1f ms at step %d\n", gap / 1e6, step);
            }
            longest_ = std::max(longest_, gap);
            last_ = clock_.nsecsElapsed();
            ++ticks_;
        });
    }
    void start() {
        clock_.start();
        last_ = 0;
        timer_.start();
    }
    void stop() { timer_.stop(); }
    double longestMs() const { return static_cast<double>(longest_) / 1e6; }
    double seconds() const { return static_cast<double>(clock_.nsecsElapsed()) / 1e9; }
    long long ticks() const { return ticks_; }

private:
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 last_ = 0;
    qint64 longest_ = 0;
    long long ticks_ = 0;
};

// An X client that owns the clipboard and never reads its connection, so never answers.
class SilentOwner final {
public:
    SilentOwner() : connection_(xcb_connect(nullptr, nullptr)) {
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
        window_ = xcb_generate_id(connection_);
        xcb_create_window(connection_, XCB_COPY_FROM_PARENT, window_, screen->root, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, screen->root_visual, 0, nullptr);
        const auto cookie = xcb_intern_atom(connection_, 0, 9, "CLIPBOARD");
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection_, cookie, nullptr);
        clipboard_ = reply != nullptr ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
        std::free(reply);
    }
    ~SilentOwner() { xcb_disconnect(connection_); }
    SilentOwner(const SilentOwner&) = delete;
    SilentOwner& operator=(const SilentOwner&) = delete;

    void claim() {
        xcb_set_selection_owner(connection_, window_, clipboard_, XCB_CURRENT_TIME);
        xcb_flush(connection_);
    }

private:
    xcb_connection_t* connection_;
    xcb_window_t window_ = 0;
    xcb_atom_t clipboard_ = 0;
};

// 1 KB growing by a constant factor to 1 MB, mixed kinds: what a day of copies brings.
std::vector<QString> copiedTexts() {
    std::vector<QString> texts;
    for (int index = 0; index < copies; ++index) {
        const double bytes = BenchInputs::kilobyte * std::pow(1024.0, index / (copies - 1.0));
        const std::string text =
            BenchInputs::mixed(static_cast<std::size_t>(bytes), 100 + static_cast<unsigned>(index));
        texts.push_back(QString::fromStdString(text));
    }
    return texts;
}

fs::file_time_type modified(const fs::path& file) {
    std::error_code error;
    return fs::last_write_time(file, error);
}

void writeResult(const char* path, const StallMeter& meter, std::uintmax_t historyBytes) {
    std::ofstream(path) << "{\"longest_stall_ms\": " << meter.longestMs()
                        << ", \"seconds\": " << meter.seconds() << ", \"ticks\": " << meter.ticks()
                        << ", \"history_bytes\": " << historyBytes << "}\n";
}

int runSilentOwner(ClipboardViewModel& viewModel, const char* resultPath,
                   std::uintmax_t historyBytes) {
    constexpr int claims = 6;
    const QString copied = QStringLiteral("copied after the silent owner");
    SilentOwner owner;
    int step = 0;
    StallMeter meter(step);
    QTimer script;
    QObject::connect(&script, &QTimer::timeout, [&] {
        if (step < claims) {
            owner.claim();
        } else if (step == claims) {
            QGuiApplication::clipboard()->setText(copied);
        } else if (viewModel.items().front().content() == copied.toStdString()) {
            meter.stop();
            QCoreApplication::quit();
        }
        ++step;
    });
    QTimer::singleShot(2000, [&] {
        meter.start();
        script.start(2000);
    });
    QApplication::exec();
    writeResult(resultPath, meter, historyBytes);
    return 0;
}

int run(int argc, char** argv, const fs::path& root, bool silentOwner) {
    const fs::path data = root / "data";
    ::setenv("XDG_DATA_HOME", data.c_str(), 1);
    ::setenv("TMPDIR", root.c_str(), 1);
    const fs::path folder = data / "com.quolla.nimbrook";
    StorageService(folder, [](const std::string&) {
    }).save(BenchInputs::history(historyLimit, 100 * BenchInputs::kilobyte, 7));
    const fs::path file = folder / "clipboard_history.json";
    const std::uintmax_t historyBytes = fs::file_size(file);

    const DesktopRoute route = DesktopRouting::applyToThisProcess();
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    DesktopSession session(app, route);
    DesktopPreferences preferences;
    NimbrookApp shell(session.viewModel(), preferences);
    shell.openPanel();
    ClipboardViewModel& viewModel = session.viewModel();

    if (silentOwner) {
        return runSilentOwner(viewModel, argv[1], historyBytes);
    }
    const std::vector<QString> texts = copiedTexts();
    const std::string htmlText =
        BenchInputs::text(BenchInputs::Kind::html, BenchInputs::megabyte, 11);
    const QString html = QString::fromStdString(htmlText);
    int copied = 0;
    StallMeter meter(copied);
    std::optional<Uuid> converting;
    std::optional<fs::file_time_type> convertedAt;
    QTimer script;
    // Each step waits for what the one before it started: the copies come at a steady pace,
    // the conversion once the HTML is in the history, the end once a save after it is written.
    QObject::connect(&script, &QTimer::timeout, [&] {
        if (copied < copies) {
            QGuiApplication::clipboard()->setText(texts[static_cast<std::size_t>(copied++)]);
        } else if (copied == copies) {
            QGuiApplication::clipboard()->setText(html);
            ++copied;
        } else if (!converting) {
            const auto& items = viewModel.items();
            if (!items.empty() && items.front().content() == htmlText) {
                converting = items.front().id();
                viewModel.copyConverted(items.front(), SmartConverter::Conversion::htmlToMarkdown);
            }
        } else if (!convertedAt) {
            if (viewModel.items().front().id() != *converting) {
                convertedAt = modified(file);
            }
        } else if (modified(file) != *convertedAt) {
            meter.stop();
            QCoreApplication::quit();
        }
    });
    // Start-up (the load of the history) is over before the measurement begins.
    QTimer::singleShot(2000, [&] {
        meter.start();
        script.start(copyIntervalMs);
    });
    QApplication::exec();
    writeResult(argv[1], meter, historyBytes);
    return 0;
}

}  // namespace
}  // namespace nimbrook

int main(int argc, char** argv) {
    const bool silentOwner = argc == 3 && std::strcmp(argv[2], "silent-owner") == 0;
    if (argc < 2 || (argc == 3 && !silentOwner) || argc > 3) {
        std::fprintf(stderr, "usage: %s <result file> [silent-owner]\n", argv[0]);
        return 2;
    }
    std::string pattern = (std::filesystem::temp_directory_path() / "stall-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        return 1;
    }
    const int status = nimbrook::run(argc, argv, pattern, silentOwner);
    std::filesystem::remove_all(pattern);
    return status;
}
