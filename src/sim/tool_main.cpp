// qvx720-sim: serves the simulated controller bank on a pseudo-terminal, so
// that the monitor's real serial path can be run without hardware.
//
// Replies are paced like a real line: the request is taken to end 10 bits a
// byte after its first byte came in, the reply starts one turnaround later,
// and each reply byte is handed over when it would have been fully received.

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/signalfd.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "controller_bank.h"
#include "sim_options.h"

namespace {

using Steady = std::chrono::steady_clock;
using qvx::sim::ControllerBank;
using qvx::sim::ToolOptions;

struct OutByte {
    Steady::time_point at;
    char byte;
    bool last;  // the final byte of a reply: the one the receiver waits for
};

// Timer wake-ups come late by some tens of microseconds; before the final byte
// of a reply the server wakes this much early and waits out the rest awake.
constexpr auto kFinalByteLead = std::chrono::microseconds(150);

std::string printable(std::string_view bytes) {
    std::string s;
    for (char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u < 0x7F) {
            s += c;
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "<%02X>", u);
            s += hex;
        }
    }
    return s;
}

class PtyServer {
public:
    PtyServer(ControllerBank& bank, const ToolOptions& o) : bank_(bank), opt_(o), stream_(bank) {
        byteTime_ = std::chrono::nanoseconds(10LL * 1'000'000'000LL / o.baud);
    }
    ~PtyServer() {
        removeLink();
        if (master_ >= 0) ::close(master_);
        if (slave_ >= 0) ::close(slave_);
        if (sigfd_ >= 0) ::close(sigfd_);
    }

    bool start() {
        char name[256] = {};
        if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0) {
            std::fprintf(stderr, "qvx720-sim: cannot open a pseudo-terminal: %s\n", std::strerror(errno));
            return false;
        }
        slaveName_ = name;
        // Raw 8N1 on the terminal; the monitor sets its own mode when it opens it.
        termios tio{};
        ::tcgetattr(slave_, &tio);
        ::cfmakeraw(&tio);
        tio.c_cflag |= CLOCAL | CREAD;
        const speed_t speed = opt_.baud == 19200 ? B19200 : B9600;
        ::cfsetispeed(&tio, speed);
        ::cfsetospeed(&tio, speed);
        ::tcsetattr(slave_, TCSANOW, &tio);
        ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
        ::fcntl(master_, F_SETFD, FD_CLOEXEC);
        ::fcntl(slave_, F_SETFD, FD_CLOEXEC);

        sigset_t set;
        sigemptyset(&set);
        sigaddset(&set, SIGINT);
        sigaddset(&set, SIGTERM);
        sigaddset(&set, SIGUSR1);
        sigaddset(&set, SIGUSR2);
        ::sigprocmask(SIG_BLOCK, &set, nullptr);
        sigfd_ = ::signalfd(-1, &set, SFD_CLOEXEC);
        if (sigfd_ < 0) {
            std::fprintf(stderr, "qvx720-sim: signalfd: %s\n", std::strerror(errno));
            return false;
        }
        // Wake-ups as close to the byte times as the kernel allows.
        ::prctl(PR_SET_TIMERSLACK, 1UL, 0, 0, 0);

        if (!opt_.link.empty() && !makeLink()) return false;
        return true;
    }

    const std::string& slaveName() const { return slaveName_; }

    void run() {
        std::vector<char> buf(4096);
        for (;;) {
            pollfd fds[2] = {{master_, POLLIN, 0}, {sigfd_, POLLIN, 0}};
            timespec ts{};
            timespec* timeout = nullptr;
            if (!out_.empty()) {
                const auto wake = out_.front().last ? out_.front().at - kFinalByteLead : out_.front().at;
                const auto wait = std::max(Steady::duration::zero(), wake - Steady::now());
                const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(wait).count();
                ts.tv_sec = static_cast<time_t>(ns / 1'000'000'000);
                ts.tv_nsec = static_cast<long>(ns % 1'000'000'000);
                timeout = &ts;
            }
            const int n = ::ppoll(fds, 2, timeout, nullptr);
            if (n < 0 && errno != EINTR) {
                std::fprintf(stderr, "qvx720-sim: poll: %s\n", std::strerror(errno));
                return;
            }
            if ((fds[1].revents & POLLIN) && !switchOnSignal()) return;  // SIGINT or SIGTERM
            if (fds[0].revents & POLLIN) readRequests(buf);
            else if (fds[0].revents & (POLLHUP | POLLERR)) ::usleep(2000);  // nobody on the line
            if (!out_.empty() && out_.front().last && out_.front().at - Steady::now() <= kFinalByteLead)
                while (Steady::now() < out_.front().at) {
                }
            writeDue();
        }
    }

private:
    // SIGUSR1 and SIGUSR2 switch the switchable controllers off and on;
    // false for the signals that end the tool.
    bool switchOnSignal() {
        signalfd_siginfo info{};
        if (::read(sigfd_, &info, sizeof info) != static_cast<ssize_t>(sizeof info)) return true;
        if (info.ssi_signo != SIGUSR1 && info.ssi_signo != SIGUSR2) return false;
        const bool off = info.ssi_signo == SIGUSR1;
        bank_.clearFaults();
        for (const auto& f : opt_.faults) bank_.addFault(f);
        if (off)
            for (int ch : opt_.switchable) {
                qvx::sim::Fault f;
                f.channel = ch;
                bank_.addFault(f);
            }
        std::printf("%zu controllers switched %s\n", opt_.switchable.size(), off ? "off" : "on");
        return true;
    }

    bool makeLink() {
        struct stat st{};
        if (::lstat(opt_.link.c_str(), &st) == 0) {
            if (!S_ISLNK(st.st_mode)) {
                std::fprintf(stderr, "qvx720-sim: %s exists and is not a symbolic link\n", opt_.link.c_str());
                return false;
            }
            ::unlink(opt_.link.c_str());
        }
        if (::symlink(slaveName_.c_str(), opt_.link.c_str()) != 0) {
            std::fprintf(stderr, "qvx720-sim: cannot create %s: %s\n", opt_.link.c_str(), std::strerror(errno));
            return false;
        }
        linked_ = true;
        return true;
    }

    void removeLink() {
        if (!linked_) return;
        char target[512] = {};
        const ssize_t len = ::readlink(opt_.link.c_str(), target, sizeof target - 1);
        if (len > 0 && slaveName_ == std::string(target, static_cast<std::size_t>(len)))
            ::unlink(opt_.link.c_str());
        linked_ = false;
    }

    void readRequests(std::vector<char>& buf) {
        for (;;) {
            const ssize_t got = ::read(master_, buf.data(), buf.size());
            if (got <= 0) {
                if (got < 0 && errno == EIO) ::usleep(2000);
                return;
            }
            const auto now = Steady::now();
            if (opt_.verbose)
                std::fprintf(stderr, "in: %s\n", printable(std::string_view(buf.data(), static_cast<std::size_t>(got))).c_str());
            if (stream_.buffered() == 0) frameStart_ = now;
            const auto answers = stream_.feed(std::string_view(buf.data(), static_cast<std::size_t>(got)));
            for (const auto& a : answers) {
                // The request has left the line once all its bits have crossed it.
                const Steady::time_point lineEnd =
                    frameStart_ + std::chrono::duration_cast<Steady::duration>(byteTime_ * a.requestBytes);
                const Steady::time_point requestEnd = std::max(now, lineEnd);
                frameStart_ = requestEnd;
                const auto delay = std::chrono::milliseconds(a.emission.delayMs >= 0 ? a.emission.delayMs
                                                                                     : opt_.turnaroundMs);
                schedule(requestEnd + delay, a.emission.bytes);
                if (opt_.verbose)
                    std::fprintf(stderr, "frame %llu -> %s\n", static_cast<unsigned long long>(bank_.framesReceived()),
                                 printable(a.emission.bytes).c_str());
            }
            if (opt_.verbose && answers.empty())
                std::fprintf(stderr, "frame %llu: no reply\n", static_cast<unsigned long long>(bank_.framesReceived()));
        }
    }

    void schedule(Steady::time_point start, const std::string& bytes) {
        // One reply at a time on the line: requests that came in a burst
        // (a line held up, then let go) are answered one after another,
        // never with their bytes mixed.
        if (!out_.empty()) start = std::max(start, out_.back().at);
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            OutByte b{start + std::chrono::duration_cast<Steady::duration>(byteTime_ * (i + 1)), bytes[i],
                      i + 1 == bytes.size()};
            const auto pos = std::upper_bound(out_.begin(), out_.end(), b.at,
                                              [](Steady::time_point t, const OutByte& x) { return t < x.at; });
            out_.insert(pos, b);
        }
    }

    void writeDue() {
        const auto now = Steady::now();
        std::string chunk;
        std::size_t due = 0;
        while (due < out_.size() && out_[due].at <= now) chunk += out_[due++].byte;
        if (chunk.empty()) return;
        const ssize_t put = ::write(master_, chunk.data(), chunk.size());
        // Bytes the terminal cannot take are lost, as on a line nobody listens to.
        (void)put;
        out_.erase(out_.begin(), out_.begin() + static_cast<std::ptrdiff_t>(due));
    }

    ControllerBank& bank_;
    const ToolOptions& opt_;
    qvx::sim::BankStream stream_;
    std::chrono::nanoseconds byteTime_{};
    int master_ = -1;
    int slave_ = -1;
    int sigfd_ = -1;
    std::string slaveName_;
    bool linked_ = false;
    Steady::time_point frameStart_{};
    std::deque<OutByte> out_;
};

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string error;
    const auto options = qvx::sim::parseToolArgs(args, &error);
    if (!options) {
        std::fprintf(stderr, "qvx720-sim: %s\nTry qvx720-sim --help.\n", error.c_str());
        return 2;
    }
    if (options->help) {
        std::fputs(qvx::sim::toolUsage().c_str(), stdout);
        return 0;
    }
    std::setvbuf(stdout, nullptr, _IOLBF, 0);

    ControllerBank bank;  // the real clock drives the plants
    qvx::sim::applyToolOptions(bank, *options);

    PtyServer server(bank, *options);
    if (!server.start()) return 1;
    if (options->link.empty())
        std::printf("Serving the simulated controller bank on %s\n", server.slaveName().c_str());
    else
        std::printf("Serving the simulated controller bank on %s (link: %s)\n", server.slaveName().c_str(),
                    options->link.c_str());
    const auto present = bank.presentChannels();
    std::printf("%zu controllers present, %d baud, turnaround %d ms\n", present.size(), options->baud,
                options->turnaroundMs);
    for (const auto& f : options->faults) std::printf("fault: %s\n", qvx::sim::describeFault(f).c_str());
    server.run();
    return 0;
}
