// A byte line to the controllers: a serial port or the simulated bank.
#pragma once

#include <QByteArray>
#include <QString>

namespace qvx {

// Why a device could not be opened when another holder was the cause: who
// holds its lock, as far as the lock file tells, or that the device itself
// is held exclusively by a program that took no lock.
struct DeviceLock {
    enum class Holder {
        None,        // neither the lock nor another holder was the cause
        Running,     // a process that still runs on this computer
        OtherHost,   // a process on another computer (a shared lock folder)
        Ended,       // a process that has ended: the file was left behind
        Unnamed,     // the file names no process
        Unreadable,  // the file cannot be read (reason: the system's why)
        CannotMake,  // the lock file cannot be made
        NoFolder,    // no lock folder can be used
        Exclusive,   // no lock: another program holds the device exclusively (EBUSY)
    };
    Holder holder = Holder::None;
    QString file;     // the lock file ("" for Exclusive and NoFolder)
    QString program;  // the holder's program name ("" when the file gives none)
    qint64 pid = 0;
    QString host;     // the holder's computer, for OtherHost
    QString reason;   // the system's reason, for CannotMake and Unreadable

    bool operator==(const DeviceLock&) const = default;
};

// A device error (a hang-up, a failed read or write, the device removed)
// makes isOpen() false; the owner then closes the line and may open it again.
class Transport {
public:
    virtual ~Transport() = default;
    // Opens the line at the given speed (bits per second, 8N1). A line that
    // has been closed can be opened again.
    virtual bool open(int baud) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // Sends all bytes and returns once they have left the port.
    virtual bool send(const QByteArray& bytes) = 0;
    // Waits at most timeoutMs for input and returns what has arrived (empty on
    // time-out). Never spins: the wait sleeps until bytes come or time is up.
    virtual QByteArray receive(int timeoutMs) = 0;
    // Drops whatever input is pending.
    virtual void discardInput() = 0;
    // The system's text for the last failed open or device error ("" when none).
    virtual QString lastError() const { return {}; }
    // Who holds the device (its lock, or the device itself) when the last
    // open failed for it.
    virtual DeviceLock lockRefusal() const { return {}; }
};

}  // namespace qvx
