// The requests of the system to end the program (SIGTERM at logout, shutdown
// or `kill`, SIGINT, SIGHUP), handed to the event loop. The handler only
// writes the signal's number into a socket pair; a notifier on the other end
// calls back from the event loop, so the exit never runs inside the handler.
// While it watches, a write to a closed pipe (SIGPIPE) no longer ends the
// program either: the write fails and the program goes on to its exit.
#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

namespace qvx {

class ExitSignals : public QObject {
public:
    using Handler = std::function<void(int signal)>;

    // Takes the three signals over from their default action (one object at
    // a time; one that was ignored at start stays ignored); the callback runs
    // once per signal that comes.
    explicit ExitSignals(Handler onSignal, QObject* parent = nullptr);
    // Gives the signals (SIGPIPE too) back to their default action.
    ~ExitSignals() override;
    ExitSignals(const ExitSignals&) = delete;
    ExitSignals& operator=(const ExitSignals&) = delete;

    // False when the socket pair or a handler could not be set up.
    bool installed() const { return installed_; }
    // A signal that comes while the calls are off waits until they are on.
    void setEnabled(bool on);
    // Calls back for a signal that has come, without waiting for the event
    // loop: for long steps that do not return to it. Cheap when none has.
    void dispatchPending();

private:
    void readSignals();

    Handler onSignal_;
    int fds_[2] = {-1, -1};
    QSocketNotifier* notifier_ = nullptr;
    bool taken_[3] = {false, false, false};  // SIGTERM, SIGINT, SIGHUP
    bool pipeTaken_ = false;  // SIGPIPE
    bool installed_ = false;
    bool enabled_ = true;
};

}  // namespace qvx
