// The controller line on a serial device (a real port or a pseudo-terminal).
#pragma once

#include <QSerialPort>
#include <QString>
#include <cerrno>
#include <functional>

#include "transport.h"

namespace qvx {

// Where a configured device name leads, as the serial library maps it: a
// path (leading "/", "./" or "../") stays as it is; a bare name ("ttyUSB0",
// "pts/3") is the location the library lists for it, else the name in /dev.
QString serialDeviceLocation(const QString& name);
// The path a device is opened by: its location with symlinks resolved
// (/dev/serial/by-id/... -> /dev/ttyUSB0), so that two names of one device
// take one lock. A path that does not exist stays as it is.
QString serialOpenPath(const QString& name);
// The lock file the serial library takes for a device opened by openPath,
// in its lock folder with that folder's symlinks resolved; "" when it finds
// no folder it can use.
QString serialLockFile(const QString& openPath);
// Who holds a lock file, as far as the file tells, in every form other
// programs write: the process number leads the file (after blanks, whatever
// follows it on its line), the program's name is the next line's, else the
// word after the number, and a third line names the computer; a file of
// exactly four bytes that does not read as a number is the number as a
// native int. running says whether a process of this computer (thisHost)
// still runs. Holder None when there is no such file, Unreadable (with the
// system's reason) when it cannot be read.
DeviceLock readDeviceLock(const QString& lockFile, const QString& thisHost,
                          const std::function<bool(qint64 pid)>& running);
// Whether a process still runs on this computer (a process of another user
// counts: it runs, though it may not be signalled).
bool processRuns(qint64 pid);
// The lock of another program: lockFile names a process other than this one
// that still runs on this computer (Holder Running), a process of another
// computer, whose life cannot be checked from here (OtherHost), or it may be
// another program's: it names no process (Unnamed) or cannot be read
// (Unreadable). Holder None for every other lock file (none, this process's
// own, an ended process's of this computer). Such a device is never opened:
// not by the port object (which removes a lock file it judges stale by rules
// of its own, such as the file's age, and opens the device) and not by the
// refusal's probe.
DeviceLock anotherProgramsLock(const QString& lockFile);
// Whether a new lock file could be made beside lockFile, judged without
// touching the device: 0, or the system's reason. The folder's permission is
// asked first (access()); then a scratch file of a unique name is made
// (O_CREAT | O_EXCL), written as a lock file would be and removed at once, so
// that a full disk or an exhausted quota is found too.
int lockFolderRefusal(const QString& lockFile);
// Why the port object refused a device, judged by what the system tells
// once the refusal is over, never by the port's message (a loaded translation
// changes it): error is the port object's error, lockFile the lock file the
// serial library uses ("" when it finds no lock folder). deviceErrno gives
// the error of the device's own open (0 when it opens), lockFolderErrno gives
// lockFolderRefusal(lockFile); each is called at most once and only when
// the verdict needs it.
// The port object takes the lock before it opens the device and removes it
// again when the device refuses, so the lock is the cause only when its file
// is still there or cannot be made. Another program's lock
// (anotherProgramsLock) is the verdict, without asking the device; so is a
// lock file that cannot be made (the port object never reached the device).
// A lock file left by this process or by an ended one is the verdict unless
// the device refuses us itself. With no lock file, a busy
// device is held exclusively by another program; any other refusal is the
// device's own (Holder None).
DeviceLock lockRefusal(QSerialPort::SerialPortError error, const QString& lockFile,
                       const std::function<int()>& deviceErrno, const std::function<int()>& lockFolderErrno);

class SerialTransport final : public Transport {
public:
    explicit SerialTransport(QString device);
    ~SerialTransport() override;

    // Opens the device and asks its driver for low-latency mode (best effort).
    // A device whose lock file another program holds is refused untouched.
    bool open(int baud) override;
    void close() override;
    // False once the device has failed (hang-up, read or write error).
    bool isOpen() const override;
    bool send(const QByteArray& bytes) override;
    QByteArray receive(int timeoutMs) override;
    void discardInput() override;
    QString lastError() const override { return error_; }
    DeviceLock lockRefusal() const override { return lock_; }

    const QString& device() const { return device_; }
    // The path of the last open (the device with symlinks resolved).
    const QString& openPath() const { return openPath_; }

private:
    void fail(int err = EIO);

    QString device_;
    QString openPath_;
    QSerialPort port_;
    QString error_;
    DeviceLock lock_;
    bool failed_ = false;
};

}  // namespace qvx
