#pragma once

#include <QStringList>
#include <optional>
#include <string>
#include <vector>

namespace nimbrook {

// The program's arguments: no command starts the program (or opens the running one's
// panel), `--toggle` shows or hides that panel, and the commands of the running program's
// socket (list, search, get, copy, delete, convert, clear, pause, resume) act on its history
// from a script. Everything but the start needs no display and makes no GUI application.
class CommandLine final {
public:
    enum class Action { start, help, version, request, usageError };

    struct Parsed {
        Action action = Action::start;
        // The request for the running instance (RemoteCommands' canonical words).
        std::vector<std::string> words;
        // --toggle on a start.
        bool toggle = false;
        // A clear without --yes: asked on a terminal first.
        bool confirm = false;
        std::string error;
    };

    // What --help prints: the commands and the options.
    static std::string help();
    // `arguments` holds the program name first, as argv does.
    static Parsed parse(const QStringList& arguments);

    // Does what needs no desktop: help, version, usage errors, the commands, and handing the
    // start over to a running instance. The exit status, or nullopt when this process should
    // become the running program (then `parsed` tells whether to open the panel).
    static std::optional<int> runWithoutDesktop(int argc, char** argv, Parsed& parsed);
};

}  // namespace nimbrook
