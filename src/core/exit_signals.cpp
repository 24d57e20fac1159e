#include "exit_signals.h"

#include <QSocketNotifier>

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <iterator>

namespace qvx {

namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};
// A signal may be handled on any thread of the process: both are atomics,
// and lock-free ones, so the handler may touch them.
std::atomic<int> writeEnd{-1};
std::atomic<int> arrived{0};  // a byte may be waiting
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void onExitSignal(int sig) {
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(sig);
    const int fd = writeEnd.load(std::memory_order_acquire);
    // A full pair (signals that came faster than the loop reads) drops the
    // byte: one waiting is enough to end the program.
    if (fd >= 0 && ::write(fd, &byte, 1) < 0) {
    }
    // Only once the byte is in: whoever sees the flag finds the byte, so
    // dispatchPending() never clears the flag before the byte is there and
    // leaves the signal to wait for the end of a long step.
    arrived.store(1, std::memory_order_release);
    errno = saved;
}

// A write to a pipe whose reader has gone (a terminal closed under
// `program | tee log`) then fails with EPIPE instead of ending the process.
// A handler rather than SIG_IGN: a child the program starts gets the default
// action back, as it expects.
extern "C" void onBrokenPipe(int) {}

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
    if (writeEnd.load() >= 0) {
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
    writeEnd.store(fds_[0], std::memory_order_release);
    pipeTaken_ = !ignoredAtStart(SIGPIPE);
    if (pipeTaken_) setHandler(SIGPIPE, onBrokenPipe);
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
        if (pipeTaken_) setHandler(SIGPIPE, SIG_DFL);
        writeEnd.store(-1, std::memory_order_release);
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
    if (installed_ && enabled_ && arrived.load(std::memory_order_acquire)) readSignals();
}

void ExitSignals::readSignals() {
    // Cleared before reading: a byte written after this sets it again.
    arrived.store(0);
    unsigned char bytes[16];
    for (;;) {
        const ssize_t n = ::read(fds_[1], bytes, sizeof bytes);
        if (n <= 0) break;
        for (ssize_t i = 0; i < n; ++i)
            if (onSignal_) onSignal_(bytes[i]);
    }
}

}  // namespace qvx
