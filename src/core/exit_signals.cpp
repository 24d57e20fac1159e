#include "exit_signals.h"

#include <QSocketNotifier>

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <iterator>

namespace qvx {

namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};
volatile sig_atomic_t writeEnd = -1;
volatile sig_atomic_t arrived = 0;  // a byte may be waiting

extern "C" void onExitSignal(int sig) {
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(sig);
    const int fd = writeEnd;
    arrived = 1;
    // A full pair (signals that came faster than the loop reads) drops the
    // byte: one waiting is enough to end the program.
    if (fd >= 0 && ::write(fd, &byte, 1) < 0) {
    }
    errno = saved;
}

void setHandler(int sig, void (*handler)(int)) {
    struct sigaction sa {};
    sa.sa_handler = handler;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    ::sigaction(sig, &sa, nullptr);
}

// A signal the program was started with ignored (nohup, a background job)
// stays ignored.
bool ignoredAtStart(int sig) {
    struct sigaction old {};
    return ::sigaction(sig, nullptr, &old) == 0 && old.sa_handler == SIG_IGN;
}

}  // namespace

ExitSignals::ExitSignals(Handler onSignal, QObject* parent) : QObject(parent), onSignal_(std::move(onSignal)) {
    if (writeEnd >= 0) {
        qWarning("the exit signals are already watched");
        return;
    }
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, fds_) != 0) {
        qWarning("no socket pair for the exit signals: %s", qUtf8Printable(qt_error_string(errno)));
        fds_[0] = fds_[1] = -1;
        return;
    }
    notifier_ = new QSocketNotifier(fds_[1], QSocketNotifier::Read, this);
    QObject::connect(notifier_, &QSocketNotifier::activated, this, [this] { readSignals(); });
    writeEnd = fds_[0];
    for (std::size_t i = 0; i < std::size(kSignals); ++i) {
        taken_[i] = !ignoredAtStart(kSignals[i]);
        if (taken_[i]) setHandler(kSignals[i], onExitSignal);
    }
    installed_ = true;
}

ExitSignals::~ExitSignals() {
    if (installed_) {
        for (std::size_t i = 0; i < std::size(kSignals); ++i)
            if (taken_[i]) setHandler(kSignals[i], SIG_DFL);
        writeEnd = -1;
    }
    delete notifier_;
    for (int fd : fds_)
        if (fd >= 0) ::close(fd);
}

void ExitSignals::setEnabled(bool on) {
    enabled_ = on;
    if (notifier_) notifier_->setEnabled(on);
}

void ExitSignals::dispatchPending() {
    if (installed_ && enabled_ && arrived) readSignals();
}

void ExitSignals::readSignals() {
    arrived = 0;
    unsigned char bytes[16];
    for (;;) {
        const ssize_t n = ::read(fds_[1], bytes, sizeof bytes);
        if (n <= 0) break;
        for (ssize_t i = 0; i < n; ++i)
            if (onSignal_) onSignal_(bytes[i]);
    }
}

}  // namespace qvx
