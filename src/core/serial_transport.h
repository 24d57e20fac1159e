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
// Who holds a lock file, as far as the file tells: it holds the process id,
// the program's name and the computer, a line each. running says whether a
// process of this computer (thisHost) still runs.
DeviceLock readDeviceLock(const QString& lockFile, const QString& thisHost,
                          const std::function<bool(qint64 pid)>& running);
// Why the port object refused a device, judged by what the system tells
// once the refusal is over, never by the port's message (a loaded translation
// changes it): error is the port object's error, deviceErrno the error of
// the device's own open (0 when it opens), lockFile the lock file the serial
// library uses ("" when it finds no lock folder) and lockFolderErrno whether
// that file's folder lets a new file be made (0) or the system's reason not.
// The port object takes the lock before it opens the device and removes it
// again when the device refuses, so the lock is the cause only when its file
// is still there or cannot be made. Otherwise a busy device is held
// exclusively by another program; any other refusal is the device's own
// (Holder None).
DeviceLock lockRefusal(QSerialPort::SerialPortError error, int deviceErrno, const QString& lockFile,
                       int lockFolderErrno);

class SerialTransport final : public Transport {
public:
    explicit SerialTransport(QString device);
    ~SerialTransport() override;

    // Opens the device and asks its driver for low-latency mode (best effort).
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
