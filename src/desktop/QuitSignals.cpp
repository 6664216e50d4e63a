#include "desktop/QuitSignals.h"

#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace nimbrook {
namespace {

constexpr std::array handledSignals{SIGTERM, SIGINT, SIGHUP};

// Written by the handler, so it must be a plain lock-free object.
volatile std::sig_atomic_t writeEnd = -1;

void onSignal(int) {
    const int savedErrno = errno;
    const char byte = 1;
    // A full pipe already holds a pending request; losing this byte loses nothing.
    [[maybe_unused]] const auto written = ::write(writeEnd, &byte, 1);
    errno = savedErrno;
}

}  // namespace

QuitSignals::QuitSignals() {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, sockets_.data()) !=
        0) {
        return;
    }
    writeEnd = sockets_[0];
    notifier_.emplace(sockets_[1], QSocketNotifier::Read);
    QObject::connect(&*notifier_, &QSocketNotifier::activated, this, &QuitSignals::drain);
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : handledSignals) {
        ::sigaction(signal, &action, nullptr);
    }
}

QuitSignals::~QuitSignals() {
    for (const int signal : handledSignals) {
        std::signal(signal, SIG_DFL);
    }
    writeEnd = -1;
    notifier_.reset();
    for (const int socket : sockets_) {
        if (socket >= 0) {
            ::close(socket);
        }
    }
}

void QuitSignals::drain() {
    char buffer[64];
    while (::read(sockets_[1], buffer, sizeof buffer) > 0) {
    }
    emit quitRequested();
}

}  // namespace nimbrook
