#include "serial_transport.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSerialPortInfo>
#include <QSysInfo>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <limits>
#include <optional>

#ifdef __linux__
#include <linux/serial.h>
#include <sys/ioctl.h>
#endif

namespace qvx {

namespace {

QString systemText(int err) { return QString::fromLocal8Bit(std::strerror(err)); }

// Why the device cannot serve as a serial port, in the system's terms: the
// error of its own open, ENOTTY when it opens but is no terminal, 0 when the
// system finds nothing wrong either.
int deviceOpenErrno(const QString& device) {
    const QByteArray path = device.toLocal8Bit();
    const int fd = ::open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return errno;
    const bool tty = ::isatty(fd) == 1;
    ::close(fd);
    return tty ? 0 : ENOTTY;
}

// Low-latency mode hands each received byte on at once instead of after the
// driver's timer (up to 16 ms on USB adapters). A driver that has no such
// mode or refuses it is used as it is.
void askLowLatency(int fd) {
#ifdef __linux__
    serial_struct ss{};
    if (fd < 0 || ::ioctl(fd, TIOCGSERIAL, &ss) != 0 || (ss.flags & ASYNC_LOW_LATENCY)) return;
    ss.flags |= ASYNC_LOW_LATENCY;
    ::ioctl(fd, TIOCSSERIAL, &ss);
#else
    (void)fd;
#endif
}

bool isDeviceError(QSerialPort::SerialPortError e) {
    switch (e) {
    case QSerialPort::ResourceError:
    case QSerialPort::ReadError:
    case QSerialPort::WriteError:
    case QSerialPort::DeviceNotFoundError:
    case QSerialPort::PermissionError:
    case QSerialPort::UnknownError: return true;
    default: return false;
    }
}

}  // namespace

QString serialDeviceLocation(const QString& name) {
    if (name.isEmpty() || name.startsWith(u'/') || name.startsWith(QLatin1String("./")) ||
        name.startsWith(QLatin1String("../")))
        return name;
    const QString listed = QSerialPortInfo(name).systemLocation();
    return listed.isEmpty() ? QStringLiteral("/dev/") + name : listed;
}

QString serialOpenPath(const QString& name) {
    const QString location = serialDeviceLocation(name);
    const QString resolved = QFileInfo(location).canonicalFilePath();
    return resolved.isEmpty() ? location : resolved;
}

QString serialLockFile(const QString& openPath) {
    // The serial library's lock folders, in its order of preference: the
    // first it can read that holds the file already or lets it make one.
    static const char* const folders[] = {"/var/lock",       "/etc/locks", "/var/spool/locks",
                                          "/var/spool/uucp", "/tmp",       "/var/tmp",
                                          "/var/lock/lockdev", "/run/lock"};
    QString name = openPath.startsWith(QLatin1String("/dev/")) ? openPath.mid(5) : openPath;
    name.replace(u'/', u'_');
    name.prepend(QLatin1String("LCK.."));
    for (const char* folder : folders) {
        const QFileInfo dir(QString::fromLatin1(folder));
        const QString file = dir.filePath() + u'/' + name;
        if (!dir.isReadable() || !(QFile::exists(file) || dir.isWritable())) continue;
        const QString real = dir.canonicalFilePath();
        return (real.isEmpty() ? dir.filePath() : real) + u'/' + name;
    }
    return {};
}

namespace {

// The first bytes of a lock file (no form of lock is longer), or the
// system's reason they cannot be read. A FIFO or a device put in the lock's
// place gives what it holds at once instead of blocking.
int readLockBytes(const QString& lockFile, QByteArray* bytes) {
    const int fd = ::open(QFile::encodeName(lockFile).constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return errno;
    bytes->resize(4096);
    qsizetype size = 0;
    int err = 0;
    while (size < bytes->size()) {
        const ssize_t n = ::read(fd, bytes->data() + size, static_cast<size_t>(bytes->size() - size));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) err = errno;
        if (n <= 0) break;
        size += n;
    }
    ::close(fd);
    bytes->resize(size);
    return err == EAGAIN ? 0 : err;
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

DeviceLock readDeviceLock(const QString& lockFile, const QString& thisHost,
                          const std::function<bool(qint64 pid)>& running) {
    DeviceLock lock;
    lock.file = lockFile;
    QByteArray bytes;
    if (const int err = readLockBytes(lockFile, &bytes); err != 0) {
        if (err == ENOENT) return {};  // gone: no lock at all
        lock.holder = DeviceLock::Holder::Unreadable;
        lock.reason = systemText(err);
        return lock;
    }
    lock.holder = DeviceLock::Holder::Unnamed;
    // The process number leads the file, after blanks, whatever follows it on
    // its line: "pid\nprogram\nhost\n" (the serial library's), "pid\n", or
    // "%10d program user\n" on one line (terminal programs').
    qsizetype at = 0;
    while (at < bytes.size() && isBlank(bytes[at])) ++at;
    const qsizetype first = at;
    while (at < bytes.size() && isDigit(bytes[at])) ++at;
    // Text holds no NUL; a binary number below 2^24 does.
    const bool text = at > first && !bytes.contains('\0');
    qint64 pid = 0;
    if (bytes.size() == qsizetype(sizeof(int)) && !text) {
        // The oldest form: the number as the writer's native int. No kernel
        // gives a process a number above 2^22, so four bytes of text that
        // do not read as a number are not taken for one.
        int binary = 0;
        std::memcpy(&binary, bytes.constData(), sizeof binary);
        if (binary > (1 << 22)) return lock;
        pid = binary;
    } else if (at > first) {
        bool ok = false;
        pid = bytes.mid(first, at - first).toLongLong(&ok);
        if (!ok) return lock;
        const qsizetype end = bytes.indexOf('\n', at);
        const QList<QByteArray> next = end < 0 ? QList<QByteArray>() : bytes.mid(end + 1).split('\n');
        lock.program = QString::fromUtf8(next.value(0).trimmed());
        if (!lock.program.isEmpty()) {
            lock.host = QString::fromUtf8(next.value(1).trimmed());
        } else {
            // The one-line form: the program is the word after the number.
            const QByteArray rest = bytes.mid(at, end < 0 ? -1 : end - at).simplified();
            lock.program = QString::fromUtf8(rest.left(rest.indexOf(' ')));
        }
    }
    if (pid <= 0 || pid > std::numeric_limits<pid_t>::max()) {
        lock.program.clear();
        lock.host.clear();
        return lock;
    }
    lock.pid = pid;
    if (!lock.host.isEmpty() && lock.host != thisHost) {
        lock.holder = DeviceLock::Holder::OtherHost;
    } else {
        lock.host.clear();
        lock.holder = running(pid) ? DeviceLock::Holder::Running : DeviceLock::Holder::Ended;
    }
    return lock;
}

bool processRuns(qint64 pid) {
    return pid > 0 && pid <= std::numeric_limits<pid_t>::max() &&
           (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM);
}

namespace {

// Whether a lock file keeps the device closed: every one that is there but
// this process's own and an ended process's of this computer. One that names
// no process or cannot be read may well be another program's.
bool keepsDeviceClosed(const DeviceLock& lock) {
    using H = DeviceLock::Holder;
    switch (lock.holder) {
    case H::Running: return lock.pid != ::getpid();
    case H::OtherHost:
    case H::Unnamed:
    case H::Unreadable: return true;
    default: return false;
    }
}

DeviceLock namedHolder(const QString& lockFile) {
    return readDeviceLock(lockFile, QSysInfo::machineHostName(), processRuns);
}

// A lock left by a process of this computer that has ended is taken over at
// once, whatever its form: the port object would refuse for half a minute a
// fresh one it cannot read as its own. It is moved aside first and looked at
// again there, so that a lock a live program wrote meanwhile is put back
// rather than removed.
void takeOverEndedLock(const QString& lockFile) {
    if (lockFile.isEmpty() || namedHolder(lockFile).holder != DeviceLock::Holder::Ended) return;
    const QByteArray path = QFile::encodeName(lockFile);
    const QByteArray aside = path + ".qvx720-ended-" + QByteArray::number(qint64(::getpid()));
    if (::rename(path.constData(), aside.constData()) != 0) return;  // the port object judges it
    if (namedHolder(QFile::decodeName(aside)).holder != DeviceLock::Holder::Ended)
        (void)::link(aside.constData(), path.constData());  // never over a lock made since
    ::unlink(aside.constData());
}

}  // namespace

DeviceLock anotherProgramsLock(const QString& lockFile) {
    if (lockFile.isEmpty()) return {};
    DeviceLock lock = namedHolder(lockFile);
    return keepsDeviceClosed(lock) ? lock : DeviceLock{};
}

int lockFolderRefusal(const QString& lockFile) {
    if (lockFile.isEmpty()) return 0;
    const QByteArray folder = QFile::encodeName(QFileInfo(lockFile).absolutePath());
    if (::access(folder.constData(), W_OK | X_OK) != 0) return errno;
    // A name no lock file has (mkstemp makes it with O_CREAT | O_EXCL).
    QByteArray scratch = folder + "/.qvx720-lock-probe-XXXXXX";
    const int fd = ::mkstemp(scratch.data());
    if (fd < 0) return errno;
    // A full disk may still let an empty file be made; the lock's lines
    // need a block of their own, as they do in the serial library's lock.
    const QByteArray line = QByteArray::number(qint64(::getpid())) + '\n';
    int err = 0;
    const ssize_t n = ::write(fd, line.constData(), static_cast<size_t>(line.size()));
    if (n < 0) err = errno;
    else if (n != line.size()) err = ENOSPC;
    if (::close(fd) != 0 && err == 0) err = errno;
    ::unlink(scratch.constData());
    return err;
}

DeviceLock lockRefusal(QSerialPort::SerialPortError error, const QString& lockFile,
                       const std::function<int()>& deviceErrno, const std::function<int()>& lockFolderErrno) {
    using H = DeviceLock::Holder;
    // The port object refuses a lock it cannot take or make, and a busy or
    // forbidden device, all alike as a permission error.
    if (error != QSerialPort::PermissionError) return {};
    const bool present = !lockFile.isEmpty() && QFile::exists(lockFile);
    DeviceLock named;
    if (present) {
        named = namedHolder(lockFile);
        // Another program's device is not opened, not even to ask it why.
        if (keepsDeviceClosed(named)) return named;
    } else if (!lockFile.isEmpty()) {
        // The port object could not make the lock, so it never reached the
        // device: nor does this judge.
        if (const int folder = lockFolderErrno(); folder != 0)
            return {H::CannotMake, lockFile, {}, 0, {}, systemText(folder)};
    }
    // A device that refuses us itself stays refused whoever else held its
    // lock (this process or an ended one).
    const int device = deviceErrno();
    if (device != 0 && device != EBUSY) return {};
    if (lockFile.isEmpty()) return {H::NoFolder, {}, {}, 0, {}, {}};
    if (present) return named;
    // The lock was made and removed again: the device itself was busy.
    if (device == EBUSY) return {H::Exclusive, {}, {}, 0, {}, {}};
    return {};
}

SerialTransport::SerialTransport(QString device) : device_(std::move(device)) {
    // The port also reports errors found while events are processed between
    // transactions (a hang-up seen by its read notifier).
    QObject::connect(&port_, &QSerialPort::errorOccurred, [this](QSerialPort::SerialPortError e) {
        if (port_.isOpen() && isDeviceError(e)) fail();
    });
}

SerialTransport::~SerialTransport() { close(); }

bool SerialTransport::open(int baud) {
    close();
    error_.clear();
    lock_ = {};
    // Resolved at every open: a replugged adapter's by-id link may lead to
    // another tty than before.
    openPath_ = serialOpenPath(device_);
    // A device that is not there fails at once, without the port object's
    // lock-file round (this runs once per time-out while an adapter is out).
    struct stat st {};
    if (::stat(openPath_.toLocal8Bit().constData(), &st) != 0) {
        error_ = systemText(errno);
        return false;
    }
    // The lock of another program stands, whatever the port object would
    // judge of it: unless the holder also keeps a flock() on the file (as
    // Qt programs do), it takes over a file older than half a minute, or one
    // that names no program or another program than the process with that
    // number runs, and opens the device of a program that still runs. So
    // does a file it cannot read or that names no process in its terms.
    const QString lockFile = serialLockFile(openPath_);
    lock_ = anotherProgramsLock(lockFile);
    if (lock_.holder != DeviceLock::Holder::None) {
        error_ = QCoreApplication::translate("QSerialPort", "Permission error while locking the device") +
                 QStringLiteral(" (%1)").arg(lock_.file);
        return false;
    }
    takeOverEndedLock(lockFile);
    port_.setPortName(openPath_);
    if (!port_.open(QIODevice::ReadWrite)) {
        const auto e = port_.error();
        // The port object's own error tells no errno; the device's own open
        // does, for a refusal it does not explain or explains as permission.
        // It is asked at most once, and not when another program's lock or
        // a lock that cannot be made was the cause.
        std::optional<int> deviceErrno;
        const auto askDevice = [&] {
            if (!deviceErrno) deviceErrno = deviceOpenErrno(openPath_);
            return *deviceErrno;
        };
        lock_ = qvx::lockRefusal(e, lockFile, askDevice, [&] { return lockFolderRefusal(lockFile); });
        if (lock_.file.isEmpty() && (e == QSerialPort::NoError || e == QSerialPort::UnknownError ||
                                     e == QSerialPort::OpenError || e == QSerialPort::PermissionError)) {
            if (const int err = askDevice(); err != 0) error_ = systemText(err);
        }
        if (error_.isEmpty()) error_ = port_.errorString();
        if (!lock_.file.isEmpty()) error_ += QStringLiteral(" (%1)").arg(lock_.file);
        return false;
    }
    const bool ok = port_.setBaudRate(baud) && port_.setDataBits(QSerialPort::Data8) &&
                    port_.setParity(QSerialPort::NoParity) && port_.setStopBits(QSerialPort::OneStop) &&
                    port_.setFlowControl(QSerialPort::NoFlowControl);
    if (!ok) {
        error_ = port_.errorString();
        port_.close();
        return false;
    }
    askLowLatency(static_cast<int>(port_.handle()));
    // Nothing from before the open counts: the device's buffers start empty.
    port_.clear();
    port_.clearError();
    failed_ = false;
    return true;
}

void SerialTransport::fail(int err) {
    if (failed_) return;
    failed_ = true;
    // The port's own text of a failed read or write repeats whatever errno
    // held at the time; a hung-up or removed device is an I/O error.
    error_ = systemText(err);
}

void SerialTransport::close() {
    if (port_.isOpen()) {
        // What was queued for a failed device is dropped, not sent on close.
        if (failed_) port_.clear();
        port_.close();
    }
    port_.clearError();
    failed_ = false;
}

bool SerialTransport::isOpen() const { return port_.isOpen() && !failed_; }

bool SerialTransport::send(const QByteArray& bytes) {
    if (!isOpen()) return false;
    if (port_.write(bytes) != bytes.size()) {
        fail();
        return false;
    }
    while (port_.bytesToWrite() > 0) {
        if (!port_.waitForBytesWritten(1000)) {
            fail();
            return false;
        }
    }
    // The time-out counts from the moment the request has left the port.
    if (::tcdrain(static_cast<int>(port_.handle())) != 0 && errno != EINTR) {
        fail(errno);
        return false;
    }
    return true;
}

QByteArray SerialTransport::receive(int timeoutMs) {
    if (!isOpen()) return {};
    if (port_.bytesAvailable() == 0 && !port_.waitForReadyRead(timeoutMs)) {
        // A time-out is a silent line; any other error is the device's.
        if (port_.error() != QSerialPort::TimeoutError && port_.error() != QSerialPort::NoError) fail();
        port_.clearError();
        return {};
    }
    return port_.readAll();
}

void SerialTransport::discardInput() {
    if (!isOpen()) return;
    port_.readAll();
    port_.clear(QSerialPort::Input);
}

}  // namespace qvx
